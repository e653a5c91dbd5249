#pragma once
// Links for the move's helper with administrator rights, made and removed in its own process by
// the junction tool's own code (on a handle, through the base's reparse-data builder; under Wine
// the tool's host links): the helper starts no program, least of all the junction.exe that lies in
// the program's folder, which the user may write.

#include "platform/win32/system/win32_move_file_system.h"

namespace mirafold::win32 {

LinkCommands ownLinks();

}  // namespace mirafold::win32
