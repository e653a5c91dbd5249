#include "move/move_paths.h"

#include "base/path_rules.h"

namespace mirafold::move {

std::wstring movingPathOf(std::wstring_view origin) {
  return base::withoutTrailingSeparator(origin) + std::wstring(kMovingSuffix);
}

std::wstring partialPathOf(std::wstring_view final) {
  return base::withoutTrailingSeparator(final) + std::wstring(kPartialSuffix);
}

std::wstring asOriginPath(std::wstring_view path, std::wstring_view origin) {
  const std::wstring moving = movingPathOf(origin);
  if (!base::isSameOrInside(path, moving)) return std::wstring(path);
  return base::withoutTrailingSeparator(origin) + std::wstring(path.substr(moving.size()));
}

}  // namespace mirafold::move
