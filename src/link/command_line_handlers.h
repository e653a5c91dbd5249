#pragma once
// Keeps comd equal to the line composed from the two folder selections, and custom mode.

#include "app/main_controls.h"

namespace mirafold::link {

inline constexpr std::wstring_view kCustomModeNotice =
    L"勾选该选项可让你修改命令行，但这种情况下本程序将不会为您检查链接是否创建成功";
inline constexpr std::wstring_view kDriveUnreadable = L"无法读取该驱动器";

class CommandLineHandlers {
 public:
  CommandLineHandlers(app::MainControls& controls, app::Services& services);

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

  app::MainControls& c_;
  app::Services& s_;
};

}  // namespace mirafold::link
