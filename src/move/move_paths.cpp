#include "move/move_paths.h"

#include <cwctype>

#include "base/path_rules.h"

namespace mirafold::move {
namespace {

bool isSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

std::wstring folded(std::wstring_view path) {
  std::wstring out = withoutTrailingSeparator(path);
  for (wchar_t& c : out) c = isSeparator(c) ? L'\\' : static_cast<wchar_t>(std::towupper(c));
  return out;
}

}  // namespace

std::wstring withoutTrailingSeparator(std::wstring_view path) {
  std::wstring out(path);
  while (out.size() > 1 && isSeparator(out.back()) && !isDriveRoot(out)) out.pop_back();
  return out;
}

std::wstring joinPath(std::wstring_view folder, std::wstring_view name) {
  std::wstring out(folder);
  if (!out.empty() && !isSeparator(out.back())) out += L'\\';
  return out += name;
}

std::wstring parentOf(std::wstring_view path) {
  const std::wstring trimmed = withoutTrailingSeparator(path);
  if (isDriveRoot(trimmed)) return {};
  const std::size_t cut = trimmed.find_last_of(L"\\/");
  if (cut == std::wstring::npos) return {};
  // "C:\x" has the parent "C:\", with its separator.
  return withoutTrailingSeparator(trimmed.substr(0, cut == 2 && trimmed[1] == L':' ? 3 : cut));
}

std::wstring nameOf(std::wstring_view path) {
  const std::wstring trimmed = withoutTrailingSeparator(path);
  if (isDriveRoot(trimmed)) return {};
  const std::size_t cut = trimmed.find_last_of(L"\\/");
  return cut == std::wstring::npos ? trimmed : trimmed.substr(cut + 1);
}

bool samePath(std::wstring_view a, std::wstring_view b) { return folded(a) == folded(b); }

bool isSameOrInside(std::wstring_view inner, std::wstring_view outer) {
  return samePath(inner, outer) || base::isInsideFolder(inner, outer);
}

bool isDriveRoot(std::wstring_view path) {
  const bool letter = path.size() >= 2 && std::iswalpha(path[0]) && path[1] == L':';
  return letter && (path.size() == 2 || (path.size() == 3 && isSeparator(path[2])));
}

std::wstring movingPathOf(std::wstring_view origin) {
  return withoutTrailingSeparator(origin) + std::wstring(kMovingSuffix);
}

std::wstring partialPathOf(std::wstring_view final) {
  return withoutTrailingSeparator(final) + std::wstring(kPartialSuffix);
}

std::wstring asOriginPath(std::wstring_view path, std::wstring_view origin) {
  const std::wstring moving = movingPathOf(origin);
  if (!isSameOrInside(path, moving)) return std::wstring(path);
  return withoutTrailingSeparator(origin) + std::wstring(path.substr(moving.size()));
}

}  // namespace mirafold::move
