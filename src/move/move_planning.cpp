#include "move/move_planning.h"

#include "base/path_rules.h"
#include "base/text.h"
#include "move/messages.h"

namespace mirafold::move {

using platform::EntryInfo;
using platform::EntryKind;
using platform::MoveStatus;

namespace {

PlannedMove refused(const MoveStatus& st) {
  PlannedMove planned;
  planned.refusal = base::fillIn(kMoveFailedNothingChanged, {st.reason});
  return planned;
}

// The facts about the folder and the place it goes to; `facts.source` and
// `facts.destinationFolder` already set; `to` the destination's volume. `ownersAtRisk`: a copy
// would keep permissions but not owners other than the mover (no restore privilege).
MoveStatus gatherVolumes(platform::MoveFileSystem& files, MoveFacts& facts,
                         platform::VolumeInfo& to, bool& ownersAtRisk) {
  platform::VolumeInfo from;
  // The source's parent is where its rename happens (a drive root has none).
  const std::wstring parent = base::parentOf(facts.source);
  if (MoveStatus st = files.volumeInfo(parent.empty() ? facts.source : parent, from); !st.ok()) {
    return st;
  }
  if (MoveStatus st = files.volumeInfo(facts.destinationFolder, to); !st.ok()) return st;
  facts.sameVolume = from.id == to.id;
  facts.bytesFree = to.freeBytes;
  facts.destinationIsNetwork = to.network;
  facts.destinationFileSystem = to.fileSystem;
  facts.permissionsLost = !facts.sameVolume && from.keepsSecurity && !to.keepsSecurity;
  ownersAtRisk = false;
  if (!from.keepsSecurity || !to.keepsSecurity) return MoveStatus::success();
  bool canKeep = false;
  if (MoveStatus st = files.canKeepOwners(canKeep); !st.ok()) return st;
  ownersAtRisk = !canKeep;
  return MoveStatus::success();
}

// The walk of a folder that a copy takes: each file's names counted, and its streams asked for
// only where the destination would lose them.
WalkQuestions questionsFor(const MoveFacts& facts, const platform::VolumeInfo& to,
                           bool ownersAtRisk) {
  return {to.clusterBytes, !facts.sameVolume, !facts.sameVolume && !to.keepsStreams,
          !facts.sameVolume && ownersAtRisk};
}

// The folder's walk with the questions its road asks; the folder's own owner first.
MoveStatus walkOnce(platform::MoveFileSystem& files, const MoveFacts& facts,
                    const platform::VolumeInfo& to, bool ownersAtRisk, TreeSummary& summary) {
  const WalkQuestions questions = questionsFor(facts, to, ownersAtRisk);
  if (questions.askOwners) {
    if (MoveStatus st = countOwner(files, facts.source, summary); !st.ok()) return st;
  }
  return summarize(files, facts.source, summary, questions);
}

// Each link read now, a file's as a folder's, so that none fails halfway through a copy; those
// relative ones that lead out of `tree` counted.
MoveStatus countLinksLeadingOut(platform::MoveFileSystem& files, const TreeSummary& summary,
                                const std::wstring& tree, PlannedMove& planned) {
  for (const std::wstring& link : summary.symbolicLinks) {
    std::wstring target;
    if (MoveStatus st = files.readLink(link, target); !st.ok()) return st;
    if (!outsideTarget(link, target, tree).empty() && planned.linksLeadingOut++ == 0) {
      planned.firstLinkLeadingOut = link;
    }
  }
  return MoveStatus::success();
}

// The folder's walk. Within one volume a rename would take a relative link that leads out of the
// folder along, to lead elsewhere from its new place: such a folder is copied instead, and the
// copy makes the link lead where it led.
MoveStatus walk(platform::MoveFileSystem& files, MoveFacts& facts, const platform::VolumeInfo& to,
                bool ownersAtRisk, TreeSummary& summary) {
  if (MoveStatus st = walkOnce(files, facts, to, ownersAtRisk, summary); !st.ok()) return st;
  if (!facts.sameVolume || summary.symbolicLinks.empty()) return MoveStatus::success();
  PlannedMove probe;
  if (MoveStatus st = countLinksLeadingOut(files, summary, facts.source, probe); !st.ok()) {
    return st;
  }
  if (probe.linksLeadingOut == 0) return MoveStatus::success();
  facts.sameVolume = false;
  summary = {};
  return walkOnce(files, facts, to, ownersAtRisk, summary);
}

// `facts.sameVolume` already known: only a copy makes symbolic links, and it is asked only then.
MoveStatus takeSummary(platform::MoveFileSystem& files, const TreeSummary& summary,
                       MoveFacts& facts, PlannedMove& planned) {
  facts.bytesNeeded = summary.space;
  facts.largestFile = summary.largest;
  facts.largestFilePath = summary.largestPath;
  facts.cloudPlaceholder = summary.firstCloudPlaceholder;
  if (facts.sameVolume) return MoveStatus::success();
  facts.firstLink = summary.firstLink;
  // The copy reads each of them: a volume's mount point, which it would not copy, or a link it
  // cannot read, is told now rather than after half the copy.
  for (const std::wstring& link : summary.mountPoints) {
    std::wstring target;
    if (MoveStatus st = files.readLink(link, target); !st.ok()) return st;
  }
  if (summary.firstSymbolicLink.empty()) return MoveStatus::success();
  if (MoveStatus st = countLinksLeadingOut(files, summary, facts.source, planned); !st.ok()) {
    return st;
  }
  bool can = false;
  if (MoveStatus st = files.canMakeSymbolicLinks(can); !st.ok()) return st;
  if (!can) facts.symbolicLinkNotMakeable = summary.firstSymbolicLink;
  return MoveStatus::success();
}

PlannedMove checked(const MoveFacts& facts, MovePlan plan, const TreeSummary& summary,
                    const platform::VolumeInfo& to, PlannedMove planned) {
  planned.refusal = refusalOf(facts);
  planned.plan = std::move(plan);
  planned.plan.sameVolume = facts.sameVolume;
  planned.summary = summary;
  planned.permissionsLost = facts.permissionsLost;
  planned.sparseLost = !facts.sameVolume && !to.keepsSparse;
  planned.compressionLost = !facts.sameVolume && !to.keepsCompression;
  return planned;
}

}  // namespace

PlannedMove planMoveAway(platform::MoveFileSystem& files, const std::wstring& source,
                         const std::wstring& destinationFolder,
                         const MoveSurroundings& surroundings) {
  MoveFacts facts;
  facts.source = base::withoutTrailingSeparator(source);
  facts.destinationFolder = base::withoutTrailingSeparator(destinationFolder);
  facts.systemFolders = surroundings.systemFolders;
  facts.linkVolumeFileSystem = surroundings.linkVolumeFileSystem;
  const std::wstring final = base::joinPath(facts.destinationFolder, base::nameOf(facts.source));

  EntryInfo origin, existing;
  if (MoveStatus st = files.inspect(facts.source, origin); !st.ok()) return refused(st);
  facts.sourceIsLink = origin.kind == EntryKind::Link;
  // Gone since the list showed it, or a file: nothing the checks could name.
  if (origin.kind == EntryKind::Missing || origin.kind == EntryKind::File) {
    return refused(MoveStatus::failure(facts.source));
  }
  if (MoveStatus st = files.inspect(final, existing); !st.ok()) return refused(st);
  facts.nameExistsAtDestination = existing.kind != EntryKind::Missing;

  platform::VolumeInfo to;
  bool ownersAtRisk = false;
  if (MoveStatus st = gatherVolumes(files, facts, to, ownersAtRisk); !st.ok()) return refused(st);
  TreeSummary summary;
  // Only a real folder is walked: the walk would not enter a link, and the checks refuse it.
  if (origin.kind == EntryKind::Folder && !base::isDriveRoot(facts.source) &&
      !base::isSameOrInside(facts.destinationFolder, facts.source)) {
    if (MoveStatus st = walk(files, facts, to, ownersAtRisk, summary); !st.ok()) return refused(st);
  }
  PlannedMove planned;
  if (MoveStatus st = takeSummary(files, summary, facts, planned); !st.ok()) return refused(st);

  const MovePlan plan{Direction::Away, facts.source, final, false,
                      origin.attributes & kCarriedAttributes};
  return checked(facts, plan, summary, to, std::move(planned));
}

PlannedMove planMoveBack(platform::MoveFileSystem& files, const std::wstring& link,
                         const MoveSurroundings& surroundings) {
  const std::wstring place = base::withoutTrailingSeparator(link);
  EntryInfo linkInfo, target;
  if (MoveStatus st = files.inspect(place, linkInfo); !st.ok()) return refused(st);
  if (linkInfo.kind != EntryKind::Link) return refused(MoveStatus::failure(place));
  std::wstring folder;
  if (MoveStatus st = files.readLink(place, folder); !st.ok()) return refused(st);
  folder = base::withoutTrailingSeparator(folder);
  if (MoveStatus st = files.inspect(folder, target); !st.ok()) return refused(st);
  if (target.kind != EntryKind::Folder) return refused(MoveStatus::failure(folder));

  MoveFacts facts;
  facts.source = folder;
  facts.destinationFolder = base::parentOf(place);
  facts.systemFolders = surroundings.systemFolders;
  // No link is made on the way back.
  facts.linkVolumeFileSystem = L"NTFS";
  platform::VolumeInfo to;
  bool ownersAtRisk = false;
  if (MoveStatus st = gatherVolumes(files, facts, to, ownersAtRisk); !st.ok()) return refused(st);
  TreeSummary summary;
  if (!base::isSameOrInside(facts.destinationFolder, facts.source)) {
    if (MoveStatus st = walk(files, facts, to, ownersAtRisk, summary); !st.ok()) return refused(st);
  }
  PlannedMove planned;
  if (MoveStatus st = takeSummary(files, summary, facts, planned); !st.ok()) return refused(st);

  const MovePlan plan{Direction::Back, folder, place, false,
                      target.attributes & kCarriedAttributes};
  return checked(facts, plan, summary, to, std::move(planned));
}

std::wstring confirmationText(const PlannedMove& planned) {
  const MovePlan& plan = planned.plan;
  const std::wstring files = std::to_wstring(planned.summary.files);
  const std::wstring size = base::formatSize(planned.summary.bytes);
  std::wstring text =
      plan.direction == Direction::Back
          ? base::fillIn(kConfirmMoveBack, {plan.origin, files, size, plan.final})
          : base::fillIn(kConfirmMove, {plan.origin, files, size, base::parentOf(plan.final)});
  const TreeSummary& summary = planned.summary;
  const auto tell = [&](const std::wstring& said) { text += L"\n\n" + said; };
  if (planned.permissionsLost) tell(std::wstring(kNoPermissionsThere));
  if (summary.filesWithManyNames > 0) {
    tell(base::fillIn(kManyNamesBecomeCopies, {std::to_wstring(summary.filesWithManyNames)}));
  }
  if (planned.linksLeadingOut > 0) {
    tell(base::fillIn(kLinksLeadOutside,
                      {std::to_wstring(planned.linksLeadingOut), planned.firstLinkLeadingOut}));
  }
  if (summary.filesWithStreams > 0) {
    tell(base::fillIn(kStreamsLost,
                      {std::to_wstring(summary.filesWithStreams), summary.firstFileWithStreams}));
  }
  if (planned.sparseLost && summary.sparseFiles > 0) {
    tell(base::fillIn(kSparseFilledIn, {std::to_wstring(summary.sparseFiles)}));
  }
  if (planned.compressionLost && summary.compressedFiles > 0) {
    tell(base::fillIn(kCompressionLost, {std::to_wstring(summary.compressedFiles)}));
  }
  if (summary.ownedByOthers > 0) {
    tell(base::fillIn(kOwnersBecomeYours,
                      {std::to_wstring(summary.ownedByOthers), summary.firstOwnedByOther}));
  }
  return text;
}

}  // namespace mirafold::move
