#pragma once
// A window's controls as data: the Win32 layer creates them from this table, tests read it too.

#include <span>
#include <string_view>

namespace mirafold::platform {

enum class ControlKind { Frame, DriveList, FolderList, TextBox, Label, Button, CheckBox, Picture };

struct Font {
  int points = 9;
  bool bold = false;
};

enum Style : unsigned {
  kPlain = 0,
  kLinkStyle = 1u << 0,  // pure blue and underlined, clickable
  kDisabled = 1u << 1,
};

struct Control {
  std::wstring_view name;
  ControlKind kind;
  int id;                   // stable control ID, also what the UI tests look for
  std::wstring_view frame;  // name of the frame that holds it; empty for the window itself
  std::wstring_view caption;
  int left, top, width, height;  // twips; relative to the frame when inside one
  int tabIndex;                  // -1: never takes the focus
  Font font;
  unsigned style = kPlain;
  int resource = 0;  // picture resource, for pictures
};

struct WindowLayout {
  std::wstring_view title;
  int clientWidth, clientHeight;  // twips
  std::span<const Control> controls;
};

// A drive list's height in the table is its closed box's; its drop-down shows this many rows,
// each as high as the closed box, below it.
inline constexpr int kDriveListRows = 12;
inline constexpr int kTwipsPerInch = 1440;
inline constexpr std::wstring_view kFontFace = L"微软雅黑";
inline constexpr int kGb2312Charset = 134;

}  // namespace mirafold::platform
