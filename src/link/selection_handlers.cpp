#include "link/selection_handlers.h"

#include "link/command_line.h"

namespace mirafold::link {

SelectionHandlers::SelectionHandlers(SelectionControls controls, SelectionServices services)
    : c_(controls), s_(services) {
  c_.dir1.onChange([this] { Dir1_Change(); });
  c_.dir2.onChange([this] { Dir2_Change(); });
  c_.drive1.onChange([this] { Drive1_Change(); });
  c_.drive2.onChange([this] { Drive2_Change(); });
  c_.check1.onClick([this] { Check1_Click(); });
}

void SelectionHandlers::ComposeCommandLine() {
  c_.comd.setText(composeCommandLine(s_.program.programFolder(), c_.dir1.path(), c_.dir2.path()));
}

void SelectionHandlers::Dir1_Change() {
  c_.text1.setText(c_.dir1.path());
  ComposeCommandLine();
}

void SelectionHandlers::Dir2_Change() {
  c_.text2.setText(c_.dir2.path());
  ComposeCommandLine();
}

void SelectionHandlers::Drive1_Change() {
  if (!followDrive(c_.drive1, c_.dir1)) return;
  c_.text1.setText(c_.dir1.path());
  ComposeCommandLine();
}

void SelectionHandlers::Drive2_Change() {
  if (!followDrive(c_.drive2, c_.dir2)) return;
  c_.text2.setText(c_.dir2.path());
}

void SelectionHandlers::Check1_Click() {
  if (c_.check1.value() == 1) {
    s_.messages.show(std::wstring(kCustomModeNotice));
    c_.comd.setEnabled(true);
  } else {
    c_.comd.setEnabled(false);
    ComposeCommandLine();
  }
}

bool SelectionHandlers::followDrive(platform::DriveList& drive, platform::FolderList& dir) {
  if (dir.setPath(drive.drive().substr(0, 2))) return true;
  s_.messages.show(std::wstring(kDriveUnreadable));
  drive.selectDriveOf(dir.path());
  return false;
}

}  // namespace mirafold::link
