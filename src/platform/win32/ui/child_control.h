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
  // The form has been shown and drawn: work that would only delay its first sight is done now.
  virtual void onShown() {}
  // The form now stands at another DPI: the control moves to `pixels` (parent coordinates), takes
  // the font made for that DPI and remakes whatever else it drew for the old one.
  virtual void rescale(const RECT& pixels, int dpi, HFONT font) {
    (void)dpi;
    ::SetWindowPos(hwnd(), nullptr, pixels.left, pixels.top, pixels.right - pixels.left,
                   pixels.bottom - pixels.top, SWP_NOZORDER | SWP_NOACTIVATE);
    ::SendMessageW(hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
};

}  // namespace mirafold::win32
