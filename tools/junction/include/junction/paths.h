#pragma once
// Windows path rules the tool needs, kept free of system calls.

#include <optional>
#include <string>
#include <string_view>

namespace junction {

// "C:\" or "C:\..." (a drive letter, a colon, a backslash).
bool isDrivePath(std::wstring_view path);

// "\\?\C:\x" -> "C:\x", "\\?\UNC\server\share" -> "\\server\share"; other paths unchanged.
std::wstring withoutExtendedPrefix(std::wstring_view path);

// Makes an absolute path immune to the 260-character limit: "C:\x" -> "\\?\C:\x",
// "\\server\share" -> "\\?\UNC\server\share". Already prefixed and device paths stay as they are.
std::wstring toExtendedPath(std::wstring_view absolutePath);

// Drops trailing backslashes, keeping the one of a drive root ("C:\").
std::wstring trimTrailingSeparators(std::wstring_view path);

// The absolute target as a junction stores it: a plain drive path without a trailing backslash.
// Anything else (a share, a device path) is refused, since a junction points to a local folder.
std::optional<std::wstring> junctionTargetPath(std::wstring_view absolutePath);

// "\??\C:\x" for "C:\x": the NT name a mount point's substitute name holds.
std::wstring substituteNameFor(std::wstring_view drivePath);

// Reverse of the above, for junctions made by other tools whose print name is empty.
std::wstring pathFromSubstituteName(std::wstring_view substituteName);

// "C:\a" + "b" -> "C:\a\b"; "C:\" + "b" -> "C:\b".
std::wstring joinPath(std::wstring_view folder, std::wstring_view name);

}  // namespace junction
