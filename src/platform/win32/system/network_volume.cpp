#include "platform/win32/system/network_volume.h"

#include <windows.h>

#include "base/long_path.h"
#include "base/path_rules.h"

namespace mirafold::win32 {

bool isOnNetworkVolume(const std::wstring& path) {
  const std::wstring plain = base::withoutLongPathPrefix(path);
  if (base::isNetworkPath(plain)) return true;
  if (plain.size() < 2 || plain[1] != L':') return false;
  const wchar_t root[] = {plain[0], L':', L'\\', L'\0'};
  return ::GetDriveTypeW(root) == DRIVE_REMOTE;
}

}  // namespace mirafold::win32
