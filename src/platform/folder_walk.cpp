#include "platform/folder_walk.h"

#include <algorithm>

namespace mirafold::platform {
namespace {

std::wstring below(const std::wstring& folder, const std::wstring& name) {
  return folder.ends_with(L'\\') ? folder + name : folder + L'\\' + name;
}

}  // namespace

bool walkFolders(FolderListing& files, const std::wstring& folder, const FolderVisits& visits) {
  std::vector<std::wstring> pending{folder};
  std::vector<FolderEntry> entries;
  while (!pending.empty()) {
    if (visits.stop()) return false;
    const std::wstring current = std::move(pending.back());
    pending.pop_back();
    entries.clear();
    if (!files.list(current, entries).ok()) {
      visits.unreadable(current);
      continue;
    }
    const std::size_t firstChild = pending.size();
    for (const FolderEntry& entry : entries) {
      if (entry.info.kind == EntryKind::Folder) pending.push_back(below(current, entry.name));
    }
    // Listing order within each folder: the first subfolder is walked first.
    std::reverse(pending.begin() + static_cast<std::ptrdiff_t>(firstChild), pending.end());
    visits.listed(current, entries);
  }
  return true;
}

}  // namespace mirafold::platform
