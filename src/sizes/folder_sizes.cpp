#include "sizes/folder_sizes.h"

#include <algorithm>

#include "platform/folder_walk.h"

namespace mirafold::sizes {

void measureFolder(platform::FolderListing& files, const std::wstring& folder, FolderSize& size,
                   SeenFiles& seen, const std::function<bool()>& stop,
                   const std::function<void(const FolderSize&)>& listed) {
  size.complete = platform::walkFolders(
      files, folder,
      {.stop = stop,
       .listed =
           [&](const std::wstring&, const std::vector<platform::FolderEntry>& entries) {
             ++size.folders;
             for (const platform::FolderEntry& entry : entries) {
               size.lastChange = std::max(size.lastChange, entry.info.times.lastWrite);
               if (entry.info.kind != platform::EntryKind::File) continue;
               // A number met before is another name of a file already counted.
               if (entry.info.fileId != 0 && !seen.insert(entry.info.fileId).second) continue;
               size.onDisk += entry.info.allocated;
               ++size.files;
             }
             listed(size);
           },
       .unreadable = [&](const std::wstring&) { ++size.unreadableFolders; }});
}

}  // namespace mirafold::sizes
