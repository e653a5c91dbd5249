#pragma once
// The one reading of "on another machine" for the program's Win32 code: a share, or a drive
// letter the system says is mapped to one.

#include <string>

namespace mirafold::win32 {

// `path` is absolute, plain or verbatim; only its root is asked about.
bool isOnNetworkVolume(const std::wstring& path);

}  // namespace mirafold::win32
