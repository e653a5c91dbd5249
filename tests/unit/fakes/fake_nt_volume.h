#pragma once
// Volumes behind the native calls: each answers the attribute query with a record of its own,
// cut to the offered length the way the system cuts it.

#include <map>
#include <string>
#include <vector>

#include "platform/nt_volume.h"

namespace mirafold::fakes {

inline constexpr platform::NtStatus kNameNotFound = static_cast<platform::NtStatus>(0xC0000034);
inline constexpr platform::NtStatus kBufferOverflow = static_cast<platform::NtStatus>(0x80000005);
inline constexpr platform::NtStatus kDeviceNotReady = static_cast<platform::NtStatus>(0xC00000A3);

struct FakeVolume {
  platform::NtStatus openStatus = 0;
  platform::NtStatus queryStatus = 0;  // used when not 0; otherwise decided by the record's size
  std::vector<std::uint8_t> record;
};

// FILE_FS_ATTRIBUTE_INFORMATION for a name, with a length field that may be set apart from it.
std::vector<std::uint8_t> attributeRecord(const std::u16string& name, std::uint32_t lengthField);
std::vector<std::uint8_t> attributeRecord(const std::u16string& name);

class FakeNtVolume : public platform::NtVolume {
 public:
  FakeNtVolume();
  // "c:" (or its root "c:\") and so on; the query of an unknown path fails to open.
  void setVolume(const std::wstring& drive, FakeVolume volume);
  void setName(const std::wstring& drive, const std::u16string& name);

  platform::NtStatus createFile(const platform::NtOpenArguments& arguments,
                                platform::NtHandle& handle) override;
  platform::NtStatus queryVolumeInformation(platform::NtHandle handle,
                                            std::span<std::uint8_t> buffer, std::uint32_t length,
                                            int informationClass) override;
  void close(platform::NtHandle handle) override;

  std::vector<platform::NtOpenArguments> opens;
  std::vector<platform::NtHandle> closed;
  std::vector<std::uint32_t> offeredLengths;
  std::vector<int> informationClasses;
  std::size_t lastBufferSize = 0;

 private:
  std::map<std::wstring, FakeVolume> volumes_;  // by NT path, lower-cased
  std::map<platform::NtHandle, std::wstring> open_;
  platform::NtHandle next_ = 0x40;
};

}  // namespace mirafold::fakes
