// The fair start-up baseline: a window holding the main window's standard controls, read from
// its table (the same classes, styles, places, sizes and fonts, so the same count), made plainly
// and left empty: no drives, no folder listed, no handlers. Built with the program's manifest.

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "app/main_layout.h"

namespace {

using mirafold::platform::Control;
using mirafold::platform::ControlKind;

LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) ::PostQuitMessage(0);
  return ::DefWindowProcW(window, message, wParam, lParam);
}

struct Made {
  const wchar_t* cls;
  DWORD style;
  DWORD exStyle;
};

Made madeAs(ControlKind kind) {
  switch (kind) {
    case ControlKind::Frame:
      return {L"BUTTON", BS_GROUPBOX, 0};
    case ControlKind::DriveList:
      return {L"COMBOBOX", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0};
    case ControlKind::FolderList:
      return {L"LISTBOX",
              WS_TABSTOP | WS_VSCROLL | LBS_OWNERDRAWFIXED | LBS_NODATA | LBS_NOTIFY |
                  LBS_NOINTEGRALHEIGHT | LBS_DISABLENOSCROLL,
              WS_EX_CLIENTEDGE};
    case ControlKind::TextBox:
      return {L"EDIT", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case ControlKind::Label:
      return {L"STATIC", SS_NOTIFY | SS_LEFT, 0};
    case ControlKind::Button:
      return {L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 0};
    case ControlKind::CheckBox:
      return {L"BUTTON", WS_TABSTOP | BS_AUTOCHECKBOX, 0};
    case ControlKind::Picture:
      break;
  }
  return {L"STATIC", SS_BITMAP, 0};
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  ::InitCommonControls();
  WNDCLASSW cls{};
  cls.lpfnWndProc = procedure;
  cls.hInstance = instance;
  cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  cls.lpszClassName = L"SameControlsWindow";
  ::RegisterClassW(&cls);
  const auto& layout = mirafold::app::mainWindowLayout();
  const HDC screen = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
  ::ReleaseDC(nullptr, screen);
  const auto px = [&](int twips) { return ::MulDiv(twips, dpi, 1440); };
  RECT frame{0, 0, px(layout.clientWidth), px(layout.clientHeight)};
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  ::AdjustWindowRect(&frame, style, FALSE);
  const std::wstring title(layout.title);
  HWND window = ::CreateWindowW(L"SameControlsWindow", title.c_str(), style, CW_USEDEFAULT,
                                CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top,
                                nullptr, nullptr, instance, nullptr);
  const std::wstring face(mirafold::platform::kFontFace);
  for (const Control& c : layout.controls) {
    int left = c.left, top = c.top;
    for (const Control& holder : layout.controls) {
      if (!c.frame.empty() && holder.name == c.frame) left += holder.left, top += holder.top;
    }
    const Made made = madeAs(c.kind);
    const std::wstring caption(c.caption);
    // A drive list is made as high as its drop-down, as the program makes it.
    const int rows = c.kind == ControlKind::DriveList ? mirafold::platform::kDriveListRows + 1 : 1;
    HWND child = ::CreateWindowExW(
        made.exStyle, made.cls, caption.c_str(), WS_CHILD | WS_VISIBLE | made.style, px(left),
        px(top), px(c.width), px(c.height) * rows, window,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance, nullptr);
    // A font each, never freed: the baseline lives only until the bench ends it.
    HFONT font =
        ::CreateFontW(-::MulDiv(c.font.points, dpi, 72), 0, 0, 0, c.font.bold ? FW_BOLD : FW_NORMAL,
                      FALSE, (c.style & mirafold::platform::kLinkStyle) != 0, FALSE,
                      mirafold::platform::kGb2312Charset, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                      DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face.c_str());
    ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  ::ShowWindow(window, SW_SHOWNORMAL);
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (!::IsDialogMessageW(window, &msg)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }
  return 0;
}
