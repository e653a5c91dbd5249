#pragma once
// What the move makes of an entry of the one reading (base/entry_reading.h).

#include <cstdint>

#include "base/entry_reading.h"
#include "base/reparse_data.h"
#include "platform/move_file_system.h"

namespace mirafold::platform {

inline constexpr std::uint32_t kTagMountPoint = base::kMountPointTag;
inline constexpr std::uint32_t kTagSymbolicLink = base::kSymbolicLinkTag;

// A folder that stands for another name (a junction, a volume mount point, a folder symbolic
// link, any other name surrogate, Wine's host link) is a link: never entered, never deleted
// through. A file symbolic link is a file: the copy copies it as a link and deletion removes the
// link itself. A cloud placeholder is a file or a folder (EntryInfo says it is one).
EntryKind moveKindOf(base::EntryKind kind, std::uint32_t attributes);

// A listed file that stands for another name (a file symbolic link, any other name surrogate):
// it takes no room of its own.
bool isNameSurrogateFile(const EntryInfo& info);

}  // namespace mirafold::platform
