#pragma once
// Several folders moved one after another, each by the single move with its own journal, cancel,
// undo and recovery: a failure of one neither undoes nor stops the others; a cancel stops the
// move under way as a single move's cancel does, and starts no other.
//
// A small journal of the queue's own, beside the moves' journals, lists its folders from before
// the first move until its end has been told; after a kill the next start finds it, and after the
// moves' own recovery names the folders of the queue that moved and those still where they were.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "move/folder_mover.h"
#include "move/move_journal.h"
#include "move/move_progress.h"
#include "platform/clock.h"
#include "platform/move_file_system.h"

namespace mirafold::move {

struct QueuedMove {
  MovePlan plan;
  // As planned: the queue's bar counts a move's share before the move itself has counted it.
  std::uint64_t bytes = 0;
  std::uint64_t files = 0;
};

struct QueueProgress {
  std::size_t index = 0;  // of the move under way, from 0
  std::size_t count = 0;
  std::wstring folder;  // the move under way's
  // Of the whole queue: a move that ended counts as done when it moved, and as nothing when not.
  MoveProgress total;
};

struct QueueServices {
  platform::MoveFileSystem& files;
  const platform::Clock& clock;
  const CancelFlag& cancel;
  std::function<void(const QueueProgress&)> progress;
  std::wstring journalFolder;
};

struct QueueEnd {
  // The queue's journal could not be written: nothing was started.
  platform::MoveStatus start;
  // One for each move started, in the queue's order; those after them were not started.
  std::vector<MoveResult> results;
};

// The most folders one queue holds: a queue's journal naming more is not ours.
inline constexpr std::size_t kMostQueuedFolders = 1000;

// Leaves the queue's journal: forgetQueue() once its end has been told.
QueueEnd runQueue(const std::vector<QueuedMove>& moves, const QueueServices& services);
void forgetQueue(platform::MoveFileSystem& files, const std::wstring& journalFolder);

// A queue a kill cut short, found at the next start.
struct UnfinishedQueue {
  std::vector<std::wstring> folders;
};

std::optional<UnfinishedQueue> findUnfinishedQueue(platform::MoveFileSystem& files,
                                                   const std::wstring& journalFolder);

// The queue's folders, once the moves a kill left unfinished (`recovered`, which told the user
// themselves) have been recovered: those moved (a link in their place), those still where they
// were.
struct QueueAccount {
  std::vector<std::wstring> moved, notMoved;
};
QueueAccount accountOf(platform::MoveFileSystem& files, const UnfinishedQueue& queue,
                       const std::vector<PendingMove>& recovered);

}  // namespace mirafold::move
