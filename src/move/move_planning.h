#pragma once
// From the user's choice to a plan: the facts gathered through the file-system seam, the checks,
// and the counts the confirmation shows.

#include <optional>
#include <string>
#include <vector>

#include "move/move_checks.h"
#include "move/move_journal.h"
#include "move/move_tree.h"
#include "platform/move_file_system.h"

namespace mirafold::move {

// What the caller knows of the system that the seam does not ask.
struct MoveSurroundings {
  platform::SystemPlaces systemFolders;
  std::wstring linkVolumeFileSystem;  // of the volume the link will be made on
};

struct PlannedMove {
  std::optional<std::wstring> refusal;  // the message when the move may not go
  MovePlan plan;
  TreeSummary summary;
  bool permissionsLost = false;  // told in the confirmation
  // Told in the confirmation too: relative symbolic links that lead out of the folder, remade to
  // lead where they led; what the destination cannot keep.
  std::uint64_t linksLeadingOut = 0;
  std::wstring firstLinkLeadingOut;
  bool sparseLost = false;
  bool compressionLost = false;
};

// `source` into `destinationFolder`, a link left at `source`.
PlannedMove planMoveAway(platform::MoveFileSystem& files, const std::wstring& source,
                         const std::wstring& destinationFolder,
                         const MoveSurroundings& surroundings);

// The folder `link` leads to, back into the link's place.
PlannedMove planMoveBack(platform::MoveFileSystem& files, const std::wstring& link,
                         const MoveSurroundings& surroundings);

// "将把“<folder>”（<N> 个文件，<size>）移动到“<destination>”..." for a move away,
// "...移回“<link>”， 并删除该链接..." for a move back.
std::wstring confirmationText(const PlannedMove& planned);

}  // namespace mirafold::move
