#pragma once
// The two folder selections (drive lists and folder lists), custom mode (the check box), and the
// command line they make: comd is kept equal to the line composed from the selections.

#include <string_view>

#include "platform/controls.h"
#include "platform/services.h"

namespace mirafold::link {

inline constexpr std::wstring_view kCustomModeNotice =
    L"勾选该选项可让你修改命令行，但这种情况下本程序将不会为您检查链接是否创建成功";
inline constexpr std::wstring_view kDriveUnreadable = L"无法读取该驱动器";

struct SelectionControls {
  platform::DriveList& drive1;
  platform::DriveList& drive2;
  platform::FolderList& dir1;
  platform::FolderList& dir2;
  platform::TextBox& text1;
  platform::TextBox& text2;
  platform::TextBox& comd;
  platform::CheckBox& check1;
};

struct SelectionServices {
  platform::ProgramInfo& program;
  platform::MessageBoxes& messages;
};

class SelectionHandlers {
 public:
  // Takes the change and click events of the lists and the check box.
  SelectionHandlers(SelectionControls controls, SelectionServices services);
  SelectionHandlers(const SelectionHandlers&) = delete;
  SelectionHandlers& operator=(const SelectionHandlers&) = delete;

  void ComposeCommandLine();
  void Dir1_Change();
  void Dir2_Change();
  void Drive1_Change();
  void Drive2_Change();
  void Check1_Click();

 private:
  // Moves a folder list to the drive its drive list shows; a drive that cannot be read is
  // reported and the drive list goes back to the folder list's drive.
  bool followDrive(platform::DriveList& drive, platform::FolderList& dir);

  SelectionControls c_;
  SelectionServices s_;
};

}  // namespace mirafold::link
