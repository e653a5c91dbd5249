#pragma once
// A top-level window made from a layout table: it creates the controls, owns their fonts and its
// icons, and passes each notification on to the control it concerns. It decides nothing itself.
// Everything is laid out at the DPI of the monitor the window stands on, and again when it moves
// to a monitor of another DPI.

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "base/win32/handles.h"
#include "platform/folder_row_model.h"
#include "platform/layout.h"
#include "platform/win32/ui/child_control.h"
#include "platform/win32/ui/timer.h"

namespace mirafold::win32 {

class LayoutWindow {
 public:
  // onClose runs for the window's close button; without one the window is destroyed and the
  // message loop ends. An owned window stays above its owner and has no minimise box. `icon` is
  // the resource of the window's icon.
  LayoutWindow(const platform::WindowLayout& form, HINSTANCE instance, int icon,
               std::function<void()> onClose = {}, HWND owner = nullptr);
  ~LayoutWindow();
  LayoutWindow(const LayoutWindow&) = delete;
  LayoutWindow& operator=(const LayoutWindow&) = delete;

  HWND hwnd() const { return hwnd_; }
  int dpi() const { return dpi_; }

  template <typename Interface>
  Interface& control(std::wstring_view name) {
    return dynamic_cast<Interface&>(find(name));
  }
  Win32Timer& addTimer(UINT_PTR id, UINT intervalMs);

  // Shows the window and puts the focus into the first control that takes it.
  void show();

 private:
  struct Entry {
    const platform::Control* layout;
    std::unique_ptr<ChildControl> control;
  };

  static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
  void createControls();
  // The folder lists all start at the current folder, read once for all of them.
  std::unique_ptr<ChildControl> createControl(const platform::Control& layout, const RECT& pixels,
                                              std::optional<platform::FolderRowModel>& startFolder);
  // Hands a drop to the frame it landed on; the list is released however that ends.
  void onDropFiles(HDROP drop);
  void placeCentred();
  // The window's outer rectangle at dpi_, centred on the work area.
  RECT centredFrame() const;
  void onDpiChanged(int dpi, const RECT& suggested);
  void loadIcons();
  RECT placeOf(const platform::Control& layout) const;
  HFONT font(const platform::Control& layout);
  int pixels(int twips) const;
  ChildControl& find(std::wstring_view name);
  ChildControl* byWindow(HWND window);
  ChildControl* byId(int id);

  const platform::WindowLayout& form_;
  HINSTANCE instance_;
  int iconResource_;
  std::function<void()> onClose_;
  DWORD style_;
  int dpi_ = 96;
  int placedAt_ = 0;     // the DPI the window's size was made for
  HWND hwnd_ = nullptr;  // known from WM_NCCREATE on, before CreateWindowExW returns
  base::win32::UniqueWindow window_;
  std::vector<Entry> controls_;
  std::vector<std::unique_ptr<Win32Timer>> timers_;
  struct FontEntry {
    platform::Font size;
    bool underline;
    base::win32::UniqueFont font;
  };
  std::vector<FontEntry> fonts_;  // made for dpi_
  base::win32::UniqueIcon bigIcon_;
  base::win32::UniqueIcon smallIcon_;
};

}  // namespace mirafold::win32
