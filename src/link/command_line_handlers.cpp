#include "link/command_line_handlers.h"

#include "link/command_line.h"

namespace mirafold::link {

CommandLineHandlers::CommandLineHandlers(app::MainControls& controls, app::Services& services)
    : c_(controls), s_(services) {}

void CommandLineHandlers::ComposeCommandLine() {
  c_.comd.setText(composeCommandLine(s_.program.programFolder(), c_.dir1.path(), c_.dir2.path()));
}

void CommandLineHandlers::Dir1_Change() {
  c_.text1.setText(c_.dir1.path());
  ComposeCommandLine();
}

void CommandLineHandlers::Dir2_Change() {
  c_.text2.setText(c_.dir2.path());
  ComposeCommandLine();
}

void CommandLineHandlers::Drive1_Change() {
  if (!followDrive(c_.drive1, c_.dir1)) return;
  c_.text1.setText(c_.dir1.path());
  ComposeCommandLine();
}

void CommandLineHandlers::Drive2_Change() {
  if (!followDrive(c_.drive2, c_.dir2)) return;
  c_.text2.setText(c_.dir2.path());
}

void CommandLineHandlers::Check1_Click() {
  if (c_.check1.value() == 1) {
    s_.messages.show(std::wstring(kCustomModeNotice));
    c_.comd.setEnabled(true);
  } else {
    c_.comd.setEnabled(false);
    ComposeCommandLine();
  }
}

bool CommandLineHandlers::followDrive(platform::DriveList& drive, platform::FolderList& dir) {
  if (dir.setPath(drive.drive().substr(0, 2))) return true;
  s_.messages.show(std::wstring(kDriveUnreadable));
  drive.selectDriveOf(dir.path());
  return false;
}

}  // namespace mirafold::link
