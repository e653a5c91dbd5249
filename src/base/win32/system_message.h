#pragma once
// The system's own text for an error code.

#include <windows.h>

#include <string>

namespace mirafold::base::win32 {

// For a Win32 error code or an HRESULT that wraps one, in the language asked for (0: the user's);
// without its line end. Empty when the system has no text for it in that language.
std::wstring formatSystemMessage(DWORD code, DWORD language = 0);

}  // namespace mirafold::base::win32
