#pragma once
// The move itself: journaled steps that can each be finished or undone, so that a failure, a
// cancel or a crash at any point ends with the folder whole in exactly one place.
//
//   Hide    rename the origin to its hidden sibling "<name>.mirafold-moving" (moving back, the
//           link is removed first)
//   Place   same volume: rename it into place; otherwise copy it into "<final>.mirafold-partial"
//           and check every file's size and time
//   Finish  rename the checked copy to its final name
//   Link    moving away: make the link at the origin and check it leads to the folder
//   Clean   delete the hidden original; from here on the move is done
//
// A journal entry is written, whole and flushed, before each step; a link is flushed before the
// journal moves past it (the journal's volume may be another). The folders the move works in
// (the origin's and the final's parents) are held from the start and checked against the plan;
// an entry found changed under them stops the move whole.

#include <optional>
#include <string>
#include <vector>

#include "move/move_journal.h"
#include "move/move_progress.h"
#include "platform/clock.h"
#include "platform/move_file_system.h"

namespace mirafold::move {

enum class MoveOutcome {
  Done,
  DoneOldFolderLeft,  // only the last clean-up failed: `leftover` is the hidden original
  Cancelled,          // everything as it was
  Failed,             // everything as it was; `reason` says why
  Unfinished,         // even the way back failed: the journal stays for recover()
};

struct MoveResult {
  MoveOutcome outcome = MoveOutcome::Done;
  std::wstring reason;
  // A hidden original the last clean-up could not delete: with DoneOldFolderLeft, or with
  // Cancelled when an undo moved a finished move back.
  std::wstring leftover;
  // Failed or Unfinished because a step was refused for want of rights: administrator rights
  // might let it go.
  bool noRights = false;
  // A recovery found the copy unlike its original (`reason` names the first entry): Unfinished
  // with both and the journal kept, or Cancelled with the original put back and the copy kept
  // as `leftover`.
  bool copyDiffers = false;
  // Unfinished because a step was refused for a file in use, with `waitWhenInUse`: nothing was
  // undone, and recover() from the journal goes on (or back) once the program is closed.
  bool inUse = false;
  std::wstring heldFile;  // the file the system named, where it is now; empty when none was named
};

enum class Recovery { Complete, Undo };

struct PendingMove {
  std::wstring journalPath;
  JournalEntry entry;
};

struct MoverServices {
  platform::MoveFileSystem& files;
  const platform::Clock& clock;
  const CancelFlag& cancel;
  ProgressCallback progress;
  std::wstring journalFolder;  // %LOCALAPPDATA%\Mirafold\moves on Windows
  // A step before the clean-up refused for a file in use stops the move where it stands, the
  // journal kept, rather than undoing it: the user is asked to close the program and retry.
  bool waitWhenInUse = false;
};

class FolderMover {
 public:
  explicit FolderMover(MoverServices services);

  MoveResult run(const MovePlan& plan);
  // Either choice ends with one whole copy. Undoing a move that was past its last step moves the
  // folder back by the same protocol.
  MoveResult recover(const PendingMove& pending, Recovery choice);

 private:
  MoverServices services_;
};

// Where the journal of a plan's move lies in the journal folder.
std::wstring journalPathFor(const std::wstring& journalFolder, const MovePlan& plan);

// The journals of moves that did not end, found at start-up.
std::vector<PendingMove> findPendingMoves(platform::MoveFileSystem& files,
                                          const std::wstring& journalFolder);

// The text the user is shown at the end of a move, away or back.
std::optional<std::wstring> endMessage(const MovePlan& plan, const MoveResult& result);

// The question asked at start-up for a pending move.
std::wstring recoveryQuestion(const PendingMove& pending);

}  // namespace mirafold::move
