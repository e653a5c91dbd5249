#pragma once
// Our own writer of shell shortcut files (the Shell Link Binary File Format), for systems whose
// shell automation object cannot write the shortcut the program needs.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace mirafold::sendto {

struct ShellLink {
  std::wstring target;  // full local path of the file it points at
  // The same path in the system's ANSI code page, for readers that know no other.
  std::string targetAnsi;
  std::wstring iconLocation;  // a file whose first icon the shortcut shows
  // The target's volume, as GetDriveType and GetVolumeInformation number them; 0 when unknown.
  std::uint32_t driveType = 0;
  std::uint32_t driveSerialNumber = 0;
};

// The file's bytes: header, the target as a local base path (ANSI and Unicode), the icon location
// in Unicode, no hot key. Nothing when a path is empty, holds a NUL, or is too long to be stored.
std::optional<std::vector<std::uint8_t>> shellLinkBytes(const ShellLink& link);

}  // namespace mirafold::sendto
