#include "platform/win32/ui/table_dialog.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <iterator>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

#include "base/win32/handles.h"
#include "platform/win32/ui/dpi.h"
#include "platform/win32/ui/message_loop.h"
#include "platform/win32/ui/owned_dialog.h"
#include "platform/win32/ui/window_class.h"

namespace mirafold::win32 {
namespace {

// Work posted from the worker waits in the window's queue.
constexpr UINT kPosted = WM_APP + 1;
// What the worker shows is drawn at most this often; the last of it always.
constexpr ULONGLONG kShowEvery = 100;
constexpr UINT_PTR kShowTimer = 1;

// The layout at 96 dpi, scaled to the window's DPI when it is made and whenever that changes.
struct Place {
  int id;
  int x, y, width, height;
};
constexpr int kClientWidth = 680, kClientHeight = 420;
constexpr Place kPlaces[] = {
    {kTableId, 12, 12, 656, 354},
    {kTableSummaryId, 12, 380, 540, 20},
    {IDCANCEL, 578, 376, 90, 28},
};

// What the worker hands the window's thread; outlives the window while the worker holds it.
struct Mailbox {
  std::mutex lock;
  HWND window = nullptr;  // null once the window has gone: posts are dropped
  std::vector<std::function<void()>> waiting;

  void post(std::function<void()> work) {
    HWND wake = nullptr;
    {
      const std::lock_guard hold(lock);
      if (!window) return;
      waiting.push_back(std::move(work));
      if (waiting.size() == 1) wake = window;
    }
    // Outside the lock, which the window's thread takes: a message posted is a call to the
    // system that may wait. The window outlives the worker, which it awaits before it goes.
    if (wake) ::PostMessageW(wake, kPosted, 0, 0);
  }
  std::vector<std::function<void()>> take() {
    const std::lock_guard hold(lock);
    return std::exchange(waiting, {});
  }
};

}  // namespace

struct Win32TableDialog::Window {
  HWND owner = nullptr;
  HWND hwnd = nullptr;
  HWND table = nullptr;
  const platform::TableHandlers* handlers = nullptr;
  const TableTexts* texts = nullptr;
  platform::TableContent content;
  std::shared_ptr<Mailbox> mailbox = std::make_shared<Mailbox>();
  std::thread worker;
  std::atomic<bool> working = false;
  std::atomic<DWORD> workerId = 0;  // to cancel an opening it is blocked in
  // While posted work runs, what it shows waits, and only the last is drawn, at most every
  // kShowEvery ms: a worker that posts faster than the table draws never holds the window behind
  // a backlog.
  bool batching = false;
  std::optional<platform::TableContent> latest;
  ULONGLONG shownAt = 0;
  bool drawn = false;     // once: the first content is drawn whole
  bool timerSet = false;  // kShowTimer will draw `latest`
  base::win32::UniqueFont font;
  HWND focus = nullptr;  // the control that had the focus when the window was last left
  bool closed = false;

  std::vector<std::size_t> selectedRows() const {
    std::vector<std::size_t> rows;
    for (LRESULT row = -1;;) {
      row = ::SendMessageW(table, LVM_GETNEXTITEM, static_cast<WPARAM>(row), LVNI_SELECTED);
      if (row < 0 || static_cast<std::size_t>(row) >= content.rows.size()) return rows;
      rows.push_back(static_cast<std::size_t>(row));
    }
  }

  std::vector<std::wstring> selectedKeys() const {
    std::vector<std::wstring> keys;
    for (const std::size_t row : selectedRows()) keys.push_back(content.rows[row].key);
    return keys;
  }

  void select(std::size_t row, bool focused) {
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | (focused ? LVIS_FOCUSED : 0u);
    item.state = item.stateMask;
    ::SendMessageW(table, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
    if (focused) ::SendMessageW(table, LVM_ENSUREVISIBLE, row, FALSE);
  }

  void selectOnly(std::size_t row) {
    LVITEMW none{};
    none.stateMask = LVIS_SELECTED;
    ::SendMessageW(table, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                   reinterpret_cast<LPARAM>(&none));
    select(row, true);
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
    for (std::size_t column = 0; column < texts->columns.size(); ++column) {
      ::SendMessageW(table, LVM_SETCOLUMNWIDTH, column, px(texts->columns[column].width));
    }
    font = std::move(fresh);
  }

  void showSortArrow() {
    const HWND header = reinterpret_cast<HWND>(::SendMessageW(table, LVM_GETHEADER, 0, 0));
    for (int column = 0; column < static_cast<int>(texts->columns.size()); ++column) {
      HDITEMW item{};
      item.mask = HDI_FORMAT;
      ::SendMessageW(header, HDM_GETITEMW, column, reinterpret_cast<LPARAM>(&item));
      item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
      if (column == content.sortColumn) item.fmt |= content.ascending ? HDF_SORTUP : HDF_SORTDOWN;
      ::SendMessageW(header, HDM_SETITEMW, column, reinterpret_cast<LPARAM>(&item));
    }
  }

  void show(const platform::TableContent& fresh) {
    if (batching) {
      latest = fresh;
      return;
    }
    // Newer than anything still waiting to be drawn.
    latest.reset();
    if (std::exchange(timerSet, false)) ::KillTimer(hwnd, kShowTimer);
    shownAt = ::GetTickCount64();
    const std::vector<std::size_t> before = selectedRows();
    const LRESULT focused =
        ::SendMessageW(table, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED);
    const std::wstring focusedKey =
        focused >= 0 && static_cast<std::size_t>(focused) < content.rows.size()
            ? content.rows[static_cast<std::size_t>(focused)].key
            : std::wstring();
    const std::vector<std::wstring> selected = selectedKeys();
    platform::TableContent shown = std::exchange(content, fresh);
    const bool whole = !std::exchange(drawn, true);
    // Only what changed is drawn again: while work fills the table the window stays free to
    // answer, where a whole repaint each time would keep it busy.
    if (content.rows.size() != shown.rows.size()) {
      ::SendMessageW(table, LVM_SETITEMCOUNT, content.rows.size(),
                     LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
    }
    reselect(before, selected, focusedKey);
    const auto changed = [&](std::size_t row) {
      return row >= shown.rows.size() || shown.rows[row] != content.rows[row];
    };
    std::size_t first = 0, last = content.rows.size();
    while (first < last && !changed(first)) ++first;
    while (last > first && !changed(last - 1)) --last;
    if (first < last) ::SendMessageW(table, LVM_REDRAWITEMS, first, last - 1);
    if (whole || content.rows.size() < shown.rows.size()) ::InvalidateRect(table, nullptr, TRUE);
    if (whole || content.summary != shown.summary) {
      ::SetDlgItemTextW(hwnd, kTableSummaryId, content.summary.c_str());
    }
    if (whole || content.busy != shown.busy) {
      ::SetDlgItemTextW(hwnd, IDCANCEL, (content.busy ? texts->cancel : texts->close).c_str());
    }
    if (whole || content.sortColumn != shown.sortColumn || content.ascending != shown.ascending) {
      showSortArrow();
    }
  }

  // The rows chosen before (by key) chosen again where they are now; nothing touched when they
  // stand where they stood.
  void reselect(const std::vector<std::size_t>& before, const std::vector<std::wstring>& selected,
                const std::wstring& focusedKey) {
    std::vector<std::size_t> wanted;
    std::optional<std::size_t> focusRow;
    for (std::size_t row = 0; row < content.rows.size(); ++row) {
      const std::wstring& key = content.rows[row].key;
      if (std::find(selected.begin(), selected.end(), key) == selected.end()) continue;
      wanted.push_back(row);
      if (key == focusedKey) focusRow = row;
    }
    if (wanted.empty() && !content.rows.empty()) {
      wanted.push_back(before.empty() ? 0 : std::min(before.front(), content.rows.size() - 1));
      focusRow = wanted.front();
    }
    const LRESULT focusedNow =
        ::SendMessageW(table, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED);
    const bool sameFocus =
        focusRow ? focusedNow == static_cast<LRESULT>(*focusRow) : focusedNow < 0;
    if (wanted == before && sameFocus) return;
    LVITEMW none{};
    none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageW(table, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                   reinterpret_cast<LPARAM>(&none));
    for (const std::size_t row : wanted) select(row, focusRow == row);
  }

  // Work on the worker thread; what it posts runs here, between messages.
  void start(platform::TableWork work) {
    if (worker.joinable()) worker.join();
    working = true;
    workerId = 0;
    worker = std::thread([this, work = std::move(work), mailbox = mailbox] {
      workerId = ::GetCurrentThreadId();
      try {
        work([mailbox](std::function<void()> job) { mailbox->post(std::move(job)); });
      } catch (...) {
        // The window stays; what the work found so far is shown.
      }
      working = false;
    });
  }

  void runPosted() {
    batching = true;
    for (auto& job : mailbox->take()) job();
    batching = false;
    if (!latest) return;
    const ULONGLONG since = ::GetTickCount64() - shownAt;
    if (since >= kShowEvery) {
      showLatest();
    } else {
      // Set once: what comes before it fires is drawn with it.
      if (!std::exchange(timerSet, true)) {
        ::SetTimer(hwnd, kShowTimer, static_cast<UINT>(kShowEvery - since), nullptr);
      }
    }
  }

  void showLatest() {
    if (latest) show(*std::exchange(latest, std::nullopt));
  }

  // The window has gone: the work is asked to stop, and awaited; what it still posts is dropped.
  // The work stops between two folders; an opening it hangs in (a server gone, a cloud provider
  // fetching) is cancelled, again until it has stopped, the program's windows drawn meanwhile.
  void endWork() {
    {
      const std::lock_guard hold(mailbox->lock);
      mailbox->window = nullptr;
      mailbox->waiting.clear();
    }
    if (working) {
      if (handlers->stop) handlers->stop();
      ::ShowWindow(hwnd, SW_HIDE);
      waitWithWindowsDrawn(
          [&] {
            cancelBlockedIo();
            return !working;
          },
          std::chrono::steady_clock::time_point::max());
    }
    if (worker.joinable()) worker.join();
  }

  void cancelBlockedIo() {
    const DWORD id = workerId;
    if (!id) return;
    const base::win32::UniqueKernelHandle thread(::OpenThread(THREAD_TERMINATE, FALSE, id));
    if (thread) ::CancelSynchronousIo(thread.get());
  }

  // A road's questions and progress window are the owner's, and their modal loops serve this
  // window too: it takes no input until the road ends, so that no second road starts inside one.
  void beforeRoad() { ::EnableWindow(hwnd, FALSE); }

  // A message box a road opened gives the owner its input back when it closes, and the owner is
  // activated; this window is still up, so the owner waits on and the keyboard comes back here.
  void afterRoad() {
    ::EnableWindow(hwnd, TRUE);
    if (closed) return;
    if (owner) ::EnableWindow(owner, FALSE);
    ::SetActiveWindow(hwnd);
  }

  void showMenu(LPARAM lParam) {
    POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (at.x == -1 && at.y == -1) {
      // From the keyboard: the chosen rows, the menu at the focused one's lower left.
      const auto rows = selectedRows();
      if (rows.empty()) return;
      LRESULT row = ::SendMessageW(table, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED);
      if (row < 0) row = static_cast<LRESULT>(rows.front());
      RECT r{};
      r.left = LVIR_LABEL;
      ::SendMessageW(table, LVM_GETITEMRECT, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&r));
      at = {r.left, r.bottom};
      ::ClientToScreen(table, &at);
    } else {
      LVHITTESTINFO hit{};
      hit.pt = at;
      ::ScreenToClient(table, &hit.pt);
      const LRESULT found = ::SendMessageW(table, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
      if (found < 0 || static_cast<std::size_t>(found) >= content.rows.size()) return;
      // A click on a row outside the chosen ones chooses it alone, as Explorer does.
      const auto rows = selectedRows();
      const auto row = static_cast<std::size_t>(found);
      if (std::find(rows.begin(), rows.end(), row) == rows.end()) selectOnly(row);
    }
    const auto items = handlers->items(selectedKeys());
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
    const std::vector<std::wstring> keys = selectedKeys();
    if (keys.empty()) return;
    beforeRoad();
    handlers->chosen(keys, command);
    afterRoad();
  }

  void activate() {
    const auto rows = selectedRows();
    if (rows.size() != 1 || !handlers->activate) return;
    const std::wstring key = content.rows[rows.front()].key;
    beforeRoad();
    handlers->activate(key);
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
        const platform::TableRow& row = content.rows[static_cast<std::size_t>(item.iItem)];
        const auto cell = static_cast<std::size_t>(item.iSubItem);
        ::lstrcpynW(item.pszText, cell < row.cells.size() ? row.cells[cell].c_str() : L"",
                    item.cchTextMax);
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

using Window = Win32TableDialog::Window;

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
    case kPosted:
      self.runPosted();
      return 0;
    case WM_TIMER:
      if (wParam != kShowTimer) break;
      self.showLatest();
      return 0;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL) {
        // While work fills the table the button (and Esc) stops it; the window stays.
        if (!self.content.busy) {
          self.closed = true;
        } else if (self.working && self.handlers->stop) {
          self.handlers->stop();
        }
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

HWND child(HWND parent, const wchar_t* cls, const std::wstring& text, DWORD style, int id,
           DWORD exStyle = 0) {
  return ::CreateWindowExW(exStyle, cls, text.c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0,
                           parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           ::GetModuleHandleW(nullptr), nullptr);
}

}  // namespace

Win32TableDialog::Win32TableDialog(HWND owner, TableTexts texts)
    : owner_(owner), texts_(std::move(texts)) {}

Win32TableDialog::~Win32TableDialog() = default;

void Win32TableDialog::run(const platform::TableContent& content,
                           const platform::TableHandlers& handlers, platform::TableWork work) {
  registerWindowClass(kTableClassName, windowProc);
  Window state;
  state.owner = owner_;
  state.handlers = &handlers;
  state.texts = &texts_;
  const int dpi = owner_ ? windowDpi(owner_) : kDefaultDpi;
  const base::win32::UniqueWindow window =
      makeOwnedDialog(owner_, kTableClassName, texts_.title, {kClientWidth, kClientHeight}, &state);
  state.hwnd = window.get();
  state.mailbox->window = state.hwnd;
  // Its text is its name to a screen reader: the window's title.
  state.table = child(state.hwnd, WC_LISTVIEWW, texts_.title,
                      WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS |
                          (texts_.severalRows ? 0u : static_cast<DWORD>(LVS_SINGLESEL)),
                      kTableId, WS_EX_CLIENTEDGE);
  ::SendMessageW(state.table, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_LABELTIP);
  for (std::size_t column = 0; column < texts_.columns.size(); ++column) {
    const platform::TableColumn& shown = texts_.columns[column];
    std::wstring title(shown.title);
    LVCOLUMNW c{};
    c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM | LVCF_FMT;
    c.fmt = shown.alignRight ? LVCFMT_RIGHT : LVCFMT_LEFT;
    c.pszText = title.data();
    c.cx = scaled(shown.width, dpi, kDefaultDpi);
    c.iSubItem = static_cast<int>(column);
    ::SendMessageW(state.table, LVM_INSERTCOLUMNW, column, reinterpret_cast<LPARAM>(&c));
  }
  child(state.hwnd, L"STATIC", L"", SS_NOPREFIX | SS_PATHELLIPSIS, kTableSummaryId);
  child(state.hwnd, L"BUTTON", texts_.close, WS_TABSTOP | BS_PUSHBUTTON, IDCANCEL);
  state.layOut(dpi);
  state.show(content);

  open_ = &state;
  if (work) state.start(std::move(work));
  // Modal: the owner takes no input, but paints, until the window goes.
  if (owner_) ::EnableWindow(owner_, FALSE);
  ::ShowWindow(state.hwnd, SW_SHOW);
  ::SetFocus(state.table);

  const std::optional<int> quit = runModalLoop([&] { return state.closed; });
  state.endWork();
  open_ = nullptr;
  // The owner takes input again before this window goes, so that it is the one activated.
  if (owner_) ::EnableWindow(owner_, TRUE);
  if (quit) ::PostQuitMessage(*quit);
}

void Win32TableDialog::show(const platform::TableContent& content) {
  if (open_) open_->show(content);
}

void Win32TableDialog::start(platform::TableWork work) {
  if (open_) open_->start(std::move(work));
}

void Win32TableDialog::close() {
  if (open_) open_->closed = true;
}

}  // namespace mirafold::win32
