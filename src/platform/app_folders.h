#pragma once
// The folders this user's apps keep their data under, as the system names them.

#include <string>
#include <vector>

namespace mirafold::platform {

struct AppFolders {
  std::wstring localAppData;           // %LOCALAPPDATA%
  std::wstring programData;            // %ProgramData%
  std::vector<std::wstring> oneDrive;  // each OneDrive folder of this user
};

}  // namespace mirafold::platform
