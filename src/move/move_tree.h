#pragma once
// Whole-tree work for a move, over the file-system seam: counting, copying, checking a copy, and
// deleting. Links inside a tree are links: copied as links, deleted as links, never entered.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "move/move_progress.h"
#include "platform/clock.h"
#include "platform/move_file_system.h"

namespace mirafold::move {

struct TreeSummary {
  std::uint64_t files = 0;
  std::uint64_t bytes = 0;
  std::uint64_t space = 0;  // the files' bytes in whole clusters of the volume they go to
  std::uint64_t largest = 0;
  std::wstring largestPath;            // the largest file, as walked
  std::wstring firstCloudPlaceholder;  // not entered when a folder
  std::wstring firstSymbolicLink;      // a file's or a folder's
  std::wstring firstLink;              // of any kind
  std::vector<std::wstring> symbolicLinks;
  // Links with a mount point's tag: junctions, or volume mount points, which only their bytes
  // tell apart and which no copy makes.
  std::vector<std::wstring> mountPoints;
  std::uint64_t filesWithManyNames = 0;  // hard links: a copy makes each a file of its own
  // What the destination cannot keep, when it cannot (asked of the walk).
  std::uint64_t filesWithStreams = 0;
  std::wstring firstFileWithStreams;
  std::uint64_t sparseFiles = 0;
  std::uint64_t compressedFiles = 0;
  // Entries another owns, whose copies become the mover's (asked of the walk).
  std::uint64_t ownedByOthers = 0;
  std::wstring firstOwnedByOther;
};

// What a walk asks besides the listings.
struct WalkQuestions {
  std::uint64_t clusterBytes = 1;  // of the volume the files go to
  // Each file's names are counted, which costs an opening per file; only a copy needs it.
  bool countNames = false;
  // Each file is asked for named streams (an opening per file): only when they would be lost.
  bool askStreams = false;
  // Each entry is asked for its owner (an opening per entry): only when a copy could not keep it.
  bool askOwners = false;
};

// The attribute bits a move carries over (not "folder" or "link", which are what an entry is).
inline constexpr std::uint32_t kCarriedAttributes = 0x1 | 0x2 | 0x4 | 0x20 | 0x80 | 0x100 | 0x2000;

platform::MoveStatus summarize(platform::MoveFileSystem& files, const std::wstring& folder,
                               TreeSummary& summary, const WalkQuestions& questions = {});
// `path` counted among the entries another owns when it is one.
platform::MoveStatus countOwner(platform::MoveFileSystem& files, const std::wstring& path,
                                TreeSummary& summary);

// Where a relative symbolic link at `link` (as the user knows its path) that leads out of `tree`
// leads, as a plain absolute path; empty for an absolute target or one inside the tree, which
// lead to the same place from the copy.
std::wstring outsideTarget(const std::wstring& link, const std::wstring& target,
                           const std::wstring& tree);

class TreeCopier {
 public:
  // `withSecurity`: owners and permissions go along (both volumes keep them). `shownAs`: `from`
  // as the user knows it, where relative links are resolved.
  TreeCopier(platform::MoveFileSystem& files, ProgressThrottle& progress, const CancelFlag& cancel,
             const TreeSummary& total, bool withSecurity, std::wstring shownAs);

  // Makes `to`, private, and copies the contents of `from` into it; `to` gets `rootAttributes`
  // and the times of `from`. Stops at the first failure, Cancelled when asked to.
  platform::MoveStatus copy(const std::wstring& from, const std::wstring& to,
                            std::uint32_t rootAttributes);
  // `to` given the owner and permissions of `from` as they are, inherited ones included: once
  // the copy is checked, since from then on others may add to it as they may to `from`.
  platform::MoveStatus secure(const std::wstring& from, const std::wstring& to);

 private:
  platform::MoveStatus copyContents(const std::wstring& from, const std::wstring& to,
                                    const std::wstring& shown);
  platform::MoveStatus copyOneLink(const std::wstring& from, const std::wstring& to,
                                   const std::wstring& shown);
  platform::MoveStatus copyOneFile(const std::wstring& from, const std::wstring& to,
                                   const platform::EntryInfo& info);
  platform::MoveStatus finishFolder(const std::wstring& from, const std::wstring& to,
                                    const platform::EntryTimes& times, std::uint32_t attributes);
  // While copies in flight are waited for: progress told, and false once cancelled.
  bool stillWaiting();

  platform::MoveFileSystem& files_;
  ProgressThrottle& progress_;
  const CancelFlag& cancel_;
  const bool withSecurity_;
  const std::wstring shownAs_;
  MoveProgress state_;
};

// Told each path as a long step reaches it, for the progress window to name.
using PathWatcher = std::function<void(const std::wstring& path)>;

struct CopyCheck {
  std::uint64_t timeStep = 1;  // the destination keeps last-write times in this step
  std::wstring shownAs;        // `from` as the user knows it: a file that differs is named there
  std::wstring tree;           // the top of `shownAs`, which relative links may lead out of
  // An entry of `to` that `from` lacks is refused: nobody else may have added to a fresh copy.
  // After the move it is the user's folder, where new files are the user's.
  bool refuseExtras = false;
  PathWatcher checking;  // told each folder of `from` as it is checked; may be empty
};

// Every file of `from` is in `to` with the same size and last-write time (within the step),
// every folder is a folder and every link a link with the same target (a relative one that led
// out of the tree: where it led). A difference is a failure whose `path` names the entry.
platform::MoveStatus verifyCopy(platform::MoveFileSystem& files, const std::wstring& from,
                                const std::wstring& to, const CopyCheck& check);

struct TreeDeletion {
  const platform::Clock& clock;  // for the waits between tries of a refusal that may pass
  // The tree is the move's own copy: an entry refused for want of rights is given back to this
  // process once (its copied DACL may deny DELETE) and tried again.
  bool ownCopy = false;
  PathWatcher watcher = nullptr;
};

// The folder and everything in it; links are removed, not entered.
platform::MoveStatus deleteTree(platform::MoveFileSystem& files, const std::wstring& folder,
                                const TreeDeletion& how);

// `operation` tried again while it is refused in a way that may pass (a scanner or an indexer
// holding a fresh file for a moment: InUse, or NoRights for a file pending deletion), waiting
// 1/8 s, then twice as long each time, about 2 s in all.
platform::MoveStatus retryingBriefRefusals(const platform::Clock& clock,
                                           const std::function<platform::MoveStatus()>& operation);

}  // namespace mirafold::move
