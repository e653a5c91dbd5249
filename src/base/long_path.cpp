#include "base/long_path.h"

#include <vector>

#include "base/path_rules.h"

namespace mirafold::base {
namespace {

constexpr std::wstring_view kVerbatim = L"\\\\?\\";
constexpr std::wstring_view kVerbatimUnc = L"\\\\?\\UNC\\";
constexpr std::wstring_view kDevice = L"\\\\.\\";
constexpr std::wstring_view kNt = L"\\??\\";
// Below this length a folder path plus "\*" or a file name of 8.3 still fits the classic limit
// of 260 characters.
constexpr std::size_t kClassicLimit = 248;

bool isSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }
bool isLetter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }

// Joins `rest` to the absolute `base`, each "." dropped and each ".." taking one name off, never
// the root.
std::wstring resolvedBelow(const std::wstring& base, std::wstring_view rest) {
  const std::size_t root = rootLength(base);
  if (root == 0) return {};
  std::vector<std::wstring> names;
  const auto addNames = [&names](std::wstring_view text) {
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
      if (i < text.size() && !isSeparator(text[i])) continue;
      const std::wstring_view name = text.substr(start, i - start);
      start = i + 1;
      if (name.empty() || name == L".") continue;
      if (name == L"..") {
        if (!names.empty()) names.pop_back();
        continue;
      }
      names.emplace_back(name);
    }
  };
  addNames(std::wstring_view(base).substr(root));
  addNames(rest);
  // The system keeps a separator at the end, and otherwise drops the last name's trailing dots
  // and spaces.
  const bool trailing = !rest.empty() && isSeparator(rest.back());
  if (!names.empty() && !trailing) {
    std::wstring& last = names.back();
    while (!last.empty() && (last.back() == L'.' || last.back() == L' ')) last.pop_back();
    if (last.empty()) names.pop_back();
  }
  std::wstring out = base.substr(0, root);
  for (wchar_t& c : out) {
    if (c == L'/') c = L'\\';
  }
  if (!isSeparator(out.back())) out += L'\\';
  for (std::size_t i = 0; i < names.size(); ++i) out += (i ? L"\\" : L"") + names[i];
  if (trailing && !names.empty()) out += L'\\';
  return out;
}

}  // namespace

std::wstring withoutLongPathPrefix(std::wstring_view path) {
  if (path.starts_with(kVerbatimUnc))
    return L"\\\\" + std::wstring(path.substr(kVerbatimUnc.size()));
  if (path.starts_with(kVerbatim)) return std::wstring(path.substr(kVerbatim.size()));
  return std::wstring(path);
}

std::wstring toLongPath(std::wstring_view absolute) {
  if (absolute.starts_with(kVerbatim) || absolute.starts_with(kDevice) ||
      absolute.starts_with(kNt)) {
    return std::wstring(absolute);
  }
  if (absolute.starts_with(L"\\\\"))
    return std::wstring(kVerbatimUnc) + std::wstring(absolute.substr(2));
  return std::wstring(kVerbatim) + std::wstring(absolute);
}

std::wstring withLongPathPrefix(std::wstring_view absolute) {
  const bool drive = absolute.size() >= 3 && isLetter(absolute[0]) && absolute[1] == L':' &&
                     isSeparator(absolute[2]);
  const bool share = absolute.size() >= 2 && isSeparator(absolute[0]) && isSeparator(absolute[1]) &&
                     !absolute.starts_with(kVerbatim) && !absolute.starts_with(kDevice);
  if (absolute.size() < kClassicLimit || (!drive && !share)) return std::wstring(absolute);
  std::wstring out(absolute);
  for (wchar_t& c : out) {
    if (c == L'/') c = L'\\';
  }
  return toLongPath(out);
}

std::wstring absolutePathOf(std::wstring_view text, const SystemFullPath& system) {
  if (text.empty() || text.find(L'\0') != std::wstring_view::npos) return {};
  if (text.size() < kClassicLimit || text.starts_with(kVerbatim) || text.starts_with(kDevice) ||
      text.starts_with(kNt)) {
    return system(std::wstring(text));
  }
  const bool drive = text.size() >= 2 && isLetter(text[0]) && text[1] == L':';
  if (drive && text.size() >= 3 && isSeparator(text[2])) {
    return resolvedBelow(std::wstring(text.substr(0, 3)), text.substr(3));
  }
  if (const std::size_t root = rootLength(text); root > 0) {
    return resolvedBelow(std::wstring(text.substr(0, root)), text.substr(root));
  }
  if (drive) return resolvedBelow(system(std::wstring(text.substr(0, 2))), text.substr(2));
  const std::wstring current = system(L".");
  if (!text.empty() && isSeparator(text[0])) {
    // Rooted: on the current folder's drive or share.
    return resolvedBelow(current.substr(0, rootLength(current)), text.substr(1));
  }
  return resolvedBelow(current, text);
}

}  // namespace mirafold::base
