#pragma once
// What the program's logic needs of the window's controls. The Win32 layer and the test fakes
// implement these; handlers are plain callbacks run on the user-interface thread.

#include <functional>
#include <string>
#include <vector>

namespace mirafold::platform {

using Handler = std::function<void()>;
using KeyHandler = std::function<void(wchar_t character)>;
// The full paths of what was dropped together, in the order the source gave them.
using DropHandler = std::function<void(const std::vector<std::wstring>& paths)>;

class TextBox {
 public:
  virtual ~TextBox() = default;
  virtual std::wstring text() const = 0;
  virtual void setText(const std::wstring& text) = 0;
  virtual void setEnabled(bool enabled) = 0;
  // Raised for each character typed; the character goes on to the box afterwards.
  virtual void onKeyPress(KeyHandler handler) = 0;
};

class Label {
 public:
  virtual ~Label() = default;
  virtual std::wstring text() const = 0;
  virtual void setText(const std::wstring& text) = 0;
  virtual void onClick(Handler handler) = 0;
};

class Button {
 public:
  virtual ~Button() = default;
  virtual void setText(const std::wstring& text) = 0;
  virtual void setEnabled(bool enabled) = 0;
  virtual void onClick(Handler handler) = 0;
};

class CheckBox {
 public:
  virtual ~CheckBox() = default;
  // 0 not ticked, 1 ticked, 2 grey.
  virtual int value() const = 0;
  virtual void onClick(Handler handler) = 0;
};

class Frame {
 public:
  virtual ~Frame() = default;
  // Shows or hides the frame together with every control inside it.
  virtual void setVisible(bool visible) = 0;
  // Raised for files or folders dropped from another program onto the frame or any control in
  // it, while the frame is shown and its window takes input.
  virtual void onDrop(DropHandler handler) = 0;
};

// One command of a context menu; a greyed one is shown but cannot be chosen.
struct MenuItem {
  int command = 0;
  std::wstring text;
  bool enabled = true;
};

// The window's two folder lists: where links are made (left) and what they lead to (right).
enum class ListSide { Left, Right };

// The context menu of a folder list's rows: `items` names a row's commands (none: no menu),
// `chosen` runs the one picked. Both are told the row's folder.
struct RowMenu {
  std::function<std::vector<MenuItem>(const std::wstring& folder)> items;
  std::function<void(const std::wstring& folder, int command)> chosen;
};

class FolderList {
 public:
  virtual ~FolderList() = default;
  // Absolute, with a trailing backslash only at a drive root.
  virtual std::wstring path() const = 0;
  // Moves to an existing, accessible folder (absolute or relative, or a bare drive such as "d:")
  // and runs the change handler before returning. Anything else is refused: false, nothing changes.
  virtual bool setPath(const std::wstring& path) = 0;
  virtual void onChange(Handler handler) = 0;
  // A right click on a row, Shift+F10 or the menu key on the current one.
  virtual void onContextMenu(RowMenu menu) = 0;
};

class DriveList {
 public:
  virtual ~DriveList() = default;
  // The selected drive as shown, e.g. "c: [System]"; its first two characters name the drive.
  virtual std::wstring drive() const = 0;
  // Selects the drive that a path lies on, without raising the change handler.
  virtual void selectDriveOf(const std::wstring& path) = 0;
  // Raised when the user selects another drive.
  virtual void onChange(Handler handler) = 0;
};

class Timer {
 public:
  virtual ~Timer() = default;
  virtual void setEnabled(bool enabled) = 0;
  virtual void onTick(Handler handler) = 0;
};

}  // namespace mirafold::platform
