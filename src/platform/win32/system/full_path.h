#pragma once
// The absolute form of a path, as the system resolves it, and the form file calls take.

#include <string>

namespace mirafold::win32 {

// Relative paths against the current folder, "d:" against drive D's current folder. Empty when
// the text cannot be resolved.
std::wstring fullPathOf(const std::wstring& text);

// The path in the form file calls take: absolute, and verbatim when too long for the classic limit.
std::wstring callablePath(const std::wstring& path);

}  // namespace mirafold::win32
