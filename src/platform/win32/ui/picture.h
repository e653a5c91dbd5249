#pragma once
// A picture control showing one of the program's JPEG resources at the control's size.

#include <windows.h>

#include <memory>

#include "base/win32/handles.h"
#include "platform/win32/ui/child_control.h"

namespace mirafold::win32 {

class Win32Picture : public ChildControl {
 public:
  // A picture that cannot be loaded leaves the control empty; the window still works.
  static std::unique_ptr<Win32Picture> create(HWND parent, int id, const RECT& bounds,
                                              HINSTANCE instance, int resource);
  HWND hwnd() const override { return picture_; }
  // Decodes the picture afresh at the new size rather than stretching the old bitmap.
  void rescale(const RECT& pixels, int dpi, HFONT font) override;

 private:
  Win32Picture(HWND picture, HINSTANCE instance, int resource)
      : picture_(picture), instance_(instance), resource_(resource) {}
  void load(int width, int height);
  HWND picture_;
  HINSTANCE instance_;
  int resource_;
  base::win32::UniqueBitmap bitmap_;  // outlives the control, which only borrows it
};

}  // namespace mirafold::win32
