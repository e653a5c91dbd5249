#pragma once
// Windows path rules the tool needs, kept free of system calls.

#include <optional>
#include <string>
#include <string_view>

namespace junction {

// "C:\" or "C:\..." (a drive letter, a colon, a backslash).
bool isDrivePath(std::wstring_view path);

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
