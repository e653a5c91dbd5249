#pragma once
// The system's own words for an error code, on one line.

#include <windows.h>

#include <string>

namespace junction::win32 {

std::wstring systemMessage(DWORD code);

inline std::wstring lastErrorMessage() { return systemMessage(::GetLastError()); }

}  // namespace junction::win32
