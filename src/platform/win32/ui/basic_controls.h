#pragma once
// The standard controls behind the program's control interfaces. The form owns the windows;
// these wrappers only talk to them.

#include <windows.h>

#include <vector>

#include "platform/controls.h"
#include "platform/win32/ui/accessible.h"
#include "platform/win32/ui/child_control.h"

namespace mirafold::win32 {

std::wstring windowText(HWND window);

// An edit box named for screen readers by the caption that the user sees for it, which the system
// cannot find on its own when that caption is a frame's.
class Win32TextBox : public platform::TextBox, public ChildControl, private AccessibleSource {
 public:
  Win32TextBox(HWND edit, std::wstring accessibleName);
  HWND hwnd() const override { return edit_; }
  std::wstring text() const override { return windowText(edit_); }
  void setText(const std::wstring& text) override;
  void setEnabled(bool enabled) override { ::EnableWindow(edit_, enabled); }
  void onKeyPress(platform::KeyHandler handler) override { keyPress_ = std::move(handler); }

 private:
  static LRESULT CALLBACK subclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
  std::wstring accessibleName() const override { return name_; }
  HWND edit_;
  std::wstring name_;
  platform::KeyHandler keyPress_;
  AccessibleLink accessible_{*this};
};

class Win32Label : public platform::Label, public ChildControl {
 public:
  Win32Label(HWND label, bool linkStyle);
  HWND hwnd() const override { return label_; }
  std::wstring text() const override { return windowText(label_); }
  void setText(const std::wstring& text) override { ::SetWindowTextW(label_, text.c_str()); }
  void onClick(platform::Handler handler) override { click_ = std::move(handler); }
  std::optional<LRESULT> onParentMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  static LRESULT CALLBACK subclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
  HWND label_;
  bool linkStyle_;
  platform::Handler click_;
};

class Win32Button : public platform::Button, public ChildControl {
 public:
  explicit Win32Button(HWND button) : button_(button) {}
  HWND hwnd() const override { return button_; }
  void setText(const std::wstring& text) override { ::SetWindowTextW(button_, text.c_str()); }
  void setEnabled(bool enabled) override { ::EnableWindow(button_, enabled); }
  void onClick(platform::Handler handler) override { click_ = std::move(handler); }
  std::optional<LRESULT> onParentMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  HWND button_;
  platform::Handler click_;
};

class Win32CheckBox : public platform::CheckBox, public ChildControl {
 public:
  explicit Win32CheckBox(HWND box) : box_(box) {}
  HWND hwnd() const override { return box_; }
  int value() const override;
  void onClick(platform::Handler handler) override { click_ = std::move(handler); }
  std::optional<LRESULT> onParentMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  HWND box_;
  platform::Handler click_;
};

// A group box; hiding it hides the controls laid out inside it. Its window finds out which frame a
// drop landed on and hands the paths to it.
class Win32Frame : public platform::Frame, public ChildControl {
 public:
  explicit Win32Frame(HWND box) : box_(box) {}
  HWND hwnd() const override { return box_; }
  void addMember(HWND member) { members_.push_back(member); }
  void setVisible(bool visible) override;
  // The window takes dropped files from the first frame on that wants them.
  void onDrop(platform::DropHandler handler) override;
  // False when the frame takes no drops: none wanted, or hidden.
  bool drop(const std::vector<std::wstring>& paths);

 private:
  HWND box_;
  std::vector<HWND> members_;
  platform::DropHandler drop_;
};

}  // namespace mirafold::win32
