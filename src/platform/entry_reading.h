#pragma once
// What an entry a directory search found is, from its attributes and reparse tag (the tag means
// something only with the reparse-point attribute).

#include <cstdint>

#include "platform/move_file_system.h"

namespace mirafold::platform {

inline constexpr std::uint32_t kAttributeReparsePoint = kAttributeLink;  // the same bit
inline constexpr std::uint32_t kTagMountPoint = 0xA0000003;    // IO_REPARSE_TAG_MOUNT_POINT
inline constexpr std::uint32_t kTagSymbolicLink = 0xA000000C;  // IO_REPARSE_TAG_SYMLINK

// A folder that is a name surrogate (a junction, a folder symbolic link, any reparse point that
// stands for another name) is a link: never entered, never deleted through. Under Wine its
// stand-in, a host symbolic link, is a reparse point without a tag. Other reparse points
// (deduplicated files, cloud placeholders) are ordinary files and folders.
EntryKind entryKindOf(std::uint32_t attributes, std::uint32_t tag, bool underWine);

// Any cloud tag (IO_REPARSE_TAG_CLOUD, CLOUD_1 to CLOUD_F), or contents to be recalled on open or
// on reading.
bool isCloudPlaceholder(std::uint32_t attributes, std::uint32_t tag);

}  // namespace mirafold::platform
