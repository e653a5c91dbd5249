#pragma once
// The absolute form of a path, as the system resolves it.

#include <string>

namespace mirafold::win32 {

// Relative paths against the current folder, "d:" against drive D's current folder. Empty when
// the text cannot be resolved.
std::wstring fullPathOf(const std::wstring& text);

}  // namespace mirafold::win32
