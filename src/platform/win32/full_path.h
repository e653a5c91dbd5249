#pragma once
// Path helpers shared by the folder list and the file system: absolute forms and long paths.

#include <string>

namespace mirafold::win32 {

// The absolute form of a path as the system resolves it (relative paths against the current folder,
// "d:" against drive D's current folder). Empty when the text cannot be resolved.
std::wstring fullPathOf(const std::wstring& text);

// Length of the root of an absolute path: 3 for "C:\", 7 for "\\?\C:\", the length of
// "\\server\share" for a share. 0 when the path has no root we know.
std::size_t rootLength(const std::wstring& path);

// True for a drive root such as "C:\" (or "C:/").
bool isDriveRoot(const std::wstring& path);

// True when the text holds a character that a directory search would read as a pattern.
bool hasWildcard(const std::wstring& path);

}  // namespace mirafold::win32
