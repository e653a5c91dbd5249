#pragma once
// Asks a volume for the name of its file system ("NTFS"), or the empty text when it cannot tell.

#include <string>
#include <string_view>

#include "platform/nt_volume.h"

namespace mirafold::volume {

// The root folder of the volume a path lies on: "c:\" for a drive path (also behind the "\\?\"
// prefix), "\\server\share\" for a network path; empty when the path names no volume.
std::wstring volumeRootOf(std::wstring_view path);

struct FileSystemName {
  std::wstring name;            // empty when it cannot be told
  platform::NtStatus status{};  // the open's, then the query's NT status; 0 when both succeeded
};

// `root` is a volume's root folder as volumeRootOf gives it. The root folder is opened, not the
// volume itself: reading the volume needs administrator rights, its root folder's attributes do
// not.
FileSystemName GetFileSystemName(platform::NtVolume& nt, std::wstring_view root);

// Our links are junctions, which only NTFS holds; what the user is told of a place that cannot.
inline constexpr std::wstring_view kNotNtfs = L"链接创建失败！链接所在分区的文件系统类型必须为NTFS";
inline bool holdsLinks(std::wstring_view fileSystemName) { return fileSystemName == L"NTFS"; }

}  // namespace mirafold::volume
