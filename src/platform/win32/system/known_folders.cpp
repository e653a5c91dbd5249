#include "platform/win32/system/known_folders.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include "base/win32/handles.h"

namespace mirafold::win32 {

std::vector<std::wstring> Win32SystemFolders::folders() const {
  std::vector<std::wstring> found;
  for (const KNOWNFOLDERID* id :
       {&FOLDERID_Windows, &FOLDERID_ProgramFiles, &FOLDERID_ProgramFilesX86, &FOLDERID_ProgramData,
        &FOLDERID_UserProfiles, &FOLDERID_Profile}) {
    PWSTR path = nullptr;
    const HRESULT result = ::SHGetKnownFolderPath(*id, KF_FLAG_DONT_VERIFY, nullptr, &path);
    // Freed on every path, a failed call's null pointer too.
    const base::win32::UniqueCoTaskText owned(path);
    if (SUCCEEDED(result) && path) found.emplace_back(path);
  }
  return found;
}

}  // namespace mirafold::win32
