#pragma once
// A control window owned by a form. The form passes on the notifications that Win32 sends to the
// parent (WM_COMMAND, WM_DRAWITEM, WM_CTLCOLOR*) to the control they concern.

#include <windows.h>

#include <optional>

namespace mirafold::win32 {

class ChildControl {
 public:
  virtual ~ChildControl() = default;
  virtual HWND hwnd() const = 0;
  virtual std::optional<LRESULT> onParentMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    (void)message, (void)wParam, (void)lParam;
    return std::nullopt;
  }
};

}  // namespace mirafold::win32
