#pragma once
// The system's temporary folder, as far as scratch trees may go below it.

#include <windows.h>

#include <optional>
#include <string>

namespace mirafold::testing {

// A drive root (C:\) or a share root (\\server\share\); folder ends in a backslash. Below one
// of these a clean-up could reach anything on the volume.
inline bool isVolumeRoot(const std::wstring& folder) {
  if (folder.size() == 3 && folder[1] == L':') return true;
  if (!folder.starts_with(L"\\\\")) return false;
  std::size_t separators = 0;
  for (std::size_t i = 2; i < folder.size(); ++i) separators += folder[i] == L'\\';
  return separators <= 2;
}

// The temporary folder ending in a backslash, at any length; nothing when the system cannot say,
// or names a relative folder, a root, or one with "." parts or forward slashes.
inline std::optional<std::wstring> temporaryFolder() {
  const DWORD needed = ::GetTempPathW(0, nullptr);
  if (needed == 0) return std::nullopt;
  std::wstring temp(needed, L'\0');
  const DWORD length = ::GetTempPathW(needed, temp.data());
  if (length == 0 || length >= needed) return std::nullopt;
  temp.resize(length);
  if (!temp.ends_with(L'\\')) temp += L'\\';
  const bool absolute =
      temp.starts_with(L"\\\\") || (temp.size() >= 3 && temp[1] == L':' && temp[2] == L'\\');
  if (!absolute || isVolumeRoot(temp) || temp.find(L"\\.") != std::wstring::npos ||
      temp.find(L'/') != std::wstring::npos) {
    return std::nullopt;
  }
  return temp;
}

}  // namespace mirafold::testing
