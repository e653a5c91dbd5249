#include "app/folder_drop.h"

#include "app/typed_path_entry.h"

namespace mirafold::app {

FolderDrop::FolderDrop(FolderDropControls controls, FolderDropServices services)
    : c_(controls), s_(services) {
  c_.frame1.onDrop([this](const auto& paths) { Frame1_OLEDragDrop(paths); });
  c_.frame2.onDrop([this](const auto& paths) { Frame2_OLEDragDrop(paths); });
}

void FolderDrop::Frame1_OLEDragDrop(const std::vector<std::wstring>& paths) {
  open(c_.dir1, paths);
}

void FolderDrop::Frame2_OLEDragDrop(const std::vector<std::wstring>& paths) {
  open(c_.dir2, paths);
}

void FolderDrop::open(platform::FolderList& dir, const std::vector<std::wstring>& paths) {
  if (paths.empty()) return;
  // The list decides what it accepts, as for a typed path; its change handler brings the path box
  // and the command line along. A link to a folder and a drive root are folders to it.
  if (dir.setPath(paths.front())) return;
  s_.messages.show(std::wstring(s_.files.isAnyFile(paths.front()) ? kDropAFolder : kNoSuchFolder));
}

}  // namespace mirafold::app
