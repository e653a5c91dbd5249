#include "platform/win32/ui/basic_controls.h"

#include <commctrl.h>

namespace mirafold::win32 {

std::wstring windowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

Win32TextBox::Win32TextBox(HWND edit, std::wstring accessibleName)
    : edit_(edit), name_(std::move(accessibleName)) {
  ::SetWindowSubclass(edit_, subclassProc, 0, reinterpret_cast<DWORD_PTR>(this));
}

void Win32TextBox::setText(const std::wstring& text) { ::SetWindowTextW(edit_, text.c_str()); }

LRESULT CALLBACK Win32TextBox::subclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                            UINT_PTR, DWORD_PTR data) {
  auto* self = reinterpret_cast<Win32TextBox*>(data);
  switch (message) {
    case WM_GETDLGCODE:
      // Enter belongs to the box, not to dialog navigation.
      if (lParam && reinterpret_cast<const MSG*>(lParam)->wParam == VK_RETURN) {
        return ::DefSubclassProc(window, message, wParam, lParam) | DLGC_WANTMESSAGE;
      }
      break;
    case WM_CHAR:
      if (self->keyPress_) {
        try {
          self->keyPress_(static_cast<wchar_t>(wParam));
        } catch (...) {
        }
      }
      break;  // the character goes on to the box unchanged
    case WM_GETOBJECT:
      if (auto answer = self->accessible_.answerGetObject(window, wParam, lParam)) return *answer;
      break;
    case WM_NCDESTROY:
      ::RemoveWindowSubclass(window, subclassProc, 0);
      break;
  }
  return ::DefSubclassProc(window, message, wParam, lParam);
}

namespace {
// Pure blue, except in a high-contrast theme, whose own colour for links the user can read.
COLORREF linkColour() {
  HIGHCONTRASTW contrast{sizeof contrast};
  if (::SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
      (contrast.dwFlags & HCF_HIGHCONTRASTON)) {
    return ::GetSysColor(COLOR_HOTLIGHT);
  }
  return RGB(0, 0, 255);
}
}  // namespace

Win32Label::Win32Label(HWND label, bool linkStyle) : label_(label), linkStyle_(linkStyle) {
  if (linkStyle_) ::SetWindowSubclass(label_, subclassProc, 0, 0);
}

std::optional<LRESULT> Win32Label::onParentMessage(UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_COMMAND && HIWORD(wParam) == STN_CLICKED && click_) {
    click_();
    return 0;
  }
  if (message == WM_CTLCOLORSTATIC) {
    auto dc = reinterpret_cast<HDC>(wParam);
    ::SetTextColor(dc, linkStyle_ ? linkColour() : ::GetSysColor(COLOR_BTNTEXT));
    ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
  }
  return std::nullopt;
}

LRESULT CALLBACK Win32Label::subclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR, DWORD_PTR) {
  if (message == WM_SETCURSOR) {
    ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
    return TRUE;
  }
  if (message == WM_NCDESTROY) ::RemoveWindowSubclass(window, subclassProc, 0);
  return ::DefSubclassProc(window, message, wParam, lParam);
}

namespace {
// A button's click, pressed or ticked, as its parent hears of it.
std::optional<LRESULT> runOnClick(UINT message, WPARAM wParam, const platform::Handler& click) {
  if (message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED || !click) return std::nullopt;
  click();
  return 0;
}
}  // namespace

std::optional<LRESULT> Win32Button::onParentMessage(UINT message, WPARAM wParam, LPARAM) {
  return runOnClick(message, wParam, click_);
}

int Win32CheckBox::value() const {
  switch (::SendMessageW(box_, BM_GETCHECK, 0, 0)) {
    case BST_CHECKED:
      return 1;
    case BST_INDETERMINATE:
      return 2;
    default:
      return 0;
  }
}

std::optional<LRESULT> Win32CheckBox::onParentMessage(UINT message, WPARAM wParam, LPARAM) {
  return runOnClick(message, wParam, click_);
}

void Win32Frame::setVisible(bool visible) {
  const int show = visible ? SW_SHOW : SW_HIDE;
  for (HWND member : members_) ::ShowWindow(member, show);
  ::ShowWindow(box_, show);
}

void Win32Frame::onDrop(platform::DropHandler handler) {
  drop_ = std::move(handler);
  // The frame's window, not the frame, asks for them: a drop on a control goes to the nearest
  // window up its parents that accepts files, so the window covers every control in it.
  // Run as administrator, the window keeps the system's filter against less privileged senders
  // (no ChangeWindowMessageFilterEx for WM_DROPFILES, WM_COPYDATA and WM_COPYGLOBALDATA): opened
  // to them, any program of the user could pick the folders of a link made with those rights.
  // The style is what DragAcceptFiles sets; set here, the shell's library loads at the first drop
  // instead of before the window shows.
  HWND window = ::GetParent(box_);
  ::SetWindowLongPtrW(window, GWL_EXSTYLE,
                      ::GetWindowLongPtrW(window, GWL_EXSTYLE) | WS_EX_ACCEPTFILES);
}

bool Win32Frame::drop(const std::vector<std::wstring>& paths) {
  if (!drop_ || !::IsWindowVisible(box_)) return false;
  drop_(paths);
  return true;
}

}  // namespace mirafold::win32
