#pragma once
// Whole-tree work for a move, over the file-system seam: counting, copying, checking a copy, and
// deleting. Links inside a tree are links: copied as links, deleted as links, never entered.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "move/move_progress.h"
#include "platform/move_file_system.h"

namespace mirafold::move {

struct TreeSummary {
  std::uint64_t files = 0;
  std::uint64_t bytes = 0;
  std::uint64_t space = 0;  // the files' bytes in whole clusters of the volume they go to
  std::uint64_t largest = 0;
  std::wstring largestPath;            // the largest file, as walked
  std::wstring firstCloudPlaceholder;  // not entered when a folder
  std::wstring firstSymbolicLink;
  // Links with a mount point's tag: junctions, or volume mount points, which only their bytes
  // tell apart and which no copy makes.
  std::vector<std::wstring> mountPoints;
  std::uint64_t filesWithManyNames = 0;  // hard links: a copy makes each a file of its own
};

// The attribute bits a move carries over (not "folder" or "link", which are what an entry is).
inline constexpr std::uint32_t kCarriedAttributes = 0x1 | 0x2 | 0x4 | 0x20 | 0x80 | 0x100 | 0x2000;

// `countNames`: each file's names are counted too, which costs an opening per file; only a copy
// needs it.
platform::MoveStatus summarize(platform::MoveFileSystem& files, const std::wstring& folder,
                               TreeSummary& summary, std::uint64_t clusterBytes = 1,
                               bool countNames = false);

class TreeCopier {
 public:
  // `withSecurity`: owners and permissions go along (both volumes keep them).
  TreeCopier(platform::MoveFileSystem& files, ProgressThrottle& progress, const CancelFlag& cancel,
             const TreeSummary& total, bool withSecurity);

  // Makes `to` and copies the contents of `from` into it; `to` gets `rootAttributes`, the times
  // of `from`, and its owner and permissions as they are, inherited ones included. Stops at the
  // first failure, Cancelled when asked to.
  platform::MoveStatus copy(const std::wstring& from, const std::wstring& to,
                            std::uint32_t rootAttributes);

 private:
  platform::MoveStatus copyContents(const std::wstring& from, const std::wstring& to);
  platform::MoveStatus copyOneFile(const std::wstring& from, const std::wstring& to,
                                   const platform::EntryInfo& info);
  platform::MoveStatus finishFolder(const std::wstring& from, const std::wstring& to,
                                    const platform::EntryTimes& times, std::uint32_t attributes,
                                    bool root);

  platform::MoveFileSystem& files_;
  ProgressThrottle& progress_;
  const CancelFlag& cancel_;
  const bool withSecurity_;
  MoveProgress state_;
};

struct CopyCheck {
  std::uint64_t timeStep = 1;  // the destination keeps last-write times in this step
  std::wstring shownAs;        // `from` as the user knows it: a file that differs is named there
};

// Every file of `from` is in `to` with the same size and last-write time (within the step),
// every folder is a folder and every link a link with the same target.
platform::MoveStatus verifyCopy(platform::MoveFileSystem& files, const std::wstring& from,
                                const std::wstring& to, const CopyCheck& check);

// Told each entry's path before it is deleted.
using DeletionWatcher = std::function<void(const std::wstring& path)>;

// The folder and everything in it; links are removed, not entered.
platform::MoveStatus deleteTree(platform::MoveFileSystem& files, const std::wstring& folder,
                                const DeletionWatcher& watcher = nullptr);

}  // namespace mirafold::move
