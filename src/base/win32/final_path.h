#pragma once
// The path the system reaches through an open handle, every link on the way followed.

#include <windows.h>

#include <optional>
#include <string>

namespace mirafold::base::win32 {

// In the plain form ("C:\x", "\\server\share"); nothing when the system cannot tell (its error is
// then the thread's last error).
std::optional<std::wstring> finalPathOf(HANDLE handle);

}  // namespace mirafold::base::win32
