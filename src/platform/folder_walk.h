#pragma once
// The walk of a folder's tree that the links overview and the folder sizes share: depth first,
// in listing order, each folder opened by its name inside its parent, held open while the walk
// is below it, so that a link swapped in after its parent was listed is never entered. Never
// entered either: a link, and a cloud folder whose listing would make its provider fetch it.

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
  // A folder listed as one that is a link by the time it is opened: not entered.
  std::function<void(const std::wstring& folder)> link;
};

// Whether the walk goes below this entry.
bool entered(const EntryInfo& info);

// False when `stop` ended it. `folder` is a whole path; with `inside`, the folder it is named in
// (its last name is then looked up in it).
bool walkFolders(FolderListing& files, const std::wstring& folder, const FolderVisits& visits,
                 const HeldFolder* inside = nullptr);

}  // namespace mirafold::platform
