#pragma once
// The bytes of an NTFS mount-point reparse point, as FSCTL_SET_REPARSE_POINT takes them and
// FSCTL_GET_REPARSE_POINT returns them (REPARSE_DATA_BUFFER, little-endian).

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace mirafold::base {

inline constexpr std::uint32_t kMountPointTag = 0xA0000003;  // IO_REPARSE_TAG_MOUNT_POINT
inline constexpr std::size_t kMaximumReparseDataSize = 16 * 1024;
// Tag, data length and a reserved word come before the mount-point fields.
inline constexpr std::size_t kReparseHeaderSize = 8;
// Four 16-bit offsets and lengths come before the path buffer.
inline constexpr std::size_t kMountPointFieldsSize = 8;

struct MountPoint {
  std::wstring substituteName;  // "\??\C:\target"
  std::wstring printName;       // "C:\target"
};

// The path buffer holds the substitute name then the print name, each followed by a NUL that the
// lengths leave out. Empty when the names do not fit in the system's limit for reparse data.
std::optional<std::vector<std::uint8_t>> buildMountPointData(const MountPoint& names);

// Reads what the system returned; empty unless the bytes are a well-formed mount point.
std::optional<MountPoint> parseMountPointData(std::span<const std::uint8_t> bytes);

inline constexpr std::uint32_t kSymbolicLinkTag = 0xA000000C;  // IO_REPARSE_TAG_SYMLINK
inline constexpr std::uint32_t kSymbolicLinkRelative = 1;      // SYMLINK_FLAG_RELATIVE

struct SymbolicLink {
  std::wstring substituteName;  // "\??\C:\target", or the relative path as given
  std::wstring printName;
  bool relative = false;
};

// A symbolic link's fields come before its path buffer as a mount point's do, then its flags.
std::optional<SymbolicLink> parseSymbolicLinkData(std::span<const std::uint8_t> bytes);
// Empty when the names do not fit in the system's limit for reparse data.
std::optional<std::vector<std::uint8_t>> buildSymbolicLinkData(const SymbolicLink& link);

// The tag of any reparse data, empty if there are fewer than four bytes.
std::optional<std::uint32_t> reparseTag(std::span<const std::uint8_t> bytes);

// "\??\C:\x" for "C:\x": the NT name a mount point's substitute name holds.
std::wstring substituteNameFor(std::wstring_view drivePath);

// The path a substitute name stands for, as Win32 names it: "\??\C:\x" -> "C:\x",
// "\??\UNC\s\x" -> "\\s\x"; any other name (a relative one) as it stands.
std::wstring pathFromSubstituteName(std::wstring_view substituteName);

}  // namespace mirafold::base
