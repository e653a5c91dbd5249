#include "move/move_checks.h"

#include "base/path_rules.h"
#include "base/text.h"
#include "move/messages.h"
#include "move/places_that_stay.h"
#include "move/volume_rules.h"
#include "volume/file_system_name.h"

namespace mirafold::move {
std::optional<std::wstring> refusalOf(const MoveFacts& facts) {
  if (facts.sourceIsLink) return std::wstring(kSourceIsLink);
  if (auto stays = whyItStays(facts.source, facts.systemFolders)) return stays;
  // Nor may a folder be put where one must stay (a move into the Windows folder would place the
  // user's files among the system's, and the elevated step could do it).
  if (auto stays = whyItStays(base::joinPath(facts.destinationFolder, base::nameOf(facts.source)),
                              facts.systemFolders)) {
    return stays;
  }
  if (base::isSameOrInside(facts.destinationFolder, facts.source)) {
    return std::wstring(kDestinationInsideSource);
  }
  if (facts.nameExistsAtDestination) return std::wstring(kNameExistsOnRight);
  if (!facts.cloudPlaceholder.empty()) return base::fillIn(kCloudFiles, {facts.cloudPlaceholder});
  if (!facts.sameVolume && !facts.firstLink.empty() && !keepsLinks(facts.destinationFileSystem)) {
    return base::fillIn(kLinksNotKeptThere, {facts.destinationFileSystem, facts.firstLink});
  }
  if (!facts.sameVolume && !facts.symbolicLinkNotMakeable.empty()) {
    return base::fillIn(kSymbolicLinkNeedsRights, {facts.symbolicLinkNotMakeable});
  }
  if (!facts.sameVolume && facts.largestFile >= kFourGigabytes &&
      refusesFourGigabyteFiles(facts.destinationFileSystem)) {
    return base::fillIn(kFat32FileTooLarge, {facts.largestFilePath});
  }
  // A rename within one volume needs no room.
  if (!facts.sameVolume && facts.bytesNeeded > facts.bytesFree) {
    return base::fillIn(kNotEnoughSpace,
                        {base::formatSize(facts.bytesNeeded), base::formatSize(facts.bytesFree)});
  }
  if (facts.destinationIsNetwork || base::isNetworkPath(facts.destinationFolder)) {
    return std::wstring(kNetworkDestination);
  }
  if (!volume::holdsLinks(facts.linkVolumeFileSystem)) return std::wstring(volume::kNotNtfs);
  return std::nullopt;
}

}  // namespace mirafold::move
