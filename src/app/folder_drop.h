#pragma once
// A folder dragged from another program (Explorer) onto a frame opens in that frame's folder
// list, by the same road as a typed path.

#include <string>
#include <string_view>
#include <vector>

#include "platform/controls.h"
#include "platform/services.h"

namespace mirafold::app {

inline constexpr std::wstring_view kDropAFolder = L"请拖入文件夹";

struct FolderDropControls {
  platform::Frame& frame1;
  platform::Frame& frame2;
  platform::FolderList& dir1;
  platform::FolderList& dir2;
};

struct FolderDropServices {
  platform::FileSystem& files;
  platform::MessageBoxes& messages;
};

class FolderDrop {
 public:
  // Takes the drops on both frames.
  FolderDrop(FolderDropControls controls, FolderDropServices services);
  FolderDrop(const FolderDrop&) = delete;
  FolderDrop& operator=(const FolderDrop&) = delete;

  void Frame1_OLEDragDrop(const std::vector<std::wstring>& paths);
  void Frame2_OLEDragDrop(const std::vector<std::wstring>& paths);

 private:
  // Only the first item counts: one drop opens at most one folder, and a file first is refused
  // even when folders follow it, so that what happens never depends on what lies further down.
  void open(platform::FolderList& dir, const std::vector<std::wstring>& paths);

  FolderDropControls c_;
  FolderDropServices s_;
};

}  // namespace mirafold::app
