#pragma once
// The walk of a folder's tree that the links overview and the folder sizes share: depth first,
// in listing order, on a stack rather than by recursion, a link never entered.

#include <functional>
#include <string>
#include <vector>

#include "platform/move_file_system.h"

namespace mirafold::platform {

struct FolderVisits {
  // Asked before each folder is listed: true ends the walk there.
  std::function<bool()> stop;
  // Each folder listed, with its entries; its subfolders are walked next.
  std::function<void(const std::wstring& folder, const std::vector<FolderEntry>& entries)> listed;
  // A folder that could not be listed: what is below it stays unknown.
  std::function<void(const std::wstring& folder)> unreadable;
};

// False when `stop` ended it.
bool walkFolders(FolderListing& files, const std::wstring& folder, const FolderVisits& visits);

}  // namespace mirafold::platform
