#include "platform/win32/system/win32_link_probe.h"

#include <windows.h>
#include <winioctl.h>

#include <cstdint>
#include <vector>

#include "base/win32/exported.h"
#include "base/win32/final_path.h"
#include "base/win32/handles.h"
#include "junction/paths.h"
#include "junction/reparse_data.h"
#include "platform/win32/system/full_path.h"
#include "platform/win32/system/network_volume.h"

namespace mirafold::win32 {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

base::win32::UniqueFileHandle openEntry(const std::wstring& path, bool followLink) {
  const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (followLink ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
  return base::win32::UniqueFileHandle(::CreateFileW(callablePath(path).c_str(),
                                                     FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                                     OPEN_EXISTING, flags, nullptr));
}

// The target read as the move's file system reads it: the reparse data a junction or a symbolic
// link keeps, else (Wine's host links keep none) the path the system reaches through the link,
// when `followWithoutData`.
std::optional<std::wstring> readTarget(const std::wstring& link, bool followWithoutData) {
  const auto quiet = base::win32::quietErrorMode();
  std::vector<std::uint8_t> data(junction::kMaximumReparseDataSize);
  DWORD got = 0;
  const base::win32::UniqueFileHandle opened = openEntry(link, false);
  if (!opened || !::DeviceIoControl(opened.get(), FSCTL_GET_REPARSE_POINT, nullptr, 0, data.data(),
                                    static_cast<DWORD>(data.size()), &got, nullptr)) {
    got = 0;
  }
  data.resize(got);
  if (const auto mountPoint = junction::parseMountPointData(data)) {
    return mountPoint->printName.empty()
               ? junction::pathFromSubstituteName(mountPoint->substituteName)
               : mountPoint->printName;
  }
  if (const auto symbolicLink = junction::parseSymbolicLinkData(data)) {
    if (symbolicLink->relative) return symbolicLink->substituteName;
    return symbolicLink->printName.empty()
               ? junction::pathFromSubstituteName(symbolicLink->substituteName)
               : symbolicLink->printName;
  }
  if (!followWithoutData) return std::nullopt;
  const base::win32::UniqueFileHandle followed = openEntry(link, true);
  if (!followed) return std::nullopt;
  return base::win32::finalPathOf(followed.get());
}

}  // namespace

std::optional<std::wstring> Win32LinkProbe::linkTarget(const std::wstring& link) {
  return readTarget(link, true);
}

std::optional<std::wstring> Win32LinkProbe::storedTarget(const std::wstring& link) {
  // Wine keeps no reparse data for its links (host symbolic links), and asking for it costs an
  // opening of each: two thirds of the time a folder of links takes to show.
  if (underWine_) return std::nullopt;
  return readTarget(link, false);
}

bool Win32LinkProbe::isOnNetwork(const std::wstring& path) { return isOnNetworkVolume(path); }

bool Win32LinkProbe::folderExists(const std::wstring& path) {
  const auto quiet = base::win32::quietErrorMode();
  const base::win32::UniqueFileHandle followed = openEntry(path, true);
  BY_HANDLE_FILE_INFORMATION info{};
  return followed && ::GetFileInformationByHandle(followed.get(), &info) &&
         (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace mirafold::win32
