#include "overview/link_walk.h"

#include <algorithm>

#include "base/path_rules.h"

namespace mirafold::overview {
namespace {

// Often enough to see the count move, rarely enough to cost nothing beside the listing.
constexpr std::size_t kFoldersPerReport = 64;

}  // namespace

LinkWalk walkLinks(platform::MoveFileSystem& files, platform::LinkProbe& probe,
                   const std::wstring& folder, const std::function<bool()>& stop,
                   const std::function<void(const WalkCount&)>& counted) {
  LinkWalk walk;
  WalkCount count;
  // A stack of folders still to list, so that a deep tree needs no deep recursion.
  std::vector<std::wstring> pending{folder};
  std::vector<platform::FolderEntry> entries;
  while (!pending.empty()) {
    if (stop()) {
      walk.cancelled = true;
      break;
    }
    const std::wstring current = std::move(pending.back());
    pending.pop_back();
    entries.clear();
    if (!files.list(current, entries).ok()) {
      ++walk.unreadableFolders;
      continue;
    }
    ++count.folders;
    const std::size_t firstChild = pending.size();
    bool foundHere = false;
    for (const platform::FolderEntry& entry : entries) {
      const std::wstring path = base::joinPath(current, entry.name);
      if (entry.info.kind == platform::EntryKind::Link) {
        walk.links.push_back({path, platform::readLink(probe, path)});
        foundHere = true;
      } else if (entry.info.kind == platform::EntryKind::Folder) {
        pending.push_back(path);
      }
    }
    // Listing order within each folder: the first subfolder is walked first.
    std::reverse(pending.begin() + static_cast<std::ptrdiff_t>(firstChild), pending.end());
    count.links = walk.links.size();
    if (foundHere || count.folders % kFoldersPerReport == 1) {
      count.folder = current;
      counted(count);
    }
  }
  count.links = walk.links.size();
  count.folder.clear();
  counted(count);
  return walk;
}

}  // namespace mirafold::overview
