#pragma once
// The move's part of the folder rows' context menu and the roads it opens: a folder moved into the
// right-hand folder with a link left behind, and back; a folder or link shown in Explorer; the
// moves a crash left unfinished, found at start-up.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "move/app_places.h"
#include "move/elevated_move.h"
#include "move/folder_mover.h"
#include "move/move_planning.h"
#include "move/queue_messages.h"
#include "platform/clock.h"
#include "platform/controls.h"
#include "platform/message_pipe.h"
#include "platform/move_file_system.h"
#include "platform/move_lock.h"
#include "platform/nt_volume.h"
#include "platform/progress_window.h"
#include "platform/running_programs.h"
#include "platform/services.h"

namespace mirafold::move {

// The menu's command IDs; never 0, which a menu reserves for "nothing chosen".
enum MenuCommand : int {
  kCommandMoveAway = 0x7101,
  kCommandMoveBack,
  kCommandOpenInExplorer,
};

struct MoveControls {
  platform::FolderList& dir1;
  platform::FolderList& dir2;
};

struct MoveServices {
  platform::MoveFileSystem& files;
  platform::MessageBoxes& messages;
  platform::Processes& processes;
  platform::ProgressWindow& progress;
  platform::SystemFolders& systemFolders;
  platform::NtVolume& volume;
  const platform::Clock& clock;
  platform::Pipes& pipes;
  platform::ErrorTexts& errors;
  platform::RunningPrograms& programs;
  const platform::FileSystem& paths;  // where a folder really is, links on the way followed
  platform::MoveLock& lock;           // the user's: shared with every window of the program
  std::wstring journalFolder;
  // The elevated helper's own, which the user may read but not change.
  std::wstring helperJournalFolder;
  std::wstring programPath;  // started again, elevated, as the helper
  platform::AppFolders appFolders;
  // Every move goes to the helper at once, as a refused one does after Yes: a test's switch.
  bool everyMoveThroughHelper = false;
};

class MoveHandlers {
 public:
  MoveHandlers(MoveControls controls, MoveServices services);
  MoveHandlers(const MoveHandlers&) = delete;
  MoveHandlers& operator=(const MoveHandlers&) = delete;

  using Side = platform::ListSide;
  std::vector<platform::MenuItem> menuFor(Side side, const std::wstring& folder);
  // A greyed or absent command does nothing, however it arrives.
  void choose(Side side, const std::wstring& folder, int command);

  // Several folders moved into `destinationFolder`, each leaving a link, one after another: one
  // question for all, one progress window, one summary at the end; one folder is the single move.
  // Returns once every move has ended. Like every road that moves, refused while another runs.
  void moveFoldersInto(const std::vector<std::wstring>& folders,
                       const std::wstring& destinationFolder);

  // Asks about each move a crash left unfinished, and completes or undoes it; then names the
  // folders of a queue the crash cut short, moved and not. Says nothing while another window of
  // the program moves: what it finds may be that window's move under way.
  void recoverUnfinishedMoves();

 private:
  // One road that moves at a time, in this window and in all of the program's: held until the
  // object returned goes; nothing (and that said, unless `quietly`) while another road holds it.
  std::unique_ptr<platform::MoveLock::Held> takeTurn(bool quietly = false);
  bool canMoveAway(const std::wstring& folder) const;
  bool staysWhereItIs(const std::wstring& folder) const;
  MoveSurroundings surroundingsOf(const std::wstring& linkPlace);
  std::wstring realPlaceOf(const std::wstring& path) const;
  void moveAway(const std::wstring& chosen, const std::wstring& destinationFolder);
  QueueChoice planQueue(const std::vector<std::wstring>& folders, const std::wstring& destination);
  void moveBack(const std::wstring& chosen);
  // Runs the mover's work behind the progress window, then tells the end.
  MoveResult runWithProgress(const std::function<MoveResult(FolderMover&)>& work);
  // The confirmation's question, with what the table of apps' places says of the folder; nothing
  // when the table refuses the move (and that was said).
  std::optional<std::wstring> questionFor(const PlannedMove& planned);
  // The first of the apps' places that moving `folder` touches.
  std::optional<AppPlaceFinding> appPlaceOf(const std::wstring& folder);
  // Names the programs that hold the plan's folder until none is left (true) or the user cancels.
  bool noProgramHolds(const MovePlan& plan);
  // A move that waits on a file in use: the programs named, then on Retry the move goes on from
  // where its journal stands, on Cancel it is undone; until it no longer waits.
  MoveResult goOnWhileHeld(const std::wstring& journalPath, MoveResult result);
  // A move, and when a step is refused for want of rights, the same move again as administrator
  // if the user agrees; then tells the end.
  void runAndTell(const MovePlan& plan);
  // The recovery of one unfinished move, likewise.
  void recoverAndTell(const PendingMove& pending, Recovery choice);

  struct HelperEnd {
    MoveResult result;
    std::optional<std::wstring> refusal;  // the helper's checks refused the move
  };
  // The helper started with administrator rights on the move `plan` names, behind the progress
  // window.
  HelperEnd runHelper(HelperTask task, const MovePlan& plan);
  void tell(const MovePlan& plan, const HelperEnd& end);
  void refreshLists();

  MoveControls c_;
  MoveServices s_;
  bool moving_ = false;  // a road that moves is under way in this window
};

}  // namespace mirafold::move
