#pragma once
// Where this user's apps keep the places the move's table knows: the local application data,
// ProgramData, the OneDrive folders.

#include "platform/app_folders.h"

namespace mirafold::win32 {

platform::AppFolders appFolders();

}  // namespace mirafold::win32
