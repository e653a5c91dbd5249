#pragma once
// The command line that creates a link, and the names it is made of.

#include <string>
#include <string_view>

namespace mirafold::link {

bool endsWithBackslash(std::wstring_view path);

// The text after the last backslash; empty when the path ends in one, the whole path without one.
std::wstring_view lastPathComponent(std::wstring_view path);

// The link location, a backslash unless it already ends in one, and the target's last component.
std::wstring linkPathOf(std::wstring_view location, std::wstring_view target);

// <program folder>\junction.exe "<link path>" "<target>". The tool's path is quoted when it holds
// a space, so that the system cannot start a different program named by its first word; the two
// paths are quoted so that the tool's C runtime gives back exactly them.
std::wstring composeCommandLine(std::wstring_view programFolder, std::wstring_view location,
                                std::wstring_view target);

}  // namespace mirafold::link
