#include "move/folder_mover.h"

#include <algorithm>
#include <cstdint>

#include "base/path_rules.h"
#include "base/text.h"
#include "move/messages.h"
#include "move/move_paths.h"
#include "move/move_tree.h"
#include "move/volume_rules.h"

namespace mirafold::move {

using platform::EntryInfo;
using platform::EntryKind;
using platform::MoveStatus;

namespace {

constexpr std::wstring_view kJournalExtension = L".journal";

}  // namespace

// One journal per origin: a name from the origin's path, so that no listing is needed to pick it.
std::wstring journalPathFor(const std::wstring& folder, const MovePlan& plan) {
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (wchar_t c : base::withoutTrailingSeparator(plan.origin)) {
    const wchar_t upper = c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
    hash = (hash ^ static_cast<std::uint64_t>(upper)) * 1099511628211ull;
  }
  static constexpr wchar_t kDigits[] = L"0123456789abcdef";
  std::wstring name = L"move-";
  for (int shift = 60; shift >= 0; shift -= 4) name += kDigits[(hash >> shift) & 0xF];
  return base::joinPath(folder, name + std::wstring(kJournalExtension));
}

namespace {

MoveStatus failure(std::wstring why) { return MoveStatus::failure(std::move(why)); }

MoveStatus occupied(const std::wstring& path) {
  return failure(std::wstring(kNameExistsOnRight) + L"：" + path);
}

MoveStatus missing(const std::wstring& path) { return failure(base::fillIn(kNotFound, {path})); }

// The folders the move works in, held from here on and found where the plan has them: a folder
// swapped for another (or for a link to one) since the plan is refused.
MoveStatus holdPlaces(platform::MoveFileSystem& files, const MovePlan& plan) {
  for (const std::wstring& path : {plan.origin, plan.final}) {
    const std::wstring parent = base::parentOf(path);
    std::wstring real;
    if (MoveStatus st = files.hold(parent, real); !st.ok()) return st;
    if (!base::samePath(base::withoutTrailingSeparator(real), parent)) {
      return failure(base::fillIn(kFolderNotAsPlanned, {parent}));
    }
  }
  return MoveStatus::success();
}

std::vector<Phase> phasesOf(const MovePlan& plan) {
  if (plan.direction == Direction::Back) {
    return {Phase::Hide, Phase::Place, Phase::Finish, Phase::Clean};
  }
  if (plan.sameVolume) return {Phase::Hide, Phase::Place, Phase::Link, Phase::Clean};
  return {Phase::Hide, Phase::Place, Phase::Finish, Phase::Link, Phase::Clean};
}

// One run of a plan's steps, forwards and, when it must, backwards.
class MoveRun {
 public:
  MoveRun(MoverServices& services, const MovePlan& plan, std::wstring journalPath)
      : s_(services),
        files_(services.files),
        plan_(plan),
        phases_(phasesOf(plan)),
        journalPath_(std::move(journalPath)),
        moving_(movingPathOf(plan.origin)),
        partial_(partialPathOf(plan.final)),
        progress_(services.clock, services.progress) {}

  MoveResult fresh() {
    if (MoveStatus st = holdPlaces(files_, plan_); !st.ok()) return ended(MoveOutcome::Failed, st);
    if (MoveStatus st = checkStart(); !st.ok()) return ended(MoveOutcome::Failed, st);
    return runFrom(0);
  }

  // Undoing a finished move: its journal is replaced by this run's first entry, so that a crash
  // at any point leaves exactly one journal, of the move or of its way back.
  MoveResult freshInPlaceOf() {
    if (MoveStatus st = checkStart(); !st.ok()) {
      if (MoveStatus gone = files_.deleteJournal(journalPath_); !gone.ok()) {
        return ended(MoveOutcome::Unfinished, gone);
      }
      return ended(MoveOutcome::Failed, st);
    }
    return runFrom(0);
  }

  MoveResult complete(Phase phase) {
    recovering_ = true;
    return runFrom(indexOf(phase));
  }

  // The last step alone, the journal kept for the way back; after a crash, as `complete` is.
  MoveStatus cleanKeepingJournal() {
    recovering_ = true;
    return clean();
  }
  bool copyDiffers() const { return copyDiffers_; }

  // The copy is unlike its original: the original goes back to its place (the link there
  // removed first), the copy stays where it is, and the journal goes last. A crash between
  // leaves the original at its place, which recovery takes for this undo done.
  MoveResult undoKeepingBoth() {
    if (plan_.direction == Direction::Away) {
      if (MoveStatus st = unlink(); !st.ok()) return ended(MoveOutcome::Unfinished, st);
    }
    if (MoveStatus st = unhide(); !st.ok()) return ended(MoveOutcome::Unfinished, st);
    return keptBoth();
  }

  MoveResult undo(Phase phase) {
    return rollBack(static_cast<int>(indexOf(phase)), MoveStatus::cancelled());
  }

 private:
  std::size_t indexOf(Phase phase) const {
    for (std::size_t i = 0; i < phases_.size(); ++i) {
      if (phases_[i] == phase) return i;
    }
    return 0;  // a phase this plan skips: start again from the top, every step is repeatable
  }

  MoveStatus kindOf(const std::wstring& path, EntryKind& kind) {
    EntryInfo info;
    MoveStatus st = files_.inspect(path, info);
    kind = info.kind;
    return st;
  }

  // Before anything is touched: nothing of ours or anyone's in the way.
  MoveStatus checkStart() {
    EntryKind origin, final, partial;
    if (MoveStatus st = kindOf(plan_.origin, origin); !st.ok()) return st;
    if (origin != EntryKind::Folder) return missing(plan_.origin);
    if (MoveStatus st = kindOf(plan_.final, final); !st.ok()) return st;
    const EntryKind expected =
        plan_.direction == Direction::Back ? EntryKind::Link : EntryKind::Missing;
    if (final != expected) return occupied(plan_.final);
    if (plan_.direction == Direction::Back || !plan_.sameVolume) {
      if (MoveStatus st = kindOf(partial_, partial); !st.ok()) return st;
      if (partial != EntryKind::Missing) return occupied(partial_);
    }
    return MoveStatus::success();
  }

  MoveResult runFrom(std::size_t first) {
    for (std::size_t i = first; i < phases_.size(); ++i) {
      const Phase phase = phases_[i];
      // Within one volume the renames leave nothing to delete: a fresh move ends at its link (or
      // its rename back), with no journal entry written and flushed for a step with nothing to
      // do. A recovery still takes the step.
      if (phase == Phase::Clean && plan_.sameVolume && !recovering_) break;
      // Completing after a crash, the first step may be half done: undoing starts with it.
      const int previous = static_cast<int>(i) - (i == first ? 0 : 1);
      if (phase != Phase::Clean && s_.cancel.requested()) {
        return rollBack(previous, MoveStatus::cancelled());
      }
      if (MoveStatus st = writeJournal(phase); !st.ok()) return rollBack(previous, st);
      if (MoveStatus st = doStep(phase); !st.ok()) {
        // Moving back, hiding removes the link first: no waiting without it (the program the
        // user is asked to close would save into its empty place); the link is made again.
        const bool linkRemoved = phase == Phase::Hide && plan_.direction == Direction::Back;
        if (phase != Phase::Clean && st.code == MoveStatus::Code::InUse && s_.waitWhenInUse &&
            !linkRemoved) {
          MoveResult waiting = ended(MoveOutcome::Unfinished, st);
          waiting.inUse = true;
          waiting.heldFile = st.path;
          return waiting;
        }
        if (phase != Phase::Clean) return rollBack(static_cast<int>(i), st);
        // Nothing of the original deleted: both stay, and the journal for the undo.
        if (copyDiffers_) return {MoveOutcome::Unfinished, st.reason, {}, false, true};
        if (keptBoth_) return keptBoth();
        // A recovery stopped before its first deletion (the link not made again, the copy not
        // checked) has not finished the move: the journal stays for the next start.
        if (recovering_ && !deleting_) return ended(MoveOutcome::Unfinished, st);
        // The folder is whole in its new place and linked: only the old copy is left over.
        if (MoveStatus gone = files_.deleteJournal(journalPath_); !gone.ok()) {
          return ended(MoveOutcome::Unfinished, gone);
        }
        return {MoveOutcome::DoneOldFolderLeft, st.reason, moving_};
      }
    }
    if (MoveStatus st = files_.deleteJournal(journalPath_); !st.ok()) {
      return ended(MoveOutcome::Unfinished, st);
    }
    progressState_.currentFile.clear();
    progress_.reportNow(progressState_);
    return {};
  }

  // Undoes the steps from `last` down; each undo is written to the journal before the next one.
  MoveResult rollBack(int last, const MoveStatus& cause) {
    // Once the journal says Clean, the original may be partly deleted: the only way is forward.
    if (last >= 0 && phases_[static_cast<std::size_t>(last)] == Phase::Clean) {
      return ended(MoveOutcome::Unfinished, cause);
    }
    for (int i = last; i >= 0; --i) {
      const Phase phase = phases_[static_cast<std::size_t>(i)];
      if (MoveStatus st = undoStep(phase); !st.ok()) return ended(MoveOutcome::Unfinished, st);
      if (i > 0) {
        if (MoveStatus st = writeJournal(phases_[static_cast<std::size_t>(i) - 1]); !st.ok()) {
          return ended(MoveOutcome::Unfinished, st);
        }
      }
    }
    if (MoveStatus st = files_.deleteJournal(journalPath_); !st.ok()) {
      return ended(MoveOutcome::Unfinished, st);
    }
    if (cause.code == MoveStatus::Code::Cancelled) return {MoveOutcome::Cancelled, {}, {}};
    return ended(MoveOutcome::Failed, cause);
  }

  MoveResult keptBoth() {
    if (MoveStatus st = files_.deleteJournal(journalPath_); !st.ok()) {
      return ended(MoveOutcome::Unfinished, st);
    }
    return {MoveOutcome::Cancelled, {}, plan_.final, false, true};
  }

  MoveResult ended(MoveOutcome outcome, const MoveStatus& st) const {
    if (st.code == MoveStatus::Code::Changed) {
      const std::wstring changed =
          st.path.empty() ? plan_.origin : asOriginPath(st.path, plan_.origin);
      return {outcome, base::fillIn(kEntryChanged, {changed}), {}};
    }
    if (st.code == MoveStatus::Code::InUse) {
      // The file is named where the user left it, not inside the hidden sibling it was renamed to.
      const std::wstring held =
          st.path.empty() ? plan_.origin : asOriginPath(st.path, plan_.origin);
      return {outcome, base::fillIn(kFileInUse, {held}), {}};
    }
    return {outcome, st.reason, {}, st.code == MoveStatus::Code::NoRights};
  }

  MoveStatus writeJournal(Phase phase) {
    return files_.writeJournal(journalPath_, journalText({plan_, phase}));
  }

  MoveStatus doStep(Phase phase) {
    switch (phase) {
      case Phase::Hide:
        return hide();
      case Phase::Place:
        return plan_.sameVolume ? placeByRename() : placeByCopy();
      case Phase::Finish:
        return finish();
      case Phase::Link:
        return link();
      case Phase::Clean:
        return clean();
    }
    return MoveStatus::success();
  }

  MoveStatus undoStep(Phase phase) {
    switch (phase) {
      case Phase::Hide:
        return unhide();
      case Phase::Place:
        return plan_.sameVolume ? unplaceByRename() : unplaceByCopy();
      case Phase::Finish:
        return renameBackIfMoved(plan_.final, partial_);
      case Phase::Link:
        return unlink();
      case Phase::Clean:
        break;  // past the point of no return: recover() moves the folder back instead
    }
    return MoveStatus::success();
  }

  // Where a rename within the volume puts the folder: moving back, the link still holds the
  // final name until Finish.
  const std::wstring& renameTarget() const {
    return plan_.direction == Direction::Away ? plan_.final : partial_;
  }

  MoveStatus hide() {
    EntryKind origin, moving;
    if (MoveStatus st = kindOf(moving_, moving); !st.ok()) return st;
    if (MoveStatus st = kindOf(plan_.origin, origin); !st.ok()) return st;
    if (moving == EntryKind::Missing) {
      if (origin != EntryKind::Folder) return missing(plan_.origin);
      if (MoveStatus st = unlinkBeforeMovingBack(); !st.ok()) return st;
      if (MoveStatus st = renamePatiently(plan_.origin, moving_); !st.ok()) return st;
    } else if (moving != EntryKind::Folder || origin != EntryKind::Missing) {
      return occupied(moving_);
    }
    return files_.setAttributes(moving_, plan_.originAttributes | platform::kAttributeHidden);
  }

  MoveStatus unhide() {
    EntryKind origin, moving;
    if (MoveStatus st = kindOf(moving_, moving); !st.ok()) return st;
    if (moving == EntryKind::Folder) {
      if (MoveStatus st = kindOf(plan_.origin, origin); !st.ok()) return st;
      if (origin != EntryKind::Missing) return occupied(plan_.origin);
      if (MoveStatus st = files_.setAttributes(moving_, plan_.originAttributes); !st.ok()) {
        return st;
      }
      if (MoveStatus st = renamePatiently(moving_, plan_.origin); !st.ok()) return st;
    }
    if (plan_.direction == Direction::Back) return relink();
    return MoveStatus::success();
  }

  // Moving back, the link goes before its folder is renamed: a link whose folder is gone cannot
  // be told from nothing under Wine, nor removed. Undone, it comes back.
  MoveStatus unlinkBeforeMovingBack() {
    if (plan_.direction != Direction::Back) return MoveStatus::success();
    EntryKind link;
    if (MoveStatus st = kindOf(plan_.final, link); !st.ok()) return st;
    return link == EntryKind::Link ? removeLinkPatiently(plan_.final) : MoveStatus::success();
  }

  MoveStatus relink() {
    EntryKind link;
    if (MoveStatus st = kindOf(plan_.final, link); !st.ok()) return st;
    if (link == EntryKind::Link) return MoveStatus::success();
    // Something else made in the link's place meanwhile is not the link: never called one.
    if (link != EntryKind::Missing) return occupied(plan_.final);
    if (MoveStatus st = files_.makeLink(plan_.final, plan_.origin); !st.ok()) return st;
    if (MoveStatus st = files_.flushLink(plan_.final); !st.ok()) return st;
    return checkLeads(plan_.final, plan_.origin);
  }

  MoveStatus checkLeads(const std::wstring& link, const std::wstring& folder) {
    bool leads = false;
    if (MoveStatus st = files_.sameFolder(link, folder, leads); !st.ok()) return st;
    return leads ? MoveStatus::success() : failure(base::fillIn(kLinkLeadsElsewhere, {folder}));
  }

  MoveStatus placeByRename() {
    const std::wstring& target = renameTarget();
    EntryKind moving, placed;
    if (MoveStatus st = kindOf(moving_, moving); !st.ok()) return st;
    if (MoveStatus st = kindOf(target, placed); !st.ok()) return st;
    if (moving == EntryKind::Folder) {
      if (placed != EntryKind::Missing) return occupied(target);
      if (MoveStatus st = renamePatiently(moving_, target); !st.ok()) return st;
    } else if (placed != EntryKind::Folder) {
      return missing(moving_);
    }
    return files_.setAttributes(target, plan_.originAttributes);
  }

  MoveStatus unplaceByRename() { return renameBackIfMoved(renameTarget(), moving_); }

  // Undoes a rename `to` -> `from` if it happened.
  MoveStatus renameBackIfMoved(const std::wstring& from, const std::wstring& to) {
    EntryKind source, target;
    if (MoveStatus st = kindOf(to, target); !st.ok()) return st;
    if (target != EntryKind::Missing) return MoveStatus::success();
    if (MoveStatus st = kindOf(from, source); !st.ok()) return st;
    if (source != EntryKind::Folder) return MoveStatus::success();
    return renamePatiently(from, to);
  }

  // A scanner or an indexer may hold a fresh entry for a moment. The rename is on the disk
  // before the journal moves past it: the journal's flush carries only its own volume.
  MoveStatus renamePatiently(const std::wstring& from, const std::wstring& to) {
    if (MoveStatus st = retryingBriefRefusals(s_.clock, [&] { return files_.rename(from, to); });
        !st.ok()) {
      return st;
    }
    return files_.flushRename(to);
  }

  MoveStatus removeLinkPatiently(const std::wstring& link) {
    return retryingBriefRefusals(s_.clock, [&] { return files_.removeLink(link); });
  }

  MoveStatus placeByCopy() {
    EntryKind moving, partial;
    if (MoveStatus st = kindOf(moving_, moving); !st.ok()) return st;
    if (moving != EntryKind::Folder) return missing(moving_);
    // A copy cut short by a crash is started again from nothing.
    if (MoveStatus st = kindOf(partial_, partial); !st.ok()) return st;
    if (partial == EntryKind::Folder) {
      if (MoveStatus st = deleteTree(files_, partial_, ownCopy()); !st.ok()) return st;
    } else if (partial != EntryKind::Missing) {
      return occupied(partial_);
    }
    TreeSummary total;
    if (MoveStatus st = summarize(files_, moving_, total); !st.ok()) return st;
    progressState_ = {0, total.bytes, 0, total.files, {}};
    progress_.reportNow(progressState_);
    platform::VolumeInfo from, to;
    if (MoveStatus st = files_.volumeInfo(moving_, from); !st.ok()) return st;
    if (MoveStatus st = files_.volumeInfo(base::parentOf(partial_), to); !st.ok()) return st;
    TreeCopier copier(files_, progress_, s_.cancel, total, from.keepsSecurity && to.keepsSecurity,
                      plan_.origin);
    if (MoveStatus st = copier.copy(moving_, partial_, plan_.originAttributes); !st.ok()) {
      return st;
    }
    progressState_ = {total.bytes, total.bytes, total.files, total.files, {}};
    // The name alone is not enough: Wine calls every drive NTFS, and FAT may round a time.
    std::uint64_t measured = 1;
    if (MoveStatus st = files_.measureTimeStep(partial_, measured); !st.ok()) return st;
    const CopyCheck check{std::max(timeStepOf(to.fileSystem), measured), plan_.origin, plan_.origin,
                          true, namePaths()};
    if (MoveStatus st = verifyCopy(files_, moving_, partial_, check); !st.ok()) return st;
    progressState_.currentFile.clear();
    return copier.secure(moving_, partial_);
  }

  MoveStatus unplaceByCopy() {
    EntryKind moving, partial;
    if (MoveStatus st = kindOf(partial_, partial); !st.ok()) return st;
    if (partial == EntryKind::Missing) return MoveStatus::success();
    // Only a copy is ever deleted, and only while its original is there.
    if (MoveStatus st = kindOf(moving_, moving); !st.ok()) return st;
    if (moving != EntryKind::Folder || partial != EntryKind::Folder) return missing(moving_);
    return deleteTree(files_, partial_, ownCopy());
  }

  MoveStatus finish() {
    EntryKind partial, final;
    if (MoveStatus st = kindOf(partial_, partial); !st.ok()) return st;
    if (MoveStatus st = kindOf(plan_.final, final); !st.ok()) return st;
    if (partial != EntryKind::Folder) {
      return final == EntryKind::Folder ? MoveStatus::success() : missing(partial_);
    }
    if (final != EntryKind::Missing) return occupied(plan_.final);
    return renamePatiently(partial_, plan_.final);
  }

  // Made where it is missing, and on the disk before the journal moves past it, even when found:
  // one made before a kill may still be only in the cache.
  MoveStatus link() {
    EntryKind origin;
    if (MoveStatus st = kindOf(plan_.origin, origin); !st.ok()) return st;
    if (origin == EntryKind::Missing) {
      if (MoveStatus st = files_.makeLink(plan_.origin, plan_.final); !st.ok()) return st;
    } else if (origin != EntryKind::Link) {
      return occupied(plan_.origin);
    }
    if (MoveStatus st = checkLeads(plan_.origin, plan_.final); !st.ok()) return st;
    return files_.flushLink(plan_.origin);
  }

  MoveStatus unlink() {
    EntryKind origin;
    if (MoveStatus st = kindOf(plan_.origin, origin); !st.ok()) return st;
    return origin == EntryKind::Link ? removeLinkPatiently(plan_.origin) : MoveStatus::success();
  }

  MoveStatus clean() {
    EntryKind moving;
    if (MoveStatus st = kindOf(moving_, moving); !st.ok()) return st;
    if (recovering_) {
      EntryKind origin;
      if (MoveStatus st = kindOf(plan_.origin, origin); !st.ok()) return st;
      // The original back at its place: an undo that kept both had begun.
      if (moving != EntryKind::Folder && origin == EntryKind::Folder) {
        keptBoth_ = true;
        return failure(plan_.origin);
      }
      // The link may have been lost with the cache: made again where it is missing.
      if (plan_.direction == Direction::Away) {
        if (MoveStatus st = link(); !st.ok()) return st;
      }
    }
    if (moving != EntryKind::Folder) return MoveStatus::success();
    // After a crash the copy is checked again before its original goes: whatever of the original
    // is left must be in the copy. The destination's step is not measured again; FAT's 2 s, the
    // coarsest of all, is allowed. Files new in the copy are the user's, written since.
    if (recovering_ && !plan_.sameVolume) {
      if (MoveStatus st =
              verifyCopy(files_, moving_, plan_.final,
                         {timeStepOf(L"FAT"), plan_.origin, plan_.origin, false, namePaths()});
          !st.ok()) {
        copyDiffers_ = st.code == MoveStatus::Code::Failed && !st.path.empty();
        return st;
      }
    }
    deleting_ = true;
    return deleteTree(files_, moving_, {s_.clock, false, namePaths()});
  }

  TreeDeletion ownCopy() { return {s_.clock, true, namePaths()}; }

  // Checking or deleting thousands of files takes seconds: the progress window names each path
  // as the step reaches it.
  PathWatcher namePaths() {
    return [this](const std::wstring& path) {
      progressState_.currentFile = path;
      progress_.report(progressState_);
    };
  }

  MoverServices& s_;
  platform::MoveFileSystem& files_;
  const MovePlan plan_;
  const std::vector<Phase> phases_;
  const std::wstring journalPath_;
  const std::wstring moving_;
  const std::wstring partial_;
  ProgressThrottle progress_;
  MoveProgress progressState_;
  bool recovering_ = false;
  bool copyDiffers_ = false;
  bool deleting_ = false;  // the hidden original's deletion has begun
  bool keptBoth_ = false;
};

// The plan that takes a finished move back where it came from.
MovePlan reverseOf(const MovePlan& plan, std::uint32_t attributes) {
  return {plan.direction == Direction::Away ? Direction::Back : Direction::Away, plan.final,
          plan.origin, plan.sameVolume, attributes};
}

}  // namespace

FolderMover::FolderMover(MoverServices services) : services_(std::move(services)) {}

namespace {

// The folders a move held are let go when it ends, however it ends.
struct LettingGo {
  platform::MoveFileSystem& files;
  ~LettingGo() { files.letGo(); }
};

}  // namespace

MoveResult FolderMover::run(const MovePlan& plan) {
  const LettingGo atTheEnd{services_.files};
  return MoveRun(services_, plan, journalPathFor(services_.journalFolder, plan)).fresh();
}

MoveResult FolderMover::recover(const PendingMove& pending, Recovery choice) {
  const LettingGo atTheEnd{services_.files};
  const JournalEntry& entry = pending.entry;
  if (MoveStatus st = holdPlaces(services_.files, entry.plan); !st.ok()) {
    return {MoveOutcome::Unfinished, st.reason, {}, st.code == MoveStatus::Code::NoRights};
  }
  MoveRun interrupted(services_, entry.plan, pending.journalPath);
  if (choice == Recovery::Complete) return interrupted.complete(entry.phase);
  if (entry.phase != Phase::Clean) return interrupted.undo(entry.phase);

  // Past the point of no return: finish, then move the folder back by the same protocol. A copy
  // unlike its original is never finished: the original goes back, the copy stays.
  if (MoveStatus st = interrupted.cleanKeepingJournal(); !st.ok()) {
    if (interrupted.copyDiffers()) return interrupted.undoKeepingBoth();
    return interrupted.complete(Phase::Clean);
  }
  EntryInfo moved;
  if (MoveStatus st = services_.files.inspect(entry.plan.final, moved); !st.ok()) {
    return {MoveOutcome::Unfinished, st.reason, {}, st.code == MoveStatus::Code::NoRights};
  }
  const MovePlan back = reverseOf(entry.plan, moved.attributes & kCarriedAttributes);
  MoveResult undone = MoveRun(services_, back, pending.journalPath).freshInPlaceOf();
  // The way back done is the move undone (perhaps with its own old folder left over); the way
  // back undone leaves the move done.
  if (undone.outcome == MoveOutcome::Done || undone.outcome == MoveOutcome::DoneOldFolderLeft) {
    return {MoveOutcome::Cancelled, undone.reason, undone.leftover};
  }
  if (undone.outcome == MoveOutcome::Cancelled) return {MoveOutcome::Failed, {}, {}};
  return undone;
}

std::vector<PendingMove> findPendingMoves(platform::MoveFileSystem& files,
                                          const std::wstring& journalFolder) {
  std::vector<PendingMove> pending;
  EntryInfo folder;
  if (!files.inspect(journalFolder, folder).ok() || folder.kind != EntryKind::Folder) {
    return pending;
  }
  std::vector<platform::FolderEntry> entries;
  if (!files.list(journalFolder, entries).ok()) return pending;
  for (const platform::FolderEntry& entry : entries) {
    const std::wstring& name = entry.name;
    if (entry.info.kind != EntryKind::File || name.size() <= kJournalExtension.size() ||
        name.compare(name.size() - kJournalExtension.size(), std::wstring::npos,
                     kJournalExtension) != 0) {
      continue;
    }
    const std::wstring path = base::joinPath(journalFolder, name);
    std::wstring text;
    if (!files.readJournal(path, text).ok()) continue;
    if (const auto parsed = parseJournal(text)) pending.push_back({path, *parsed});
  }
  return pending;
}

std::optional<std::wstring> endMessage(const MovePlan& plan, const MoveResult& result) {
  switch (result.outcome) {
    case MoveOutcome::Done:
      return std::wstring(plan.direction == Direction::Back ? kMovedBack : kMoveDone);
    case MoveOutcome::DoneOldFolderLeft:
      return base::fillIn(kMoveDoneOldFolderLeft, {result.leftover});
    case MoveOutcome::Cancelled:
      if (result.copyDiffers) return base::fillIn(kUndoneCopyKept, {result.leftover});
      if (!result.leftover.empty()) return base::fillIn(kMoveDoneOldFolderLeft, {result.leftover});
      return std::wstring(kCancelledNothingChanged);
    case MoveOutcome::Failed:
      return base::fillIn(kMoveFailedNothingChanged, {result.reason});
    case MoveOutcome::Unfinished:
      if (result.copyDiffers) return base::fillIn(kRecoveryCopyDiffers, {result.reason});
      return base::fillIn(kMoveUnfinished, {result.reason});
  }
  return std::nullopt;
}

std::wstring recoveryQuestion(const PendingMove& pending) {
  return base::fillIn(kUnfinishedMoveQuestion,
                      {pending.entry.plan.origin, pending.entry.plan.final});
}

}  // namespace mirafold::move
