#include "platform/win32/ui/link_list_dialog.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <iterator>
#include <optional>
#include <stdexcept>

#include "base/win32/handles.h"
#include "platform/win32/ui/dpi.h"
#include "platform/win32/ui/message_loop.h"
#include "platform/win32/ui/owned_dialog.h"

namespace mirafold::win32 {
namespace {

constexpr wchar_t kClassName[] = L"MirafoldLinks";

// The layout at 96 dpi, scaled to the window's DPI when it is made and whenever that changes.
struct Place {
  int id;
  int x, y, width, height;
};
constexpr int kClientWidth = 680, kClientHeight = 420;
constexpr Place kPlaces[] = {
    {kLinkTableId, 12, 12, 656, 354},
    {kLinkSummaryId, 12, 380, 540, 20},
    {IDCANCEL, 578, 376, 90, 28},
};
// Link, target, state; what is left of the table's width goes to the scroll bar.
constexpr int kColumnWidths[] = {220, 332, 80};

}  // namespace

struct Win32LinkListDialog::Window {
  HWND owner = nullptr;
  HWND hwnd = nullptr;
  HWND table = nullptr;
  const platform::LinkListHandlers* handlers = nullptr;
  platform::LinkListContent content;
  base::win32::UniqueFont font;
  HWND focus = nullptr;  // the control that had the focus when the window was last left
  bool closed = false;

  std::optional<std::size_t> selectedRow() const {
    const LRESULT row =
        ::SendMessageW(table, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
    if (row < 0 || static_cast<std::size_t>(row) >= content.rows.size()) return std::nullopt;
    return static_cast<std::size_t>(row);
  }

  void select(std::size_t row) {
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageW(table, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
    ::SendMessageW(table, LVM_ENSUREVISIBLE, row, FALSE);
  }

  void layOut(int dpi) {
    base::win32::UniqueFont fresh = messageFont(dpi);
    const auto px = [dpi](int length) { return scaled(length, dpi, kDefaultDpi); };
    for (const Place& place : kPlaces) {
      const HWND control = ::GetDlgItem(hwnd, place.id);
      ::SetWindowPos(control, nullptr, px(place.x), px(place.y), px(place.width), px(place.height),
                     SWP_NOZORDER | SWP_NOACTIVATE);
      ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(fresh.get()), TRUE);
    }
    for (int column = 0; column < static_cast<int>(std::size(kColumnWidths)); ++column) {
      ::SendMessageW(table, LVM_SETCOLUMNWIDTH, column, px(kColumnWidths[column]));
    }
    font = std::move(fresh);
  }

  void showSortArrow() {
    const HWND header = reinterpret_cast<HWND>(::SendMessageW(table, LVM_GETHEADER, 0, 0));
    for (int column = 0; column < static_cast<int>(std::size(kColumnWidths)); ++column) {
      HDITEMW item{};
      item.mask = HDI_FORMAT;
      ::SendMessageW(header, HDM_GETITEMW, column, reinterpret_cast<LPARAM>(&item));
      item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
      if (column == content.sortColumn) item.fmt |= content.ascending ? HDF_SORTUP : HDF_SORTDOWN;
      ::SendMessageW(header, HDM_SETITEMW, column, reinterpret_cast<LPARAM>(&item));
    }
  }

  void show(const platform::LinkListContent& fresh) {
    const auto before = selectedRow();
    const std::wstring selected = before ? content.rows[*before].link : std::wstring();
    content = fresh;
    ::SendMessageW(table, LVM_SETITEMCOUNT, content.rows.size(), 0);
    LVITEMW none{};
    none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageW(table, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                   reinterpret_cast<LPARAM>(&none));
    const auto at =
        std::find_if(content.rows.begin(), content.rows.end(),
                     [&](const platform::LinkListRow& r) { return r.link == selected; });
    if (at != content.rows.end()) {
      select(static_cast<std::size_t>(at - content.rows.begin()));
    } else if (!content.rows.empty()) {
      select(before ? std::min(*before, content.rows.size() - 1) : 0);
    }
    ::InvalidateRect(table, nullptr, TRUE);
    ::SetDlgItemTextW(hwnd, kLinkSummaryId, content.summary.c_str());
    showSortArrow();
  }

  // A message box a road opened gives the owner its input back when it closes, and the owner is
  // activated; this window is still up, so the owner waits on and the keyboard comes back here.
  void afterRoad() {
    if (closed) return;
    if (owner) ::EnableWindow(owner, FALSE);
    ::SetActiveWindow(hwnd);
  }

  void showMenu(LPARAM lParam) {
    POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    std::optional<std::size_t> row;
    if (at.x == -1 && at.y == -1) {
      // From the keyboard: the selected row, the menu at its lower left.
      row = selectedRow();
      if (!row) return;
      RECT r{};
      r.left = LVIR_LABEL;
      ::SendMessageW(table, LVM_GETITEMRECT, *row, reinterpret_cast<LPARAM>(&r));
      at = {r.left, r.bottom};
      ::ClientToScreen(table, &at);
    } else {
      LVHITTESTINFO hit{};
      hit.pt = at;
      ::ScreenToClient(table, &hit.pt);
      const LRESULT found = ::SendMessageW(table, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
      if (found < 0 || static_cast<std::size_t>(found) >= content.rows.size()) return;
      row = static_cast<std::size_t>(found);
      select(*row);
    }
    const auto items = handlers->menu.items(content.rows[*row].link);
    if (items.empty()) return;
    const base::win32::UniqueMenu menu(::CreatePopupMenu());
    if (!menu) return;
    for (const platform::MenuItem& item : items) {
      ::AppendMenuW(menu.get(), MF_STRING | (item.enabled ? 0u : MF_GRAYED),
                    static_cast<UINT_PTR>(item.command), item.text.c_str());
    }
    // The choice comes back as WM_COMMAND and acts on the selected row, as a test's posted one.
    ::TrackPopupMenu(menu.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0,
                     hwnd, nullptr);
  }

  void choose(int command) {
    const auto row = selectedRow();
    if (!row) return;
    const std::wstring link = content.rows[*row].link;
    handlers->menu.chosen(link, command);
    afterRoad();
  }

  void activate() {
    const auto row = selectedRow();
    if (!row || !handlers->activate) return;
    const std::wstring link = content.rows[*row].link;
    handlers->activate(link);
    afterRoad();
  }

  std::optional<LRESULT> onNotify(const NMHDR& header) {
    if (header.hwndFrom != table) return std::nullopt;
    switch (header.code) {
      case LVN_GETDISPINFOW: {
        auto& item = reinterpret_cast<NMLVDISPINFOW&>(const_cast<NMHDR&>(header)).item;
        if ((item.mask & LVIF_TEXT) == 0 || item.iItem < 0 ||
            static_cast<std::size_t>(item.iItem) >= content.rows.size() || !item.pszText ||
            item.cchTextMax <= 0) {
          return 0;
        }
        const platform::LinkListRow& row = content.rows[static_cast<std::size_t>(item.iItem)];
        const std::wstring& text = item.iSubItem == 0   ? row.name
                                   : item.iSubItem == 1 ? row.target
                                                        : row.state;
        ::lstrcpynW(item.pszText, text.c_str(), item.cchTextMax);
        return 0;
      }
      case LVN_COLUMNCLICK:
        handlers->sortBy(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
        return 0;
      case LVN_ITEMACTIVATE:
        activate();
        return 0;
      default:
        return std::nullopt;
    }
  }
};

namespace {

using Window = Win32LinkListDialog::Window;

LRESULT onMessage(Window& self, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NOTIFY:
      if (auto answer = self.onNotify(*reinterpret_cast<const NMHDR*>(lParam))) return *answer;
      break;
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wParam) == self.table) {
        self.showMenu(lParam);
        return 0;
      }
      break;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL) {
        self.closed = true;
      } else if (LOWORD(wParam) == IDOK) {
        // Enter, which the dialog navigation turns into the default command.
        if (::GetFocus() == self.table) self.activate();
      } else if (lParam == 0 && HIWORD(wParam) == 0) {
        self.choose(LOWORD(wParam));
      }
      return 0;
    case WM_CLOSE:
      self.closed = true;
      return 0;
    case WM_ACTIVATE:
      // A window of its own class keeps no focus as a dialog does: after a question a road asked,
      // the keyboard is back where it was.
      if (LOWORD(wParam) == WA_INACTIVE) {
        const HWND had = ::GetFocus();
        if (had && ::IsChild(hwnd, had)) self.focus = had;
      } else {
        ::SetFocus(self.focus ? self.focus : self.table);
      }
      return 0;
    case WM_DPICHANGED: {
      const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
      self.layOut(LOWORD(wParam));
      ::SetWindowPos(hwnd, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                     suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    default:
      break;
  }
  return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    if (message == WM_NCCREATE) {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (message == WM_NCDESTROY) ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    if (!self || message == WM_NCCREATE) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    return onMessage(*self, hwnd, message, wParam, lParam);
  } catch (...) {
    // Nothing may unwind through user32.
    return 0;
  }
}

void registerClass() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = windowProc;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kClassName;
  ::RegisterClassExW(&wc);  // a second registration fails harmlessly
}

HWND child(HWND parent, const wchar_t* cls, const std::wstring& text, DWORD style, int id,
           DWORD exStyle = 0) {
  return ::CreateWindowExW(exStyle, cls, text.c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0,
                           parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           ::GetModuleHandleW(nullptr), nullptr);
}

}  // namespace

Win32LinkListDialog::Win32LinkListDialog(HWND owner, LinkListTexts texts)
    : owner_(owner), texts_(std::move(texts)) {}

Win32LinkListDialog::~Win32LinkListDialog() = default;

void Win32LinkListDialog::run(const platform::LinkListContent& content,
                              const platform::LinkListHandlers& handlers) {
  registerClass();
  Window state;
  state.owner = owner_;
  state.handlers = &handlers;
  const int dpi = owner_ ? windowDpi(owner_) : kDefaultDpi;
  const base::win32::UniqueWindow window =
      makeOwnedDialog(owner_, kClassName, texts_.title, {kClientWidth, kClientHeight}, &state);
  state.hwnd = window.get();
  state.table = child(state.hwnd, WC_LISTVIEWW, L"",
                      WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                      kLinkTableId, WS_EX_CLIENTEDGE);
  ::SendMessageW(state.table, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_LABELTIP);
  for (int column = 0; column < static_cast<int>(std::size(texts_.columns)); ++column) {
    LVCOLUMNW c{};
    c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    c.pszText = texts_.columns[column].data();
    c.cx = scaled(kColumnWidths[column], dpi, kDefaultDpi);
    c.iSubItem = column;
    ::SendMessageW(state.table, LVM_INSERTCOLUMNW, column, reinterpret_cast<LPARAM>(&c));
  }
  child(state.hwnd, L"STATIC", L"", SS_NOPREFIX | SS_PATHELLIPSIS, kLinkSummaryId);
  child(state.hwnd, L"BUTTON", texts_.close, WS_TABSTOP | BS_PUSHBUTTON, IDCANCEL);
  state.layOut(dpi);
  state.show(content);

  open_ = &state;
  // Modal: the owner takes no input, but paints, until the window goes.
  if (owner_) ::EnableWindow(owner_, FALSE);
  ::ShowWindow(state.hwnd, SW_SHOW);
  ::SetFocus(state.table);

  const std::optional<int> quit = runModalLoop([&] { return state.closed; });
  open_ = nullptr;
  // The owner takes input again before this window goes, so that it is the one activated.
  if (owner_) ::EnableWindow(owner_, TRUE);
  if (quit) ::PostQuitMessage(*quit);
}

void Win32LinkListDialog::show(const platform::LinkListContent& content) {
  if (open_) open_->show(content);
}

void Win32LinkListDialog::close() {
  if (open_) open_->closed = true;
}

}  // namespace mirafold::win32
