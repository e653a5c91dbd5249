#pragma once
// A folder's size as it stands on the disk: the room its files take there (whole clusters, what a
// compressed or sparse file really takes), their number, its latest change. Links below are never
// entered, so what they lead to is not counted, nor a file link; a file of several names (hard
// links) is counted once, where the walk meets it first. The folders' own index space is not
// counted.

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_set>

#include "platform/move_file_system.h"

namespace mirafold::sizes {

struct FolderSize {
  std::uint64_t onDisk = 0, files = 0;  // bytes allocated; files counted
  std::uint64_t lastChange = 0;  // the latest last-write time inside, the folder's own included
  std::size_t folders = 0, unreadableFolders = 0;
  bool complete = false;  // false: stopped before the end
  bool link = false;      // the folder itself is a link by the time it was opened: not measured
};

// The files met so far, by their number on the volume; shared by every folder of one walk.
using SeenFiles = std::unordered_set<std::uint64_t>;

// `folder`'s tree added to `size` (which starts with the folder's own time); `inside`: the folder
// held open that `folder` is named in. `stop` is asked before each folder is listed; `listed`
// told after each.
void measureFolder(platform::FolderListing& files, const std::wstring& folder, FolderSize& size,
                   SeenFiles& seen, const std::function<bool()>& stop,
                   const std::function<void(const FolderSize&)>& listed,
                   const platform::HeldFolder* inside = nullptr);

}  // namespace mirafold::sizes
