#pragma once
// Path arithmetic for moves, on plain absolute Windows paths, compared as Windows compares names
// (without regard to case).

#include <string>
#include <string_view>

#include "base/path_rules.h"

namespace mirafold::move {

inline constexpr std::wstring_view kMovingSuffix = L".mirafold-moving";
inline constexpr std::wstring_view kPartialSuffix = L".mirafold-partial";

std::wstring joinPath(std::wstring_view folder, std::wstring_view name);
std::wstring parentOf(std::wstring_view path);  // empty for a drive root
std::wstring nameOf(std::wstring_view path);
// Without trailing separators, except a drive root keeps its own ("C:\").
std::wstring withoutTrailingSeparator(std::wstring_view path);

bool samePath(std::wstring_view a, std::wstring_view b);
// `inner` is `outer` or lies somewhere below it.
bool isSameOrInside(std::wstring_view inner, std::wstring_view outer);
bool isDriveRoot(std::wstring_view path);
using base::isNetworkPath;

// The hidden sibling a source is renamed to while it moves, and the folder a copy is made in.
std::wstring movingPathOf(std::wstring_view origin);
std::wstring partialPathOf(std::wstring_view final);
// A path inside the hidden sibling of `origin` as the user knows it: inside `origin` itself.
// Any other path stays as it is.
std::wstring asOriginPath(std::wstring_view path, std::wstring_view origin);

}  // namespace mirafold::move
