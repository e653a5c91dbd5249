#pragma once
// The system's own text for an error code, in the user's language, for messages that carry a
// reason.

#include <windows.h>

#include <string>

namespace mirafold::win32 {

// For a Win32 error code or an HRESULT; the code in hexadecimal when the system has no text for it.
std::wstring systemMessage(DWORD code);

}  // namespace mirafold::win32
