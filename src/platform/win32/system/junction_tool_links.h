#pragma once
// Links for the folder move, made and removed by the program's junction tool: started without a
// window and waited for, so that the move goes on only once the link is there (or is gone).

#include <string>

#include "platform/win32/system/win32_move_file_system.h"

namespace mirafold::win32 {

// `tool` is the full path of junction.exe.
LinkCommands junctionToolLinks(const std::wstring& tool);

}  // namespace mirafold::win32
