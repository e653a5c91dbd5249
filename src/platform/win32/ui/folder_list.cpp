#include "platform/win32/ui/folder_list.h"

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <utility>

#include "platform/win32/ui/dpi.h"
#include "platform/win32/ui/folder_rows.h"
#include "resource_ids.h"

namespace mirafold::win32 {
namespace {

constexpr UINT_PTR kSubclassId = 1;
// Posted by the link probing when answers wait; the list box's own messages lie below WM_APP.
constexpr UINT kMarksReady = WM_APP + 1;
constexpr int kMargin = 2;  // pixels around icon and text

base::win32::UniqueIcon folderIcon(bool open, int size) {
  // The program's own icons load at once; the shell's cost a noticeable part of start-up. Each
  // comes drawn at the sizes of the usual scalings, so the one asked for is picked, not stretched.
  if (HANDLE own = ::LoadImageW(::GetModuleHandleW(nullptr),
                                MAKEINTRESOURCEW(open ? IDI_FOLDER_OPEN : IDI_FOLDER_CLOSED),
                                IMAGE_ICON, size, size, LR_DEFAULTCOLOR)) {
    return base::win32::UniqueIcon(static_cast<HICON>(own));
  }
  SHFILEINFOW info{};
  // The attributes alone pick the icon, so no disk is touched.
  const UINT flags =
      SHGFI_ICON | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES | (open ? SHGFI_OPENICON : 0u);
  if (::SHGetFileInfoW(L"folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info, flags) == 0) {
    return {};
  }
  return base::win32::UniqueIcon(info.hIcon);
}

struct FolderIcons {
  base::win32::UniqueIcon open;
  base::win32::UniqueIcon closed;
};

// Loaded once a size for every list of the process (both lists of the window draw the same);
// only the window's thread draws lists. An icon that could not be loaded is asked for again.
FolderIcons& folderIcons(int size) {
  static std::map<int, FolderIcons> loaded;
  FolderIcons& icons = loaded[size];
  if (!icons.open) icons.open = folderIcon(true, size);
  if (!icons.closed) icons.closed = folderIcon(false, size);
  return icons;
}

// The box over the lower left of the icon at (x, y) in which a link's mark is drawn, as the shell
// marks a shortcut; from the icon's size, so it scales with the DPI like the icon itself.
RECT markBox(HDC dc, int x, int y, int iconSize) {
  const int side = std::max(7, iconSize * 9 / 16);
  const RECT box{x, y + iconSize - side, x + side, y + iconSize};
  const auto pen = base::win32::select(dc, ::GetStockObject(DC_PEN));
  const auto brush = base::win32::select(dc, ::GetStockObject(DC_BRUSH));
  ::SetDCPenColor(dc, RGB(64, 64, 64));
  ::SetDCBrushColor(dc, RGB(255, 255, 255));
  ::Rectangle(dc, box.left, box.top, box.right, box.bottom);
  return box;
}

// A point on a grid of sixteenths of the box.
POINT onGrid(const RECT& box, POINT p) {
  const int side = box.right - box.left;
  return {box.left + ::MulDiv(p.x, side, 16), box.top + ::MulDiv(p.y, side, 16)};
}

// A small arrow pointing up and to the right: the head's corner at the top right, the shaft down
// to the lower left.
void drawLinkArrow(HDC dc, const RECT& box) {
  constexpr POINT kArrow[] = {{6, 2}, {14, 2}, {14, 10}, {11, 7}, {4, 14}, {2, 12}, {9, 5}};
  POINT points[std::size(kArrow)];
  for (std::size_t i = 0; i < std::size(kArrow); ++i) points[i] = onGrid(box, kArrow[i]);
  const auto pen = base::win32::select(dc, ::GetStockObject(DC_PEN));
  const auto brush = base::win32::select(dc, ::GetStockObject(DC_BRUSH));
  ::SetDCPenColor(dc, RGB(0, 0, 0));
  ::SetDCBrushColor(dc, RGB(0, 0, 0));
  ::Polygon(dc, points, static_cast<int>(std::size(points)));
}

// A red cross instead of the arrow: the link leads nowhere.
void drawBrokenMark(HDC dc, const RECT& box) {
  constexpr POINT kCross[] = {{2, 4},   {4, 2},   {8, 6},  {12, 2}, {14, 4}, {10, 8},
                              {14, 12}, {12, 14}, {8, 10}, {4, 14}, {2, 12}, {6, 8}};
  POINT points[std::size(kCross)];
  for (std::size_t i = 0; i < std::size(kCross); ++i) points[i] = onGrid(box, kCross[i]);
  const auto pen = base::win32::select(dc, ::GetStockObject(DC_PEN));
  const auto brush = base::win32::select(dc, ::GetStockObject(DC_BRUSH));
  ::SetDCPenColor(dc, RGB(192, 0, 0));
  ::SetDCBrushColor(dc, RGB(220, 0, 0));
  ::Polygon(dc, points, static_cast<int>(std::size(points)));
}

}  // namespace

platform::FolderRowModel Win32FolderList::startRows() {
  if (auto rows = readFolderRows(L".")) return std::move(*rows);
  // The current folder may have gone away; its drive's root is the nearest place to show.
  if (auto rows = readFolderRows(L"\\")) return std::move(*rows);
  return {};
}

std::unique_ptr<Win32FolderList> Win32FolderList::create(
    HWND parent, int id, const RECT& pixels, HFONT font, int dpi, platform::FolderRowModel start,
    std::unique_ptr<platform::LinkProbe> probe) {
  // The scroll bar stays, greyed while every row fits: showing or hiding it reshapes the list,
  // which costs more than drawing a screen of rows.
  constexpr DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LBS_OWNERDRAWFIXED |
                          LBS_NODATA | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_DISABLENOSCROLL;
  const HWND hwnd = ::CreateWindowExW(
      WS_EX_CLIENTEDGE, L"LISTBOX", L"", style, pixels.left, pixels.top, pixels.right - pixels.left,
      pixels.bottom - pixels.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
      ::GetModuleHandleW(nullptr), nullptr);
  if (!hwnd) return nullptr;
  std::unique_ptr<Win32FolderList> list(new Win32FolderList(hwnd, font, dpi, std::move(probe)));
  if (!::SetWindowSubclass(hwnd, subclassProc, kSubclassId,
                           reinterpret_cast<DWORD_PTR>(list.get()))) {
    ::DestroyWindow(hwnd);
    return nullptr;
  }
  ::SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  // The parent cannot answer WM_MEASUREITEM for a control it does not know yet; set it here.
  list->fitRowHeight();
  list->show(std::move(start));
  return list;
}

Win32FolderList::Win32FolderList(HWND hwnd, HFONT font, int dpi,
                                 std::unique_ptr<platform::LinkProbe> probe)
    : hwnd_(hwnd), font_(font), marks_(std::move(probe), hwnd, kMarksReady) {
  loadIcons(dpi);
}

void Win32FolderList::loadIcons(int dpi) {
  iconSize_ = systemMetric(SM_CXSMICON, dpi);
  const FolderIcons& icons = folderIcons(iconSize_);
  openIcon_ = icons.open.get();
  closedIcon_ = icons.closed.get();
}

void Win32FolderList::rescale(const RECT& pixels, int dpi, HFONT font) {
  font_ = font;
  loadIcons(dpi);
  ChildControl::rescale(pixels, dpi, font);
  fitRowHeight();
  ::InvalidateRect(hwnd_, nullptr, TRUE);
}

Win32FolderList::~Win32FolderList() {
  if (hwnd_) ::RemoveWindowSubclass(hwnd_, subclassProc, kSubclassId);
}

bool Win32FolderList::setPath(const std::wstring& path) {
  auto rows = readFolderRows(path);
  if (!rows) return false;
  show(std::move(*rows));
  if (onChange_) onChange_();
  return true;
}

std::optional<LRESULT> Win32FolderList::onParentMessage(UINT message, WPARAM wParam,
                                                        LPARAM lParam) {
  switch (message) {
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (!item || item->hwndItem != hwnd_) return std::nullopt;
      draw(*item);
      return TRUE;
    }
    case WM_COMMAND:
      if (reinterpret_cast<HWND>(lParam) != hwnd_ || HIWORD(wParam) != LBN_DBLCLK) {
        return std::nullopt;
      }
      openSelectedRow();
      return 0;
    default:
      return std::nullopt;
  }
}

LRESULT CALLBACK Win32FolderList::subclassProc(HWND hwnd, UINT message, WPARAM wParam,
                                               LPARAM lParam, UINT_PTR, DWORD_PTR self) {
  try {
    return reinterpret_cast<Win32FolderList*>(self)->onMessage(hwnd, message, wParam, lParam);
  } catch (...) {
    // Nothing may unwind through user32; a failed handler leaves the list as it stands.
    return 0;
  }
}

LRESULT Win32FolderList::onMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    // The list box stores no strings; its text is the path, for UI tests and screen readers.
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(rows_.path().size());
    case WM_GETTEXT: {
      auto* buffer = reinterpret_cast<wchar_t*>(lParam);
      if (!buffer || wParam == 0) return 0;
      const std::size_t count = std::min<std::size_t>(rows_.path().size(), wParam - 1);
      std::copy_n(rows_.path().begin(), count, buffer);
      buffer[count] = L'\0';
      return static_cast<LRESULT>(count);
    }
    case WM_GETDLGCODE: {
      // Without this the dialog navigation of the message loop takes Enter for itself.
      LRESULT code = ::DefSubclassProc(hwnd, message, wParam, lParam);
      const auto* msg = reinterpret_cast<const MSG*>(lParam);
      if (msg && (msg->message == WM_KEYDOWN || msg->message == WM_CHAR) &&
          msg->wParam == VK_RETURN) {
        code |= DLGC_WANTMESSAGE;
      }
      return code;
    }
    case WM_KEYDOWN:
      if (wParam == VK_RETURN) {
        openSelectedRow();
        return 0;
      }
      break;
    case WM_CHAR:
      if (wParam == L'\r') return 0;
      break;
    case WM_CONTEXTMENU:
      showContextMenu(lParam);
      return 0;
    case WM_COMMAND:
      // From the list's own context menu: no control, no notification code.
      if (lParam == 0 && HIWORD(wParam) == 0) {
        chooseForSelectedRow(LOWORD(wParam));
        return 0;
      }
      break;
    case kMarksReady:
      takeMarks();
      return 0;
    case WM_PAINT: {
      const LRESULT painted = ::DefSubclassProc(hwnd, message, wParam, lParam);
      startProbing();
      return painted;
    }
    case WM_GETOBJECT:
      if (auto answer = accessible_.answerGetObject(hwnd, wParam, lParam)) return *answer;
      break;
    case WM_NCDESTROY:
      ::RemoveWindowSubclass(hwnd, subclassProc, kSubclassId);
      hwnd_ = nullptr;
      break;
    default:
      break;
  }
  return ::DefSubclassProc(hwnd, message, wParam, lParam);
}

void Win32FolderList::show(platform::FolderRowModel rows) {
  rows_ = std::move(rows);
  ::SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
  ::SendMessageW(hwnd_, LB_SETCOUNT, rows_.size(), 0);
  ::SendMessageW(hwnd_, LB_SETTOPINDEX, 0, 0);
  if (rows_.size() > 0) ::SendMessageW(hwnd_, LB_SETCURSEL, rows_.currentRow(), 0);
  ::SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(hwnd_, nullptr, TRUE);
  unprobed_ = rows_.links();
  unknownMarks_ = unprobed_->rows.size();
  // The folder before is answered no more. This one's links are probed once its rows in view are
  // drawn, so that the probing does not slow the drawing; a list not shown is probed at once.
  marks_.probe({});
  if (!::IsWindowVisible(hwnd_)) startProbing();
}

void Win32FolderList::startProbing() {
  if (!unprobed_) return;
  marks_.probe(std::move(*unprobed_));
  unprobed_.reset();
}

void Win32FolderList::takeMarks() {
  for (const LinkMarks::Answer& answer : marks_.take()) {
    if (unknownMarks_ > 0) --unknownMarks_;
    // A whole link already shows as one: only a broken one changes what is seen and heard.
    if (!answer.broken) continue;
    rows_.setBroken(answer.row, true);
    RECT r{};
    if (::SendMessageW(hwnd_, LB_GETITEMRECT, answer.row, reinterpret_cast<LPARAM>(&r)) != LB_ERR) {
      ::InvalidateRect(hwnd_, &r, FALSE);
    }
    ::NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, hwnd_, OBJID_CLIENT,
                     static_cast<LONG>(answer.row + 1));
  }
}

void Win32FolderList::openSelectedRow() {
  const LRESULT selected = ::SendMessageW(hwnd_, LB_GETCURSEL, 0, 0);
  if (selected < 0 || static_cast<std::size_t>(selected) >= rows_.size()) return;
  if (setPath(rows_.folder(static_cast<std::size_t>(selected)))) return;
  // The row's folder has gone or cannot be read: show the folder as it is now.
  ::MessageBeep(MB_OK);
  if (auto fresh = readFolderRows(rows_.path())) {
    show(std::move(*fresh));
  } else {
    ::SendMessageW(hwnd_, LB_SETCURSEL, rows_.currentRow(), 0);
  }
}

void Win32FolderList::showContextMenu(LPARAM lParam) {
  if (!menu_.items) return;
  POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  std::optional<std::size_t> row;
  // From the keyboard (Shift+F10, the menu key) both coordinates are -1, whichever width the
  // message's lParam was sent with: the current row, the menu at its lower left.
  if (at.x == -1 && at.y == -1) {
    row = selectedRow();
    if (!row) return;
    const RECT r = rowRect(*row);
    at = {r.left, r.bottom};
    ::ClientToScreen(hwnd_, &at);
  } else {
    POINT client = at;
    ::ScreenToClient(hwnd_, &client);
    const LRESULT hit = ::SendMessageW(hwnd_, LB_ITEMFROMPOINT, 0, MAKELPARAM(client.x, client.y));
    if (HIWORD(hit) != 0 || LOWORD(hit) >= rows_.size()) return;
    row = LOWORD(hit);
    // The menu acts on the row it was opened on, and shows which one that is.
    ::SendMessageW(hwnd_, LB_SETCURSEL, *row, 0);
  }
  const std::vector<platform::MenuItem> items = menu_.items(rows_.folder(*row));
  if (items.empty()) return;
  const base::win32::UniqueMenu menu(::CreatePopupMenu());
  if (!menu) return;
  for (const platform::MenuItem& item : items) {
    ::AppendMenuW(menu.get(), MF_STRING | (item.enabled ? 0u : MF_GRAYED),
                  static_cast<UINT_PTR>(item.command), item.text.c_str());
  }
  ::TrackPopupMenu(menu.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd_,
                   nullptr);
}

void Win32FolderList::chooseForSelectedRow(int command) {
  const auto row = selectedRow();
  if (!row || !menu_.chosen) return;
  menu_.chosen(rows_.folder(*row), command);
}

std::optional<std::size_t> Win32FolderList::selectedRow() const {
  const LRESULT selected = ::SendMessageW(hwnd_, LB_GETCURSEL, 0, 0);
  if (selected < 0 || static_cast<std::size_t>(selected) >= rows_.size()) return std::nullopt;
  return static_cast<std::size_t>(selected);
}

RECT Win32FolderList::rowRect(std::size_t row) const {
  RECT r{};
  ::SendMessageW(hwnd_, LB_GETITEMRECT, row, reinterpret_cast<LPARAM>(&r));
  RECT client{};
  ::GetClientRect(hwnd_, &client);
  // Rows scrolled out of sight have no place on the screen.
  if (r.bottom <= client.top || r.top >= client.bottom) return {};
  return r;
}

void Win32FolderList::fitRowHeight() {
  const auto dc = base::win32::windowDc(hwnd_);
  if (!dc.get()) return;
  const auto font = base::win32::select(dc.get(), font_);
  TEXTMETRICW metrics{};
  ::GetTextMetricsW(dc.get(), &metrics);
  const int height = std::max<int>(metrics.tmHeight, iconSize_) + kMargin;
  ::SendMessageW(hwnd_, LB_SETITEMHEIGHT, 0, MAKELPARAM(height, 0));
}

void Win32FolderList::draw(const DRAWITEMSTRUCT& item) const {
  const HDC dc = item.hDC;
  RECT rect = item.rcItem;
  if (item.itemAction == ODA_FOCUS) {
    ::DrawFocusRect(dc, &rect);
    return;
  }
  if (item.itemID == static_cast<UINT>(-1) || item.itemID >= rows_.size()) {
    ::FillRect(dc, &rect, ::GetSysColorBrush(COLOR_WINDOW));
    return;
  }
  const std::size_t row = item.itemID;
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  ::FillRect(dc, &rect, ::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));

  const int indent = iconSize_ / 2 + kMargin;
  int x = rect.left + kMargin + static_cast<int>(rows_.depth(row)) * indent;
  const HICON icon = rows_.isOpen(row) ? openIcon_ : closedIcon_;
  if (icon) {
    const int y = rect.top + (rect.bottom - rect.top - iconSize_) / 2;
    ::DrawIconEx(dc, x, y, icon, iconSize_, iconSize_, 0, nullptr, DI_NORMAL);
    switch (rows_.kind(row)) {
      case platform::RowKind::Link:
        drawLinkArrow(dc, markBox(dc, x, y, iconSize_));
        break;
      case platform::RowKind::BrokenLink:
        drawBrokenMark(dc, markBox(dc, x, y, iconSize_));
        break;
      case platform::RowKind::Folder:
        break;
    }
  }
  x += iconSize_ + kMargin;

  const auto font = base::win32::select(dc, font_);
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  RECT text = rect;
  text.left = x;
  const std::wstring label = rows_.label(row);
  ::DrawTextW(dc, label.c_str(), static_cast<int>(label.size()), &text,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  if (item.itemState & ODS_FOCUS) ::DrawFocusRect(dc, &rect);
}

}  // namespace mirafold::win32
