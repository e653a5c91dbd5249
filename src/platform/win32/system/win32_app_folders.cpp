#include "platform/win32/system/win32_app_folders.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <algorithm>

#include "platform/win32/system/known_folders.h"

namespace mirafold::win32 {
namespace {

std::wstring environment(const wchar_t* name) {
  std::wstring value(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        ::GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
    if (length == 0) return {};
    if (length < value.size()) {
      value.resize(length);
      return value;
    }
    value.resize(length);
  }
}

}  // namespace

platform::AppFolders appFolders() {
  platform::AppFolders anchors{.localAppData = knownFolderPath(FOLDERID_LocalAppData),
                               .programData = knownFolderPath(FOLDERID_ProgramData)};
  // The OneDrive app sets these for the signed-in user: the personal folder, and the work or
  // school one.
  for (const wchar_t* name : {L"OneDrive", L"OneDriveConsumer", L"OneDriveCommercial"}) {
    std::wstring folder = environment(name);
    if (!folder.empty() && std::find(anchors.oneDrive.begin(), anchors.oneDrive.end(), folder) ==
                               anchors.oneDrive.end()) {
      anchors.oneDrive.push_back(std::move(folder));
    }
  }
  return anchors;
}

}  // namespace mirafold::win32
