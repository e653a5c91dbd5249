#pragma once
// A top-level window made from a layout table: it creates the controls, owns their fonts, and
// passes each notification on to the control it concerns. It decides nothing itself.

#include <windows.h>

#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/layout.h"
#include "platform/win32/child_control.h"
#include "platform/win32/timer.h"
#include "platform/win32/unique_handle.h"

namespace mirafold::win32 {

class FormWindow {
 public:
  // onClose runs for the window's close button; without one the window is destroyed and the
  // message loop ends. An owned window stays above its owner.
  FormWindow(const platform::Form& form, HINSTANCE instance, HICON icon,
             std::function<void()> onClose = {}, HWND owner = nullptr);
  ~FormWindow();
  FormWindow(const FormWindow&) = delete;
  FormWindow& operator=(const FormWindow&) = delete;

  HWND hwnd() const { return hwnd_; }

  template <typename Interface>
  Interface& control(std::wstring_view name) {
    return dynamic_cast<Interface&>(find(name));
  }
  Win32Timer& addTimer(UINT_PTR id, UINT intervalMs);

  // Shows the window and puts the focus into the first control that takes it.
  void show();

 private:
  struct Entry {
    std::wstring_view name;
    int id;
    std::unique_ptr<ChildControl> control;
  };

  static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
  void createControls(const platform::Form& form);
  std::unique_ptr<ChildControl> createControl(const platform::Control& layout, const RECT& pixels);
  HFONT font(platform::Font wanted, bool underline);
  int pixels(int twips) const;
  ChildControl& find(std::wstring_view name);
  ChildControl* byWindow(HWND window);
  ChildControl* byId(int id);

  HINSTANCE instance_;
  std::function<void()> onClose_;
  int dpi_ = 96;
  HWND hwnd_ = nullptr;  // known from WM_NCCREATE on, before CreateWindowExW returns
  UniqueWindow window_;
  std::vector<Entry> controls_;
  std::vector<std::unique_ptr<Win32Timer>> timers_;
  struct FontEntry {
    platform::Font size;
    bool underline;
    UniqueFont font;
  };
  std::vector<FontEntry> fonts_;
};

}  // namespace mirafold::win32
