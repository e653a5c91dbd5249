#include "volume/file_system_name.h"

#include <array>
#include <cstring>
#include <vector>

namespace mirafold::volume {
namespace {

constexpr std::uint32_t kFileReadData = 0x1;
constexpr std::uint32_t kFileReadEa = 0x8;
constexpr std::uint32_t kFileExecute = 0x20;
constexpr std::uint32_t kFileReadAttributes = 0x80;
constexpr std::uint32_t kSynchronize = 0x100000;
constexpr std::uint32_t kObjCaseInsensitive = 0x40;
constexpr std::uint32_t kShareReadWrite = 3;
constexpr std::uint32_t kFileOpenIf = 3;
constexpr std::uint32_t kSynchronousIoNonAlert = 0x20;
constexpr int kFileFsAttributeInformation = 5;

// FILE_FS_ATTRIBUTE_INFORMATION: attributes, maximum component length, name length, name.
constexpr std::size_t kNameLengthOffset = 8;
constexpr std::size_t kNameOffset = 12;
constexpr std::uint32_t kOfferedLength = 80;

// Closes the handle on every path out of the query, once.
class OpenVolume {
 public:
  OpenVolume(platform::NtVolume& nt, platform::NtHandle handle) : nt_(nt), handle_(handle) {}
  ~OpenVolume() { nt_.close(handle_); }
  OpenVolume(const OpenVolume&) = delete;
  OpenVolume& operator=(const OpenVolume&) = delete;
  platform::NtHandle get() const { return handle_; }

 private:
  platform::NtVolume& nt_;
  platform::NtHandle handle_;
};

}  // namespace

std::wstring GetFileSystemName(platform::NtVolume& nt, std::wstring_view drive,
                               platform::NtStatus& status) {
  const platform::NtOpenArguments open{
      .ntPath = L"\\??\\" + std::wstring(drive),
      .desiredAccess =
          kFileReadData | kFileReadEa | kFileExecute | kFileReadAttributes | kSynchronize,
      .objectAttributes = kObjCaseInsensitive,
      .allocationSize = 0,
      .fileAttributes = 0,
      .shareAccess = kShareReadWrite,
      .createDisposition = kFileOpenIf,
      .createOptions = kSynchronousIoNonAlert,
  };
  platform::NtHandle handle = 0;
  status = nt.createFile(open, handle);
  if (status != 0) return {};
  const OpenVolume volume(nt, handle);

  std::array<std::uint8_t, kOfferedLength + 1> buffer{};
  status =
      nt.queryVolumeInformation(volume.get(), buffer, kOfferedLength, kFileFsAttributeInformation);
  if (status != 0) return {};

  std::uint32_t length = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    length |= std::uint32_t{buffer[kNameLengthOffset + i]} << (8 * i);  // little-endian
  }
  // A length the offered bytes cannot hold is not believed: nothing is read past them.
  if (length == 0 || length > kOfferedLength - kNameOffset) return {};

  std::vector<std::uint8_t> name(length);
  std::memcpy(name.data(), buffer.data() + kNameOffset, length);
  std::wstring result(length / 2, L'\0');
  for (std::size_t i = 0; i < result.size(); ++i) {
    result[i] = static_cast<wchar_t>(name[2 * i] | name[2 * i + 1] << 8);
  }
  return result;
}

}  // namespace mirafold::volume
