#pragma once
// The native volume calls behind the file-system name query, as the query uses them.

#include <cstdint>
#include <span>
#include <string>

namespace mirafold::platform {

using NtStatus = std::int32_t;
using NtHandle = std::uintptr_t;

// The arguments of the open that are not fixed by the calling convention.
struct NtOpenArguments {
  std::wstring ntPath;
  std::uint32_t desiredAccess;
  std::uint32_t objectAttributes;
  std::uint64_t allocationSize;
  std::uint32_t fileAttributes;
  std::uint32_t shareAccess;
  std::uint32_t createDisposition;
  std::uint32_t createOptions;
};

class NtVolume {
 public:
  virtual ~NtVolume() = default;
  virtual NtStatus createFile(const NtOpenArguments& arguments, NtHandle& handle) = 0;
  // Offers `length` bytes of the buffer to the query.
  virtual NtStatus queryVolumeInformation(NtHandle handle, std::span<std::uint8_t> buffer,
                                          std::uint32_t length, int informationClass) = 0;
  virtual void close(NtHandle handle) = 0;
};

}  // namespace mirafold::platform
