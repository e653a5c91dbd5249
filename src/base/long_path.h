#pragma once
// The verbatim ("\\?\") form of paths, which file calls accept beyond the classic 260 characters.

#include <string>
#include <string_view>

namespace mirafold::base {

// "\\?\C:\x" -> "C:\x", "\\?\UNC\server\share" -> "\\server\share"; other paths unchanged.
std::wstring withoutLongPathPrefix(std::wstring_view path);

// "C:\x" -> "\\?\C:\x", "\\server\share" -> "\\?\UNC\server\share". Verbatim, device ("\\.\")
// and NT ("\??\") paths stay as they are.
std::wstring toLongPath(std::wstring_view absolute);

// The verbatim form only for a drive or share path too long for the classic limit, with its
// separators made backslashes (the verbatim form skips the system's own clean-up); anything else
// unchanged.
std::wstring withLongPathPrefix(std::wstring_view absolute);

}  // namespace mirafold::base
