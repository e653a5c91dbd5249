#pragma once
// The hidden sibling a source is renamed to while it moves, and the folder a copy is made in.

#include <string>
#include <string_view>

namespace mirafold::move {

inline constexpr std::wstring_view kMovingSuffix = L".mirafold-moving";
inline constexpr std::wstring_view kPartialSuffix = L".mirafold-partial";

std::wstring movingPathOf(std::wstring_view origin);
std::wstring partialPathOf(std::wstring_view final);
// A path inside the hidden sibling of `origin` as the user knows it: inside `origin` itself.
// Any other path stays as it is.
std::wstring asOriginPath(std::wstring_view path, std::wstring_view origin);

}  // namespace mirafold::move
