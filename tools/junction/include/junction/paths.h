#pragma once
// Windows path rules the tool needs, kept free of system calls.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace junction {

// "C:\" or "C:\..." (a drive letter, a colon, a backslash).
bool isDrivePath(std::wstring_view path);

// Drops trailing backslashes, keeping the one of a drive root ("C:\").
std::wstring trimTrailingSeparators(std::wstring_view path);

// The absolute target as a junction stores it: a plain drive path without a trailing backslash.
// Anything else (a share, a device path) is refused, since a junction points to a local folder.
std::optional<std::wstring> junctionTargetPath(std::wstring_view absolutePath);

// What the system says a drive letter stands for: whether it is a network drive, and the device
// its DOS name leads to (QueryDosDeviceW: "\Device\HarddiskVolume2", "\??\C:\real" for a SUBST
// letter, "\Device\LanmanRedirector\;Z:...\server\share" for a mapped share).
struct DriveDevice {
  bool remote = false;
  std::wstring target;
};
using DriveDevices = std::function<DriveDevice(wchar_t letter)>;

// The drive path as a junction must hold it: a SUBST letter lives in one logon session only (an
// elevated program, a service or another user does not see it), so each is replaced by the folder
// behind it. Nothing for a path on a network drive, which a junction cannot lead to.
std::optional<std::wstring> localDrivePath(std::wstring_view drivePath,
                                           const DriveDevices& devices);

// "C:\a" + "b" -> "C:\a\b"; "C:\" + "b" -> "C:\b".
std::wstring joinPath(std::wstring_view folder, std::wstring_view name);

}  // namespace junction
