#include "sizes/folder_sizes.h"

#include <algorithm>

#include "platform/entry_reading.h"
#include "platform/folder_walk.h"

namespace mirafold::sizes {
namespace {

// The number a listing gives where it knows none: 0, or all ones (a file system that cannot
// make one up, as ReFS may not).
bool knownId(std::uint64_t fileId) { return fileId != 0 && fileId != ~std::uint64_t{0}; }

}  // namespace

void measureFolder(platform::FolderListing& files, const std::wstring& folder, FolderSize& size,
                   SeenFiles& seen, const std::function<bool()>& stop,
                   const std::function<void(const FolderSize&)>& listed,
                   const platform::HeldFolder* inside) {
  size.complete = platform::walkFolders(
      files, folder,
      {.stop = stop,
       .listed =
           [&](const std::wstring&, const std::vector<platform::FolderEntry>& entries) {
             ++size.folders;
             for (const platform::FolderEntry& entry : entries) {
               size.lastChange = std::max(size.lastChange, entry.info.times.lastWrite);
               if (entry.info.kind != platform::EntryKind::File) continue;
               if (platform::isNameSurrogateFile(entry.info)) continue;
               // A number met before is another name of a file already counted.
               if (knownId(entry.info.fileId) && !seen.insert(entry.info.fileId).second) continue;
               size.onDisk += entry.info.allocated;
               ++size.files;
             }
             listed(size);
           },
       .unreadable = [&](const std::wstring&) { ++size.unreadableFolders; },
       .link = [&](const std::wstring& path) { size.link = size.link || path == folder; }},
      inside);
}

}  // namespace mirafold::sizes
