#include "platform/win32/ui/message_loop.h"

#include <windows.h>

#include <algorithm>
#include <vector>

namespace mirafold::win32 {
namespace {

// The thread's enabled top-level windows, disabled until the object goes.
class InputHeldOff {
 public:
  InputHeldOff() : focus_(::GetFocus()) {
    ::EnumThreadWindows(::GetCurrentThreadId(), &InputHeldOff::add,
                        reinterpret_cast<LPARAM>(&held_));
    for (HWND window : held_) ::EnableWindow(window, FALSE);
  }
  ~InputHeldOff() {
    for (HWND window : held_) {
      if (::IsWindow(window)) ::EnableWindow(window, TRUE);
    }
    // A disabled window loses the focus; the keyboard comes back where it was.
    if (focus_ && ::IsWindow(focus_)) ::SetFocus(focus_);
  }
  InputHeldOff(const InputHeldOff&) = delete;
  InputHeldOff& operator=(const InputHeldOff&) = delete;

 private:
  static BOOL CALLBACK add(HWND window, LPARAM held) {
    if (::IsWindowVisible(window) && ::IsWindowEnabled(window)) {
      reinterpret_cast<std::vector<HWND>*>(held)->push_back(window);
    }
    return TRUE;
  }
  HWND focus_;
  std::vector<HWND> held_;
};

}  // namespace

void dispatchMessage(MSG& msg) {
  HWND root = msg.hwnd ? ::GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
  if (root && ::IsDialogMessageW(root, &msg)) return;
  ::TranslateMessage(&msg);
  ::DispatchMessageW(&msg);
}

std::optional<int> runModalLoop(const std::function<bool()>& done) {
  MSG msg{};
  while (!done()) {
    if (::GetMessageW(&msg, nullptr, 0, 0) <= 0) return static_cast<int>(msg.wParam);
    dispatchMessage(msg);
  }
  return std::nullopt;
}

bool waitWithWindowsDrawn(const std::function<bool()>& done,
                          std::chrono::steady_clock::time_point deadline) {
  const InputHeldOff held;
  for (;;) {
    if (done()) return true;
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    ::MsgWaitForMultipleObjectsEx(0, nullptr,
                                  static_cast<DWORD>(std::min<long long>(left.count(), 50)),
                                  QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    MSG msg{};
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        ::PostQuitMessage(static_cast<int>(msg.wParam));
        return done();
      }
      dispatchMessage(msg);
    }
  }
}

int runMessageLoop() {
  MSG msg{};
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) dispatchMessage(msg);
  return static_cast<int>(msg.wParam);
}

}  // namespace mirafold::win32
