#include "platform/win32/ui/folder_rows.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>

#include "base/long_path.h"
#include "base/path_rules.h"
#include "base/win32/handles.h"
#include "platform/win32/system/full_path.h"

namespace mirafold::win32 {
namespace {

bool isSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool isListedFolder(const WIN32_FIND_DATAW& entry) {
  if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return false;
  // Hidden and system folders stay out of the list, as in the classic directory list box.
  if ((entry.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0) return false;
  const std::wstring_view name = entry.cFileName;
  return name != L"." && name != L"..";
}

// The user's collation, case ignored, as sort keys: one call per name rather than one per
// comparison, which for a folder of thousands of subfolders is most of the time spent opening it.
std::string sortKey(const std::wstring& name) {
  constexpr DWORD flags = LCMAP_SORTKEY | NORM_IGNORECASE;
  const int size = static_cast<int>(name.size());
  const int needed = ::LCMapStringEx(LOCALE_NAME_USER_DEFAULT, flags, name.c_str(), size, nullptr,
                                     0, nullptr, nullptr, 0);
  std::string key(static_cast<std::size_t>(std::max(needed, 0)), '\0');
  if (needed > 0) {
    ::LCMapStringEx(LOCALE_NAME_USER_DEFAULT, flags, name.c_str(), size,
                    reinterpret_cast<LPWSTR>(key.data()), needed, nullptr, nullptr, 0);
  }
  return key;
}

// Names equal under the collation keep a fixed order.
void sortByCollation(std::vector<std::wstring>& names) {
  std::vector<std::pair<std::string, std::wstring>> keyed;
  keyed.reserve(names.size());
  for (auto& name : names) keyed.emplace_back(sortKey(name), std::move(name));
  std::sort(keyed.begin(), keyed.end());
  for (std::size_t i = 0; i < names.size(); ++i) names[i] = std::move(keyed[i].second);
}

// The visible subfolders of an existing folder; empty optional when the folder cannot be listed.
std::optional<std::vector<std::wstring>> readSubfolders(const std::wstring& folder) {
  const auto quiet = base::win32::quietErrorMode();
  const std::wstring callable = base::withLongPathPrefix(folder);
  const DWORD attributes = ::GetFileAttributesW(callable.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    return std::nullopt;
  }
  std::wstring pattern = callable;
  if (!isSeparator(pattern.back())) pattern += L'\\';
  pattern += L'*';

  WIN32_FIND_DATAW entry{};
  const base::win32::UniqueFindHandle search(
      ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry, FindExSearchLimitToDirectories,
                         nullptr, FIND_FIRST_EX_LARGE_FETCH));
  std::vector<std::wstring> names;
  if (!search) {
    // An empty drive root lists nothing at all, not even ".".
    if (::GetLastError() == ERROR_FILE_NOT_FOUND) return names;
    return std::nullopt;
  }
  do {
    if (isListedFolder(entry)) names.emplace_back(entry.cFileName);
  } while (::FindNextFileW(search.get(), &entry));
  sortByCollation(names);
  return names;
}

}  // namespace

std::optional<FolderRows> FolderRows::read(const std::wstring& text) {
  if (base::hasWildcard(text)) return std::nullopt;
  std::wstring full = fullPathOf(text);
  const std::size_t root = base::rootLength(full);
  if (root == 0) return std::nullopt;
  while (full.size() > root && isSeparator(full.back())) full.pop_back();

  auto subfolders = readSubfolders(full);
  if (!subfolders) return std::nullopt;

  FolderRows rows;
  rows.path_ = std::move(full);
  rows.subfolders_ = std::move(*subfolders);
  const std::wstring& path = rows.path_;
  rows.ancestors_.push_back({0, root});
  for (std::size_t begin = root; begin < path.size();) {
    if (isSeparator(path[begin])) {
      ++begin;
      continue;
    }
    std::size_t end = begin;
    while (end < path.size() && !isSeparator(path[end])) ++end;
    rows.ancestors_.push_back({begin, end});
    begin = end;
  }
  return rows;
}

std::wstring FolderRows::label(std::size_t row) const {
  if (row < ancestors_.size()) {
    const Span span = ancestors_[row];
    return path_.substr(span.begin, span.end - span.begin);
  }
  return row < size() ? subfolders_[row - ancestors_.size()] : std::wstring();
}

std::wstring FolderRows::folder(std::size_t row) const {
  if (row < ancestors_.size()) return path_.substr(0, ancestors_[row].end);
  if (row >= size()) return {};
  std::wstring folder = path_;
  if (!isSeparator(folder.back())) folder += L'\\';
  return folder + subfolders_[row - ancestors_.size()];
}

}  // namespace mirafold::win32
