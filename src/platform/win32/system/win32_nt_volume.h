#pragma once

#include "platform/nt_volume.h"

namespace mirafold::win32 {

// The native calls of ntdll.dll, looked up by name when first used.
class Win32NtVolume : public platform::NtVolume {
 public:
  platform::NtStatus createFile(const platform::NtOpenArguments& arguments,
                                platform::NtHandle& handle) override;
  platform::NtStatus queryVolumeInformation(platform::NtHandle handle,
                                            std::span<std::uint8_t> buffer, std::uint32_t length,
                                            int informationClass) override;
  void close(platform::NtHandle handle) override;
};

}  // namespace mirafold::win32
