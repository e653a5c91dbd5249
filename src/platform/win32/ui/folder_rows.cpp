#include "platform/win32/ui/folder_rows.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/long_path.h"
#include "base/path_rules.h"
#include "base/win32/entry_reader.h"
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

// Any folder that stands for another name, as the move counts it: a junction, a volume mount
// point, a folder symbolic link, another name surrogate, Wine's host link. A cloud folder is a
// folder.
bool isLinkEntry(const WIN32_FIND_DATAW& entry) {
  return base::isLink(base::win32::listedKind(entry));
}

// Appends the name's sort key under the user's collation, case ignored. Room for a usual key is
// given at once, so that most names take one call rather than a sizing call and then the key.
void appendSortKey(std::wstring_view name, std::string& keys) {
  constexpr DWORD flags = LCMAP_SORTKEY | NORM_IGNORECASE;
  const int length = static_cast<int>(name.size());
  const std::size_t at = keys.size();
  const auto mapInto = [&](int room) {
    keys.resize(at + static_cast<std::size_t>(room));
    return ::LCMapStringEx(LOCALE_NAME_USER_DEFAULT, flags, name.data(), length,
                           reinterpret_cast<LPWSTR>(keys.data() + at), room, nullptr, nullptr, 0);
  };
  int written = mapInto(8 * length + 32);
  if (written == 0 && ::GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
    const int needed = ::LCMapStringEx(LOCALE_NAME_USER_DEFAULT, flags, name.data(), length,
                                       nullptr, 0, nullptr, nullptr, 0);
    written = needed > 0 ? mapInto(needed) : 0;
  }
  keys.resize(at + static_cast<std::size_t>(std::max(written, 0)));
}

// In the user's collation, case ignored, by sort keys: one call per name rather than one per
// comparison, which for a folder of thousands of subfolders is most of the time spent opening it.
// Names equal under the collation keep a fixed order.
platform::Subfolders sortByCollation(const platform::Subfolders& names) {
  const std::size_t count = names.size();
  std::string keys;
  keys.reserve(count * 24);
  std::vector<std::uint32_t> keyStarts;
  keyStarts.reserve(count + 1);
  keyStarts.push_back(0);
  for (std::size_t i = 0; i < count; ++i) {
    appendSortKey(names[i], keys);
    keyStarts.push_back(static_cast<std::uint32_t>(keys.size()));
  }
  const auto key = [&](std::uint32_t i) {
    return std::string_view(keys).substr(keyStarts[i], keyStarts[i + 1] - keyStarts[i]);
  };
  std::vector<std::uint32_t> order(count);
  for (std::size_t i = 0; i < count; ++i) order[i] = static_cast<std::uint32_t>(i);
  std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
    const int byKey = key(a).compare(key(b));
    return byKey != 0 ? byKey < 0 : names[a] < names[b];
  });
  platform::Subfolders sorted;
  sorted.reserve(count, names.characters());
  for (const std::uint32_t i : order) sorted.add(names[i], names.kind(i));
  return sorted;
}

// The visible subfolders of an existing folder; empty optional when the folder cannot be listed.
std::optional<platform::Subfolders> readSubfolders(const std::wstring& folder) {
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
  platform::Subfolders names;
  if (!search) {
    // An empty drive root lists nothing at all, not even ".".
    if (::GetLastError() == ERROR_FILE_NOT_FOUND) return names;
    return std::nullopt;
  }
  do {
    if (isListedFolder(entry)) {
      names.add(entry.cFileName,
                isLinkEntry(entry) ? platform::RowKind::Link : platform::RowKind::Folder);
    }
  } while (::FindNextFileW(search.get(), &entry));
  return sortByCollation(names);
}

}  // namespace

std::optional<platform::FolderRowModel> readFolderRows(const std::wstring& text) {
  if (base::hasWildcard(text)) return std::nullopt;
  std::wstring full = fullPathOf(text);
  const std::size_t root = base::rootLength(full);
  if (root == 0) return std::nullopt;
  while (full.size() > root && isSeparator(full.back())) full.pop_back();

  auto subfolders = readSubfolders(full);
  if (!subfolders) return std::nullopt;
  return platform::FolderRowModel::make(std::move(full), std::move(*subfolders));
}

}  // namespace mirafold::win32
