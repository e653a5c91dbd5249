#pragma once
// A hidden top-level window that passes WM_COMMAND and WM_DRAWITEM on to the child control they
// concern, as the program's forms do.

#include <windows.h>

#include <vector>

#include "platform/win32/ui/child_control.h"

namespace mirafold::testing {

class ForwardingParent {
 public:
  ForwardingParent() {
    static const ATOM atom = [] {
      WNDCLASSW wc{};
      wc.lpfnWndProc = proc;
      wc.hInstance = ::GetModuleHandleW(nullptr);
      wc.lpszClassName = L"MirafoldTestParent";
      return ::RegisterClassW(&wc);
    }();
    hwnd_ = ::CreateWindowExW(0, MAKEINTATOM(atom), L"test", WS_OVERLAPPEDWINDOW, 0, 0, 600, 500,
                              nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~ForwardingParent() { destroy(); }
  ForwardingParent(const ForwardingParent&) = delete;
  ForwardingParent& operator=(const ForwardingParent&) = delete;

  HWND hwnd() const { return hwnd_; }
  void forwardTo(win32::ChildControl* control) { controls_.push_back(control); }
  void destroy() {
    if (hwnd_) ::DestroyWindow(hwnd_);
    hwnd_ = nullptr;
  }

 private:
  static LRESULT CALLBACK proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<ForwardingParent*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    HWND child = nullptr;
    if (message == WM_COMMAND) child = reinterpret_cast<HWND>(lParam);
    if (message == WM_DRAWITEM) child = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->hwndItem;
    if (self && child) {
      for (win32::ChildControl* control : self->controls_) {
        if (control->hwnd() != child) continue;
        if (auto result = control->onParentMessage(message, wParam, lParam)) return *result;
      }
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
  }

  HWND hwnd_ = nullptr;
  std::vector<win32::ChildControl*> controls_;
};

}  // namespace mirafold::testing
