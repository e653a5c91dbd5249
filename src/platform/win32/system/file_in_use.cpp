#include "platform/win32/system/file_in_use.h"

#include <windows.h>

#include "base/win32/handles.h"
#include "platform/win32/system/full_path.h"

namespace mirafold::win32 {
namespace {

// Read access with no sharing conflicts with any other open that reads, writes or deletes.
bool heldByAnother(const std::wstring& file) {
  const base::win32::UniqueFileHandle handle(::CreateFileW(callablePath(file).c_str(), GENERIC_READ,
                                                           0, nullptr, OPEN_EXISTING,
                                                           FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (handle) return false;
  const DWORD error = ::GetLastError();
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

std::wstring searchBelow(const std::wstring& folder, std::size_t& budget) {
  WIN32_FIND_DATAW found{};
  const std::wstring pattern = callablePath(folder) + L"\\*";
  const base::win32::UniqueFindHandle search(::FindFirstFileExW(
      pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0));
  if (!search) return {};
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    if (budget == 0) return {};
    --budget;
    const std::wstring path = folder + L"\\" + name;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;  // a link
      if (std::wstring held = searchBelow(path, budget); !held.empty()) return held;
    } else if (heldByAnother(path)) {
      return path;
    }
  } while (::FindNextFileW(search.get(), &found));
  return {};
}

}  // namespace

std::wstring firstFileInUse(const std::wstring& folder, std::size_t budget) {
  const auto quiet = base::win32::quietErrorMode();
  return searchBelow(folder, budget);
}

}  // namespace mirafold::win32
