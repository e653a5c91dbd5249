#include "platform/win32/system/known_folders.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include "base/path_rules.h"
#include "base/win32/final_path.h"
#include "base/win32/handles.h"
#include "platform/win32/system/system_services.h"
#include "platform/win32/system/win32_move_file_system.h"

namespace mirafold::win32 {
std::wstring knownFolderPath(const KNOWNFOLDERID& id) {
  PWSTR path = nullptr;
  const HRESULT result = ::SHGetKnownFolderPath(id, KF_FLAG_DONT_VERIFY, nullptr, &path);
  // Freed on every path, a failed call's null pointer too.
  const base::win32::UniqueCoTaskText owned(path);
  return SUCCEEDED(result) && path ? std::wstring(path) : std::wstring();
}

namespace {

// Opened for nothing but its name, so that a folder without rights to read it is named too.
std::wstring finalPathOf(const std::wstring& path) {
  const base::win32::UniqueFileHandle folder(::CreateFileW(
      path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!folder) return {};
  return base::win32::finalPathOf(folder.get()).value_or(std::wstring());
}

}  // namespace

platform::SystemPlaces Win32SystemFolders::places() const {
  platform::SystemPlaces places{.windows = knownFolderPath(FOLDERID_Windows),
                                .programFiles = knownFolderPath(FOLDERID_ProgramFiles),
                                .programFilesX86 = knownFolderPath(FOLDERID_ProgramFilesX86),
                                .programData = knownFolderPath(FOLDERID_ProgramData),
                                .users = knownFolderPath(FOLDERID_UserProfiles),
                                .profile = knownFolderPath(FOLDERID_Profile),
                                .own = {},
                                .finalPathOf = finalPathOf};
  for (const std::wstring& own :
       {Win32ProgramInfo().programFolder(), base::parentOf(moveJournalFolder()),
        base::parentOf(protectedJournalFolder())}) {
    if (!own.empty()) places.own.push_back(own);
  }
  return places;
}

std::wstring protectedJournalFolder() {
  const std::wstring data = knownFolderPath(FOLDERID_ProgramData);
  return data.empty() ? std::wstring() : data + L"\\Mirafold\\moves";
}

}  // namespace mirafold::win32
