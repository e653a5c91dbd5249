#pragma once
// In-memory controls: they hold what a user would see and raise their handlers when told to.

#include <string>
#include <vector>

#include "fakes/fake_system.h"
#include "platform/controls.h"

namespace mirafold::fakes {

class FakeTextBox : public platform::TextBox {
 public:
  explicit FakeTextBox(std::wstring initial = L"Text1") : text_(std::move(initial)) {}
  std::wstring text() const override { return text_; }
  void setText(const std::wstring& text) override { text_ = text; }
  void setEnabled(bool enabled) override { enabled_ = enabled; }
  void onKeyPress(platform::KeyHandler handler) override { keyPress_ = std::move(handler); }

  bool enabled() const { return enabled_; }
  void type(const std::wstring& text) { text_ = text; }
  // Typing a character: the handler first, then the box takes it (Enter adds nothing).
  void press(wchar_t character) {
    if (keyPress_) keyPress_(character);
    if (character != L'\r') text_ += character;
  }

 private:
  std::wstring text_;
  bool enabled_ = true;
  platform::KeyHandler keyPress_;
};

class FakeLabel : public platform::Label {
 public:
  explicit FakeLabel(std::wstring caption) : text_(std::move(caption)) {}
  std::wstring text() const override { return text_; }
  void setText(const std::wstring& text) override { text_ = text; }
  void onClick(platform::Handler handler) override { click_ = std::move(handler); }
  void click() { click_(); }

 private:
  std::wstring text_;
  platform::Handler click_;
};

class FakeButton : public platform::Button {
 public:
  explicit FakeButton(std::wstring caption) : text_(std::move(caption)) {}
  void setText(const std::wstring& text) override { text_ = text; }
  void setEnabled(bool enabled) override { enabled_ = enabled; }
  void onClick(platform::Handler handler) override { click_ = std::move(handler); }

  const std::wstring& text() const { return text_; }
  bool enabled() const { return enabled_; }
  // Like a real button, a disabled one cannot be clicked.
  void click() {
    if (enabled_) click_();
  }

 private:
  std::wstring text_;
  bool enabled_ = true;
  platform::Handler click_;
};

class FakeCheckBox : public platform::CheckBox {
 public:
  int value() const override { return value_; }
  void onClick(platform::Handler handler) override { click_ = std::move(handler); }
  void toggle() {
    value_ = value_ == 1 ? 0 : 1;
    click_();
  }
  void clickWithValue(int value) {
    value_ = value;
    click_();
  }

 private:
  int value_ = 0;
  platform::Handler click_;
};

class FakeFrame : public platform::Frame {
 public:
  void setVisible(bool visible) override { visible_ = visible; }
  void onDrop(platform::DropHandler handler) override { drop_ = std::move(handler); }
  bool visible() const { return visible_; }
  // Like the window, a hidden frame takes no drop.
  void drop(const std::vector<std::wstring>& paths) {
    if (visible_) drop_(paths);
  }

 private:
  bool visible_ = true;
  platform::DropHandler drop_;
};

// Accepts only folders of the fake file system; "x:" goes to the drive's root.
class FakeFolderList : public platform::FolderList {
 public:
  FakeFolderList(const FakeFileSystem& files, std::wstring start)
      : files_(files), path_(std::move(start)) {}
  std::wstring path() const override { return path_; }
  bool setPath(const std::wstring& path) override;
  void onChange(platform::Handler handler) override { change_ = std::move(handler); }
  void onContextMenu(platform::RowMenu menu) override { menu_ = std::move(menu); }

  // What a right click on the row of `folder` would show, and a choice from that menu.
  std::vector<platform::MenuItem> menuOf(const std::wstring& folder) const {
    return menu_.items ? menu_.items(folder) : std::vector<platform::MenuItem>{};
  }
  void choose(const std::wstring& folder, int command) { menu_.chosen(folder, command); }

  int changes = 0;

 private:
  const FakeFileSystem& files_;
  std::wstring path_;
  platform::Handler change_;
  platform::RowMenu menu_;
};

class FakeDriveList : public platform::DriveList {
 public:
  explicit FakeDriveList(std::wstring drive) : drive_(std::move(drive)) {}
  std::wstring drive() const override { return drive_; }
  void selectDriveOf(const std::wstring& path) override { drive_ = lowered(path.substr(0, 2)); }
  void onChange(platform::Handler handler) override { change_ = std::move(handler); }
  void select(const std::wstring& drive) {
    drive_ = drive;
    change_();
  }

 private:
  std::wstring drive_;
  platform::Handler change_;
};

class FakeTimer : public platform::Timer {
 public:
  void setEnabled(bool enabled) override { enabled_ = enabled; }
  void onTick(platform::Handler handler) override { tick_ = std::move(handler); }
  bool enabled() const { return enabled_; }
  // Fires only while on, as a real timer does.
  void fire() {
    if (enabled_) tick_();
  }

 private:
  bool enabled_ = false;
  platform::Handler tick_;
};

}  // namespace mirafold::fakes
