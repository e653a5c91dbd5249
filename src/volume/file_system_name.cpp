#include "volume/file_system_name.h"

#include <array>
#include <cstring>
#include <vector>

#include "base/little_endian.h"
#include "base/unique_resource.h"

namespace mirafold::volume {
namespace {

constexpr std::uint32_t kFileReadAttributes = 0x80;
constexpr std::uint32_t kSynchronize = 0x100000;
constexpr std::uint32_t kObjCaseInsensitive = 0x40;
constexpr std::uint32_t kShareReadWriteDelete = 7;
constexpr std::uint32_t kFileOpen = 1;  // never creates anything
constexpr std::uint32_t kSynchronousIoNonAlert = 0x20;
constexpr int kFileFsAttributeInformation = 5;

// FILE_FS_ATTRIBUTE_INFORMATION: attributes, maximum component length, name length, name.
constexpr std::size_t kNameLengthOffset = 8;
constexpr std::size_t kNameOffset = 12;
constexpr std::uint32_t kOfferedLength = 80;

// The handle is closed on every path out of the query, once, by the calls that opened it.
struct NtClosePolicy {
  using type = platform::NtHandle;
  static type invalid() { return 0; }
  void close(type handle) { nt->close(handle); }
  platform::NtVolume* nt = nullptr;
};

bool isDriveLetter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }

// "c:\" stays "\??\c:\"; "\\server\share\" becomes "\??\UNC\server\share\".
std::wstring ntPathOf(std::wstring_view root) {
  if (root.starts_with(L"\\\\")) return L"\\??\\UNC\\" + std::wstring(root.substr(2));
  return L"\\??\\" + std::wstring(root);
}

}  // namespace

std::wstring volumeRootOf(std::wstring_view path) {
  if (path.starts_with(L"\\\\?\\") && !path.starts_with(L"\\\\?\\UNC\\")) path.remove_prefix(4);
  if (path.size() >= 2 && isDriveLetter(path[0]) && path[1] == L':') {
    return std::wstring(path.substr(0, 2)) + L'\\';
  }
  std::wstring_view rest;
  if (path.starts_with(L"\\\\?\\UNC\\")) {
    rest = path.substr(8);
  } else if (path.starts_with(L"\\\\") && !path.starts_with(L"\\\\?\\") &&
             !path.starts_with(L"\\\\.\\")) {
    rest = path.substr(2);
  } else {
    return {};
  }
  const auto serverEnd = rest.find(L'\\');
  if (serverEnd == 0 || serverEnd == std::wstring_view::npos) return {};
  const auto shareEnd = rest.find(L'\\', serverEnd + 1);
  const std::wstring_view share = rest.substr(0, shareEnd);
  if (share.size() == serverEnd + 1) return {};  // no share name
  return L"\\\\" + std::wstring(share) + L'\\';
}

FileSystemName GetFileSystemName(platform::NtVolume& nt, std::wstring_view root) {
  const platform::NtOpenArguments open{
      .ntPath = ntPathOf(root),
      .desiredAccess = kFileReadAttributes | kSynchronize,
      .objectAttributes = kObjCaseInsensitive,
      .allocationSize = 0,
      .fileAttributes = 0,
      .shareAccess = kShareReadWriteDelete,
      .createDisposition = kFileOpen,
      .createOptions = kSynchronousIoNonAlert,
  };
  platform::NtHandle handle = 0;
  FileSystemName result{.name = {}, .status = nt.createFile(open, handle)};
  if (result.status != 0) return result;
  const base::UniqueResource<NtClosePolicy> opened(handle, NtClosePolicy{.nt = &nt});

  std::array<std::uint8_t, kOfferedLength + 1> buffer{};
  result.status =
      nt.queryVolumeInformation(opened.get(), buffer, kOfferedLength, kFileFsAttributeInformation);
  if (result.status != 0) return result;

  const std::uint32_t length = base::readLe32(buffer, kNameLengthOffset);
  // A length the offered bytes cannot hold is not believed: nothing is read past them.
  if (length == 0 || length > kOfferedLength - kNameOffset) return result;

  std::vector<std::uint8_t> name(length);
  std::memcpy(name.data(), buffer.data() + kNameOffset, length);
  result.name.assign(length / 2, L'\0');
  for (std::size_t i = 0; i < result.name.size(); ++i) {
    result.name[i] = static_cast<wchar_t>(name[2 * i] | name[2 * i + 1] << 8);
  }
  return result;
}

}  // namespace mirafold::volume
