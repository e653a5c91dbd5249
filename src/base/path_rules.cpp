#include "base/path_rules.h"

#include <algorithm>

namespace mirafold::base {
namespace {

constexpr std::wstring_view kVerbatimPrefix = L"\\\\?\\";
constexpr std::wstring_view kDevicePrefix = L"\\\\.\\";

bool isSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

wchar_t folded(wchar_t c) {
  if (isSeparator(c)) return L'\\';
  return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

bool isLetter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }

bool startsWithDriveRoot(std::wstring_view p) {
  return p.size() >= 3 && isLetter(p[0]) && p[1] == L':' && isSeparator(p[2]);
}

// "\\server\share" from `start` (just after the leading separators): the length up to the end of
// the share name, or 0 when either name is missing.
std::size_t shareEnd(std::wstring_view p, std::size_t start) {
  std::size_t server = start;
  while (server < p.size() && !isSeparator(p[server])) ++server;
  if (server == start || server >= p.size()) return 0;
  std::size_t share = server + 1;
  while (share < p.size() && !isSeparator(p[share])) ++share;
  return share == server + 1 ? 0 : share;
}

}  // namespace

std::size_t rootLength(std::wstring_view p) {
  if (startsWithDriveRoot(p)) return 3;
  if (p.starts_with(kVerbatimPrefix)) {
    const std::wstring_view rest = p.substr(kVerbatimPrefix.size());
    if (startsWithDriveRoot(rest)) return kVerbatimPrefix.size() + 3;
    if (rest.starts_with(L"UNC\\")) return shareEnd(p, kVerbatimPrefix.size() + 4);
    return 0;
  }
  if (p.size() >= 2 && isSeparator(p[0]) && isSeparator(p[1])) return shareEnd(p, 2);
  return 0;
}

bool isPlainAbsolutePath(std::wstring_view path) {
  const std::size_t root = rootLength(path);
  if (root == 0 || path.find(L'/') != std::wstring_view::npos) return false;
  std::wstring_view rest = path.substr(root);
  if (rest.find_first_of(L":*?\"<>|") != std::wstring_view::npos ||
      std::any_of(rest.begin(), rest.end(), [](wchar_t c) { return c < 0x20; })) {
    return false;
  }
  while (!rest.empty()) {
    const std::size_t cut = rest.find(L'\\');
    const std::wstring_view part = rest.substr(0, cut);
    if (part.empty() || part == L"." || part == L"..") return false;
    if (cut == std::wstring_view::npos) break;
    rest.remove_prefix(cut + 1);
  }
  return true;
}

bool isDriveRoot(std::wstring_view p) {
  // "C:" as well: a path of the root with its separator trimmed, which no move may take.
  if (p.size() == 2 && isLetter(p[0]) && p[1] == L':') return true;
  const std::wstring_view local = p.starts_with(kVerbatimPrefix) ? p.substr(4) : p;
  return local.size() == 3 && startsWithDriveRoot(local);
}

bool isInsideFolder(std::wstring_view path, std::wstring_view folder) {
  while (!folder.empty() && isSeparator(folder.back())) folder.remove_suffix(1);
  while (!path.empty() && isSeparator(path.back())) path.remove_suffix(1);
  if (folder.empty() || path.size() <= folder.size() + 1 || !isSeparator(path[folder.size()])) {
    return false;
  }
  for (std::size_t i = 0; i < folder.size(); ++i) {
    if (folded(path[i]) != folded(folder[i])) return false;
  }
  return true;
}

bool samePath(std::wstring_view a, std::wstring_view b) {
  const std::wstring x = withoutTrailingSeparator(a);
  const std::wstring y = withoutTrailingSeparator(b);
  return std::equal(x.begin(), x.end(), y.begin(), y.end(),
                    [](wchar_t p, wchar_t q) { return folded(p) == folded(q); });
}

bool isSameOrInside(std::wstring_view inner, std::wstring_view outer) {
  return samePath(inner, outer) || isInsideFolder(inner, outer);
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

std::wstring withoutTrailingSeparator(std::wstring_view path) {
  std::wstring out(path);
  while (out.size() > 1 && isSeparator(out.back()) && !isDriveRoot(out)) out.pop_back();
  return out;
}

bool hasWildcard(std::wstring_view p) {
  if (p.starts_with(kVerbatimPrefix) || p.starts_with(kDevicePrefix)) p.remove_prefix(4);
  // '<', '>' and '"' are the DOS forms of '*', '?' and '.' that file systems also match by.
  return p.find_first_of(L"*?<>\"") != std::wstring_view::npos;
}

bool isNetworkPath(std::wstring_view path) {
  if (path.size() > 8 && path.substr(0, 8) == L"\\\\?\\UNC\\") return true;
  return path.size() > 2 && isSeparator(path[0]) && isSeparator(path[1]) && path[2] != L'?' &&
         path[2] != L'.';
}

}  // namespace mirafold::base
