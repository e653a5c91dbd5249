#pragma once
#include <cstdint>
#include <string>

namespace mirafold::platform {

// What the system answered about a volume, each way it has of naming one. A serial of zero is
// none at all (Wine gives it to a drive it has no serial for).
struct VolumeNames {
  std::uint64_t serial64 = 0;  // FILE_ID_INFO: unique per volume
  std::wstring guidPath;       // \\?\Volume{...}\ where the volume has one (not on a share)
  std::uint32_t serial32 = 0;  // GetVolumeInformation's: cloned disks share it
  std::wstring root;           // the root's own name, the last resort
};

// One volume's identity, the same for two paths on it, from the first name that tells volumes
// apart: the 64-bit serial, the volume GUID path, the 32-bit serial, the root's name.
std::wstring volumeIdentity(const VolumeNames& names);

}  // namespace mirafold::platform
