#pragma once
// A form shown modally over an owner window: the owner takes no input while it is open, and only
// the form's own close button ends it, hiding the window for the next opening.

#include <windows.h>

#include <string_view>

#include "platform/layout.h"
#include "platform/win32/ui/layout_window.h"

namespace mirafold::win32 {

class ModalDialog {
 public:
  ModalDialog(const platform::WindowLayout& form, HINSTANCE instance, int icon, HWND owner);
  ModalDialog(const ModalDialog&) = delete;
  ModalDialog& operator=(const ModalDialog&) = delete;

  HWND hwnd() const { return window_.hwnd(); }
  template <typename Interface>
  Interface& control(std::wstring_view name) {
    return window_.control<Interface>(name);
  }

  // Returns once the form is closed again (or the program is ending).
  void showModal();

 private:
  void close();

  HWND owner_;
  bool open_ = false;
  LayoutWindow window_;
};

}  // namespace mirafold::win32
