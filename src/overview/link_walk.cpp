#include "overview/link_walk.h"

#include "base/path_rules.h"
#include "platform/folder_walk.h"

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
  walk.cancelled = !platform::walkFolders(
      files, folder,
      {.stop = stop,
       .listed =
           [&](const std::wstring& current, const std::vector<platform::FolderEntry>& entries) {
             ++count.folders;
             bool foundHere = false;
             for (const platform::FolderEntry& entry : entries) {
               if (entry.info.kind != platform::EntryKind::Link) continue;
               const std::wstring path = base::joinPath(current, entry.name);
               walk.links.push_back({path, platform::readLink(probe, path)});
               foundHere = true;
             }
             count.links = walk.links.size();
             if (foundHere || count.folders % kFoldersPerReport == 1) {
               count.folder = current;
               counted(count);
             }
           },
       .unreadable = [&](const std::wstring&) { ++walk.unreadableFolders; },
       // Listed as a folder, a link by the time it was reached: one of the links below all the
       // same.
       .link =
           [&](const std::wstring& path) {
             walk.links.push_back({path, platform::readLink(probe, path)});
           }});
  count.links = walk.links.size();
  count.folder.clear();
  counted(count);
  return walk;
}

}  // namespace mirafold::overview
