#pragma once
// Drives the real mirafold.exe from another process, as a user would: finds its windows by
// process, reads and sets control texts, posts clicks and keys, answers its message boxes.
// Clicks and keys are posted, never sent: a handler that opens a modal box would hold a sent
// message until the box is closed.

#include <windows.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace mirafold::ui {

using namespace std::chrono_literals;
using Timeout = std::chrono::milliseconds;

// A fresh folder under the system's temporary folder, removed with everything in it.
class TestFolder {
 public:
  TestFolder();
  ~TestFolder();
  TestFolder(const TestFolder&) = delete;
  TestFolder& operator=(const TestFolder&) = delete;
  const std::wstring& path() const { return path_; }
  std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }
  std::wstring makeFolder(const std::wstring& relative) const;
  std::wstring makeFile(const std::wstring& relative, const std::string& content = "x") const;

 private:
  std::wstring path_;
};

// A fresh folder on drive D:, which the windows.map_move_drive fixture maps to a folder below the
// temporary folder: a move there takes the copy road. Removed through that other name.
class OtherDriveFolder {
 public:
  OtherDriveFolder();
  ~OtherDriveFolder();
  OtherDriveFolder(const OtherDriveFolder&) = delete;
  OtherDriveFolder& operator=(const OtherDriveFolder&) = delete;
  // Empty when D: is not mapped.
  const std::wstring& path() const { return path_; }

 private:
  std::wstring path_, alias_;
};

// Every entry below a folder, recursively, with its attributes, size and last write time, one
// text per entry in name order: two snapshots differ when anything was made, changed or removed.
std::vector<std::wstring> snapshot(const std::wstring& folder);
// Makes a folder and its parents, also beyond 260 characters.
void makeDeepFolder(const std::wstring& path);

// The folder holding this test program, where the build puts mirafold.exe and junction.exe.
std::wstring buildFolder();
// Where the programs under test come from: MIRAFOLD_PROGRAM_DIR (an unpacked release, say),
// or else the build folder.
std::wstring programSource();
bool exists(const std::wstring& path);
// A folder, not a link to one.
bool isRealFolder(const std::wstring& path);
// A file's bytes, or "<missing>" when it cannot be read.
std::string contentOf(const std::wstring& path);
// Runs <build folder>\junction.exe with arguments and waits; its exit code.
DWORD runJunction(const std::wstring& arguments);
// Deletes a file that a started program may hold for a moment (the tool's preliminary run starts
// once the window is shown); false when it is still held after 10 s.
bool deleteWhenReleased(const std::wstring& path);
// Copies mirafold.exe (and junction.exe unless told not to) into a folder to run from.
void installProgram(const std::wstring& folder, bool withJunction = true);
// The current user's Send To folder, as the shell names it.
std::wstring sendToFolder();

// What a shortcut file says, read through the shell's own reader.
struct Shortcut {
  std::wstring target;
  std::wstring icon;
  int iconIndex = -1;
  WORD hotkey = 0xFFFF;
};
std::optional<Shortcut> readShortcut(const std::wstring& path);

// Moves the real mouse pointer onto the middle of a window and clicks there, as a hand would:
// unlike a posted click, this one is refused by a window that takes no input.
void mouseClick(HWND window);

// A program file given by its full path, such as a renamed copy or a shortcut's target.
struct ProgramFile {
  std::wstring path;
};

class App {
 public:
  // Starts <folder>\mirafold.exe with an argument text, in a working folder.
  App(const std::wstring& programFolder, const std::wstring& argument,
      const std::wstring& workingFolder);
  App(const ProgramFile& program, const std::wstring& argument, const std::wstring& workingFolder);
  ~App();  // a program still running is ended
  App(const App&) = delete;
  App& operator=(const App&) = delete;

  DWORD processId() const { return info_.dwProcessId; }

  // The visible main window, or null after the timeout.
  HWND waitForMainWindow(Timeout timeout = 20s);
  // Another visible window of the program (a dialog), by its title and window class; null after
  // the timeout.
  HWND waitForWindow(const std::wstring& title, Timeout timeout = 20s,
                     const wchar_t* windowClass = L"MirafoldForm");
  // The text of the next message box titled "Mirafold", or nothing after the timeout.
  std::optional<std::wstring> waitForMessage(Timeout timeout = 30s);
  // Reads the open box's text and presses its OK button; the text, or nothing if none came.
  std::optional<std::wstring> acknowledge(Timeout timeout = 30s);
  // The same for a box with Yes and No buttons, pressing the one asked for.
  std::optional<std::wstring> answer(bool yes, Timeout timeout = 30s);
  // The same for a box with Retry and Cancel buttons.
  std::optional<std::wstring> retry(bool again, Timeout timeout = 30s);
  bool messageBoxOpen();
  // The elevated helper the program started for a move (a mirafold.exe it started), or 0.
  DWORD helperProcessId() const;
  // The helper's own question, in its own box: its text, with Yes or No pressed; nothing when no
  // box came. Every road through the helper passes it.
  std::optional<std::wstring> answerHelper(bool yes, Timeout timeout = 30s);
  std::optional<DWORD> waitForExit(Timeout timeout = 20s);

  HWND control(int id);
  std::wstring text(int id);
  void setText(int id, const std::wstring& text);
  bool enabled(int id);
  int focusedControlId();
  bool visible(int id);
  void click(int id);       // a button or check box
  void clickLabel(int id);  // a label with a click handler
  void pressEnter(int id);
  void selectDrive(int id, wchar_t letter);
  // Double-clicks a folder list's subfolder row (0 is the first subfolder in sorted order).
  bool openSubfolder(int id, int index);
  // Selects a folder list's subfolder row and posts a command of its context menu to the list,
  // the way the menu itself sends a choice (the menu cannot be read from another process under
  // Wine: its items live in the program's own user32).
  bool chooseRowCommand(int id, int index, int command);
  // Selects a folder list's subfolder row, as a click on it would, without opening it.
  bool selectSubfolder(int id, int index);
  // Types a path into a file dialog's name box and presses its OK button (posted): the system's
  // dialog is worked as a user works it, no way around it.
  bool pickInFileDialog(HWND dialog, const std::wstring& path);
  // Waits until the control's text is this, for results that come through posted messages.
  bool waitForText(int id, const std::wstring& expected, Timeout timeout = 20s);

  // The same for a control of another of the program's windows.
  std::wstring textIn(HWND window, int id);
  void clickIn(HWND window, int id);
  void pressEnterIn(HWND window, int id);
  // Presses the window's own close button.
  void closeWindow(HWND window);
  // A report list view of another window: its rows, a cell's text, a row selected, each through
  // the program's own memory (the list view's messages carry pointers).
  int tableRows(HWND window, int id);
  std::wstring tableCell(HWND window, int id, int row, int column);
  void selectTableRow(HWND window, int id, int row);
  // Posts a menu's choice to a window, as the menu itself sends it.
  void postCommand(HWND window, int command);

 private:
  HWND findMessageBox();
  void pressEnterOn(HWND target);
  PROCESS_INFORMATION info_{};
  HWND main_ = nullptr;
};

}  // namespace mirafold::ui
