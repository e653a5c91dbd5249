#pragma once
// What reparse data read from an entry makes of it. Only a mount point whose substitute name is a
// folder on a drive ("\??\C:\x") is a junction; "\??\Volume{...}\" mounts a whole volume.

#include <cstdint>
#include <span>

#include "junction/system.h"

namespace junction {

Entry entryFromReparseData(std::span<const std::uint8_t> bytes);

}  // namespace junction
