#pragma once
// The verbatim ("\\?\") form of paths, which file calls accept beyond the classic 260 characters.

#include <functional>
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

// The system's absolute form of a path (GetFullPathNameW). Windows documents it for at most
// MAX_PATH characters unless long paths are switched on for the whole machine, which by default
// they are not.
using SystemFullPath = std::function<std::wstring(const std::wstring& text)>;

// The absolute form of `text`. Short text is resolved by the system; longer text here, by the
// system's own rules (either separator, "." and "..", trailing dots and spaces of the last name),
// against the folder the system names for "." or "d:", so that the system is never handed a path
// past the classic limit. Verbatim paths stay as they are. Empty when it cannot be resolved.
std::wstring absolutePathOf(std::wstring_view text, const SystemFullPath& system);

}  // namespace mirafold::base
