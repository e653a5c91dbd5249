#pragma once
// Rules of Windows path text that need no system call.

#include <cstddef>
#include <string>
#include <string_view>

namespace mirafold::base {

// Length of the root of an absolute path: 3 for "C:\", 7 for "\\?\C:\", the length of
// "\\server\share" for a share. 0 when the path has no root we know.
std::size_t rootLength(std::wstring_view path);

// An absolute path with no part that could lead out of where it seems to lie ("", ".", "..") and
// no character a name never holds (a control character, a wildcard, ':' of a stream, '/').
bool isPlainAbsolutePath(std::wstring_view path);

// True for a drive root such as "C:\" (or "C:/", "C:", or "\\?\C:\").
bool isDriveRoot(std::wstring_view path);

// True when `path` lies below `folder`, not at it. Letters compare without regard to case (resolved
// paths come back as the file system stores them; only a part not yet there keeps its typed case),
// "/" and "\" alike, trailing separators ignored.
bool isInsideFolder(std::wstring_view path, std::wstring_view folder);

// The same place: letters without regard to case, "/" and "\" alike, trailing separators ignored.
bool samePath(std::wstring_view a, std::wstring_view b);
// `inner` is `outer` or lies somewhere below it.
bool isSameOrInside(std::wstring_view inner, std::wstring_view outer);

// Parts of plain absolute paths.
std::wstring joinPath(std::wstring_view folder, std::wstring_view name);
std::wstring parentOf(std::wstring_view path);  // empty for a drive root
std::wstring nameOf(std::wstring_view path);    // empty for a drive root
// Without trailing separators, except a drive root keeps its own ("C:\").
std::wstring withoutTrailingSeparator(std::wstring_view path);

// True for a share path ("\\server\share\x", either separator) or its verbatim form
// ("\\?\UNC\server\share"): a folder on another machine, which no junction can lead to.
bool isNetworkPath(std::wstring_view path);

// True when the text holds a character that a directory search would read as a pattern.
bool hasWildcard(std::wstring_view path);

}  // namespace mirafold::base
