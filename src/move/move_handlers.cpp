#include "move/move_handlers.h"

#include <algorithm>

#include "move/messages.h"
#include "move/move_paths.h"
#include "move/progress_view.h"
#include "volume/file_system_name.h"

namespace mirafold::move {
namespace {

platform::EntryKind kindOf(platform::MoveFileSystem& files, const std::wstring& path) {
  platform::EntryInfo info;
  if (!files.inspect(path, info).ok()) return platform::EntryKind::Missing;
  return info.kind;
}

// A target as a link stores it may carry the NT prefix; the list wants a plain path.
std::wstring plainPath(std::wstring path) {
  if (path.starts_with(L"\\??\\")) path.erase(0, 4);
  return path;
}

}  // namespace

MoveHandlers::MoveHandlers(MoveControls controls, MoveServices services)
    : c_(controls), s_(std::move(services)) {
  for (const Side side : {Side::Left, Side::Right}) {
    listOf(side).onContextMenu(
        {.items = [this, side](const std::wstring& folder) { return menuFor(side, folder); },
         .chosen = [this, side](const std::wstring& folder,
                                int command) { choose(side, folder, command); }});
  }
}

std::vector<platform::MenuItem> MoveHandlers::menuFor(Side side, const std::wstring& folder) {
  const std::wstring explorer(kOpenInExplorer);
  switch (kindOf(s_.files, folder)) {
    case platform::EntryKind::Link:
      return {{kCommandOpenTarget, std::wstring(kOpenLinkTarget), true},
              {kCommandDeleteLink, std::wstring(kDeleteLinkOnly), true},
              {kCommandMoveBack, std::wstring(kMoveBackAndUnlink), true},
              {kCommandOpenInExplorer, explorer, true}};
    case platform::EntryKind::Folder:
      if (side == Side::Left) {
        return {{kCommandMoveAway, std::wstring(kMoveAwayAndLink), canMoveAway(folder)},
                {kCommandOpenInExplorer, explorer, true}};
      }
      return {{kCommandOpenInExplorer, explorer, true}};
    default:
      return {};
  }
}

void MoveHandlers::choose(Side side, const std::wstring& folder, int command) {
  const auto items = menuFor(side, folder);
  const bool offered = std::any_of(items.begin(), items.end(), [&](const platform::MenuItem& i) {
    return i.command == command && i.enabled;
  });
  if (!offered) return;
  switch (command) {
    case kCommandMoveAway:
      moveAway(folder);
      break;
    case kCommandOpenTarget:
      openTarget(side, folder);
      break;
    case kCommandDeleteLink:
      deleteLink(folder);
      break;
    case kCommandMoveBack:
      moveBack(folder);
      break;
    case kCommandOpenInExplorer:
      s_.processes.start(L"explorer.exe \"" + folder + L"\"",
                         platform::WindowShow::NormalWithFocus);
      break;
    default:
      break;
  }
}

// Greyed only where the move could never go, whatever the disks hold: a drive root, the
// right-hand folder itself or one inside it, or the folder it already lies in. The rest is for
// the checks, which say why.
bool MoveHandlers::canMoveAway(const std::wstring& folder) const {
  const std::wstring destination = c_.dir2.path();
  return !isDriveRoot(folder) && !destination.empty() && !isSameOrInside(destination, folder) &&
         !samePath(parentOf(folder), destination);
}

MoveSurroundings MoveHandlers::surroundingsOf(const std::wstring& linkPlace) {
  return {s_.systemFolders.folders(),
          volume::GetFileSystemName(s_.volume, volume::volumeRootOf(linkPlace)).name};
}

void MoveHandlers::moveAway(const std::wstring& folder) {
  const PlannedMove planned =
      planMoveAway(s_.files, folder, c_.dir2.path(), surroundingsOf(folder));
  if (planned.refusal) {
    s_.messages.show(*planned.refusal);
    return;
  }
  if (!s_.messages.ask(confirmationText(planned))) return;
  const MoveResult result =
      runWithProgress([&](FolderMover& mover) { return mover.run(planned.plan); });
  if (const auto text = endMessage(planned.plan, result)) s_.messages.show(*text);
  refreshLists();
}

void MoveHandlers::moveBack(const std::wstring& link) {
  const PlannedMove planned = planMoveBack(s_.files, link, surroundingsOf(link));
  if (planned.refusal) {
    s_.messages.show(*planned.refusal);
    return;
  }
  const MoveResult result =
      runWithProgress([&](FolderMover& mover) { return mover.run(planned.plan); });
  if (const auto text = endMessage(planned.plan, result)) s_.messages.show(*text);
  refreshLists();
}

void MoveHandlers::openTarget(Side side, const std::wstring& link) {
  std::wstring target;
  if (const platform::MoveStatus st = s_.files.readLink(link, target); !st.ok()) {
    s_.messages.show(st.reason);
    return;
  }
  listOf(side).setPath(plainPath(target));
}

void MoveHandlers::deleteLink(const std::wstring& link) {
  if (const platform::MoveStatus st = s_.files.removeLink(link); !st.ok()) {
    s_.messages.show(st.reason);
  }
  refreshLists();
}

void MoveHandlers::recoverUnfinishedMoves() {
  if (s_.journalFolder.empty()) return;
  const std::vector<PendingMove> pending = findPendingMoves(s_.files, s_.journalFolder);
  if (pending.empty()) return;  // the usual start: the lists stay as they were made
  for (const PendingMove& move : pending) {
    const Recovery choice =
        s_.messages.ask(recoveryQuestion(move)) ? Recovery::Complete : Recovery::Undo;
    const MoveResult result =
        runWithProgress([&](FolderMover& mover) { return mover.recover(move, choice); });
    if (const auto text = endMessage(move.entry.plan, result)) s_.messages.show(*text);
  }
  refreshLists();
}

MoveResult MoveHandlers::runWithProgress(const std::function<MoveResult(FolderMover&)>& work) {
  CancelFlag cancel;
  MoveResult result;
  const auto started = s_.clock.now();
  s_.progress.run(
      [&](const platform::ProgressReport& report) {
        FolderMover mover({.files = s_.files,
                           .clock = s_.clock,
                           .cancel = cancel,
                           .progress =
                               [&](const MoveProgress& p) {
                                 report(progressViewOf(p, s_.clock.now() - started));
                               },
                           .journalFolder = s_.journalFolder});
        result = work(mover);
      },
      [&] { cancel.request(); });
  return result;
}

// A list whose folder went away (moved back over it, say) keeps what it shows.
void MoveHandlers::refreshLists() {
  c_.dir1.setPath(c_.dir1.path());
  c_.dir2.setPath(c_.dir2.path());
}

}  // namespace mirafold::move
