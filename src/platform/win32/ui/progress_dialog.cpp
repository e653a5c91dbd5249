#include "platform/win32/ui/progress_dialog.h"

#include <commctrl.h>

#include <exception>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <thread>

#include "base/win32/handles.h"
#include "platform/win32/ui/dpi.h"
#include "platform/win32/ui/message_loop.h"
#include "platform/win32/ui/owned_dialog.h"
#include "platform/win32/ui/window_class.h"

namespace mirafold::win32 {
namespace {

constexpr wchar_t kClassName[] = L"MirafoldProgress";
constexpr UINT kReported = WM_APP + 1;  // a newer view waits in the shared state
constexpr UINT kWorkEnded = WM_APP + 2;

// Between the worker and the window: the latest view, and whether a message about it is on its
// way. Reports come at most 30 times a second, so each gets its message.
struct Shared {
  std::mutex lock;
  std::optional<platform::ProgressView> latest;
  HWND window = nullptr;
};

// The layout at 96 dpi, scaled to the window's DPI when it is made and whenever that changes.
struct Place {
  int id;
  int x, y, width, height;
};
constexpr int kClientWidth = 420, kClientHeight = 150;
constexpr Place kPlaces[] = {
    {kProgressBarId, 12, 12, 396, 18},    {kProgressFileId, 12, 38, 396, 18},
    {kProgressCountsId, 12, 60, 396, 18}, {kProgressRateId, 12, 82, 396, 18},
    {IDCANCEL, 318, 112, 90, 26},
};

struct Window {
  Shared* shared;
  const std::function<void()>* cancel;
  base::win32::UniqueFont font;
  bool ended = false;
  bool cancelled = false;
};

// Places the controls for `dpi` and gives them a font of that size; the old font goes after.
void layOut(HWND dialog, Window& self, int dpi) {
  base::win32::UniqueFont font = messageFont(dpi);
  const auto px = [dpi](int length) { return scaled(length, dpi, kDefaultDpi); };
  for (const Place& place : kPlaces) {
    const HWND control = ::GetDlgItem(dialog, place.id);
    ::SetWindowPos(control, nullptr, px(place.x), px(place.y), px(place.width), px(place.height),
                   SWP_NOZORDER | SWP_NOACTIVATE);
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
  }
  self.font = std::move(font);
}

void setText(HWND dialog, int id, const std::wstring& text) {
  ::SetDlgItemTextW(dialog, id, text.c_str());
}

// Set only when it changes: a caption drawn again 30 times a second flickers.
void setTitle(HWND dialog, const std::wstring& title) {
  if (title.empty()) return;
  std::wstring shown(static_cast<std::size_t>(::GetWindowTextLengthW(dialog)) + 1, L'\0');
  shown.resize(static_cast<std::size_t>(
      ::GetWindowTextW(dialog, shown.data(), static_cast<int>(shown.size()))));
  if (shown != title) ::SetWindowTextW(dialog, title.c_str());
}

void showLatest(HWND dialog, Shared& shared) {
  std::optional<platform::ProgressView> view;
  {
    const std::lock_guard hold(shared.lock);
    view.swap(shared.latest);
  }
  if (!view) return;
  const HWND bar = ::GetDlgItem(dialog, kProgressBarId);
  if (view->unknownTotal) {
    if ((::GetWindowLongW(bar, GWL_STYLE) & PBS_MARQUEE) == 0) {
      ::SetWindowLongW(bar, GWL_STYLE, ::GetWindowLongW(bar, GWL_STYLE) | PBS_MARQUEE);
      ::SendMessageW(bar, PBM_SETMARQUEE, TRUE, 30);
    }
  } else {
    ::SendMessageW(bar, PBM_SETPOS, view->permille, 0);
  }
  setTitle(dialog, view->title);
  setText(dialog, kProgressFileId, view->currentFile);
  setText(dialog, kProgressCountsId, view->counts);
  setText(dialog, kProgressRateId, view->rate);
}

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    if (message == WM_NCCREATE) {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    switch (message) {
      case kReported:
        showLatest(hwnd, *self->shared);
        return 0;
      case kWorkEnded:
        self->ended = true;
        return 0;
      case WM_DPICHANGED: {
        // Moved to a monitor of another scale: the size the system suggests, the controls anew.
        const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
        layOut(hwnd, *self, LOWORD(wParam));
        ::SetWindowPos(hwnd, nullptr, suggested.left, suggested.top,
                       suggested.right - suggested.left, suggested.bottom - suggested.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
      }
      case WM_COMMAND:
        if (LOWORD(wParam) != IDCANCEL) break;
        [[fallthrough]];
      case WM_CLOSE:
        // Asked once; the window stays until the work has undone what it did.
        if (!self->cancelled) {
          self->cancelled = true;
          ::EnableWindow(::GetDlgItem(hwnd, IDCANCEL), FALSE);
          (*self->cancel)();
        }
        return 0;
      case WM_NCDESTROY:
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        break;
      default:
        break;
    }
  } catch (...) {
    // Nothing may unwind through user32.
    return 0;
  }
  return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

HWND child(HWND parent, const wchar_t* cls, const std::wstring& text, DWORD style, int id) {
  return ::CreateWindowExW(0, cls, text.c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           ::GetModuleHandleW(nullptr), nullptr);
}

}  // namespace

Win32ProgressDialog::Win32ProgressDialog(HWND owner, ProgressDialogTexts texts)
    : owner_(owner), texts_(std::move(texts)) {}

void Win32ProgressDialog::run(const std::function<void(const platform::ProgressReport&)>& work,
                              const std::function<void()>& cancel) {
  registerWindowClass(kClassName, windowProc);
  Shared shared;
  Window state{&shared, &cancel, {}};
  const int dpi = owner_ ? windowDpi(owner_) : kDefaultDpi;
  const base::win32::UniqueWindow window =
      makeOwnedDialog(owner_, kClassName, texts_.title, {kClientWidth, kClientHeight}, &state);
  const HWND dialog = window.get();
  const HWND bar = child(dialog, PROGRESS_CLASSW, L"", 0, kProgressBarId);
  ::SendMessageW(bar, PBM_SETRANGE32, 0, 1000);
  child(dialog, L"STATIC", L"", SS_PATHELLIPSIS | SS_NOPREFIX, kProgressFileId);
  child(dialog, L"STATIC", L"", SS_NOPREFIX, kProgressCountsId);
  child(dialog, L"STATIC", L"", SS_NOPREFIX, kProgressRateId);
  const HWND button =
      child(dialog, L"BUTTON", texts_.cancel, WS_TABSTOP | BS_DEFPUSHBUTTON, IDCANCEL);
  layOut(dialog, state, dpi);
  shared.window = dialog;

  // Modal: the owner takes no input, but paints, until the window goes.
  if (owner_) ::EnableWindow(owner_, FALSE);
  ::ShowWindow(dialog, SW_SHOW);
  ::SetFocus(button);

  std::exception_ptr failure;
  std::thread worker([&] {
    try {
      work([&](const platform::ProgressView& view) {
        const std::lock_guard hold(shared.lock);
        const bool waiting = shared.latest.has_value();
        shared.latest = view;
        if (!waiting) ::PostMessageW(shared.window, kReported, 0, 0);
      });
    } catch (...) {
      failure = std::current_exception();
    }
    ::PostMessageW(shared.window, kWorkEnded, 0, 0);
  });

  // A WM_QUIT is kept for the program's own loop once the work has ended.
  const std::optional<int> quit = runModalLoop([&] { return state.ended; });
  worker.join();
  if (owner_) ::EnableWindow(owner_, TRUE);
  if (quit) ::PostQuitMessage(*quit);
  if (failure) std::rethrow_exception(failure);
}

}  // namespace mirafold::win32
