#pragma once
// The checks made before a move touches anything: pure rules over facts gathered beforehand.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/services.h"

namespace mirafold::move {

struct MoveFacts {
  std::wstring source;             // the folder to move
  std::wstring destinationFolder;  // the folder it moves into
  bool sourceIsLink = false;
  platform::SystemPlaces systemFolders;  // the places that stay
  bool nameExistsAtDestination = false;
  bool sameVolume = false;
  std::uint64_t bytesNeeded = 0;  // the source's files, all together, in the destination's clusters
  std::uint64_t bytesFree = 0;    // on the destination's volume
  std::wstring cloudPlaceholder;  // the first file only in the cloud, none when there is none
  // A symbolic link in the folder when this process may not make one: the copy could not keep it.
  std::wstring symbolicLinkNotMakeable;
  std::wstring firstLink;  // in the folder, of any kind
  std::uint64_t largestFile = 0;
  std::wstring largestFilePath;
  std::wstring destinationFileSystem;  // "NTFS", "FAT32", "exFAT", ...
  bool permissionsLost = false;        // the source keeps owners and permissions, the copy cannot
  bool destinationIsNetwork = false;
  std::wstring linkVolumeFileSystem;  // of the volume the link is made on: "NTFS", "FAT32", ...
};

// The first reason, in the order the user is told them, that refuses the move; none when it may go.
std::optional<std::wstring> refusalOf(const MoveFacts& facts);

}  // namespace mirafold::move
