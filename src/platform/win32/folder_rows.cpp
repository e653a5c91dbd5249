#include "platform/win32/folder_rows.h"

#include <windows.h>

#include <algorithm>
#include <string_view>

#include "platform/win32/error_mode.h"
#include "platform/win32/full_path.h"
#include "platform/win32/unique_handle.h"

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

// The user's collation, case ignored; names equal under it keep a fixed order.
bool comesBefore(const std::wstring& a, const std::wstring& b) {
  const int order = ::CompareStringEx(LOCALE_NAME_USER_DEFAULT, NORM_IGNORECASE, a.c_str(),
                                      static_cast<int>(a.size()), b.c_str(),
                                      static_cast<int>(b.size()), nullptr, nullptr, 0);
  if (order == CSTR_LESS_THAN) return true;
  if (order == CSTR_GREATER_THAN) return false;
  return a < b;
}

// The visible subfolders of an existing folder; empty optional when the folder cannot be listed.
std::optional<std::vector<std::wstring>> readSubfolders(const std::wstring& folder) {
  const QuietErrorMode quiet;
  const std::wstring callable = withLongPathPrefix(folder);
  const DWORD attributes = ::GetFileAttributesW(callable.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    return std::nullopt;
  }
  std::wstring pattern = callable;
  if (!isSeparator(pattern.back())) pattern += L'\\';
  pattern += L'*';

  WIN32_FIND_DATAW entry{};
  const UniqueFindHandle search(::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry,
                                                   FindExSearchLimitToDirectories, nullptr,
                                                   FIND_FIRST_EX_LARGE_FETCH));
  std::vector<std::wstring> names;
  if (!search) {
    // An empty drive root lists nothing at all, not even ".".
    if (::GetLastError() == ERROR_FILE_NOT_FOUND) return names;
    return std::nullopt;
  }
  do {
    if (isListedFolder(entry)) names.emplace_back(entry.cFileName);
  } while (::FindNextFileW(search.get(), &entry));
  std::sort(names.begin(), names.end(), comesBefore);
  return names;
}

}  // namespace

std::optional<FolderRows> FolderRows::read(const std::wstring& text) {
  if (hasWildcard(text)) return std::nullopt;
  std::wstring full = fullPathOf(text);
  const std::size_t root = rootLength(full);
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
