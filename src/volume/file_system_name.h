#pragma once
// Asks a volume for the name of its file system ("NTFS"), or the empty text when it cannot tell.

#include <string>
#include <string_view>

#include "platform/nt_volume.h"

namespace mirafold::volume {

// `drive` is used as given ("c:" names the volume itself). `status` receives the open's and then
// the query's NT status; 0 when both succeeded.
std::wstring GetFileSystemName(platform::NtVolume& nt, std::wstring_view drive,
                               platform::NtStatus& status);

}  // namespace mirafold::volume
