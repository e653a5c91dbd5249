#pragma once
// Removes a test's scratch folder, safely: only a folder below the system's temporary folder, only
// by absolute \\?\ paths (no relative or shortened path can ever name the current folder), and
// never through a link. A junction, or under Wine a host link, is left where it is: removing one
// is the tool's job, and the tests do it first.

#include <windows.h>

#include <optional>
#include <string>

#include "temp_folder.h"

namespace mirafold::testing {

namespace detail {
inline void removeEntry(const std::wstring& verbatim) {
  const DWORD attributes = ::GetFileAttributesW(verbatim.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return;
  ::SetFileAttributesW(verbatim.c_str(), FILE_ATTRIBUTE_NORMAL);
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    ::DeleteFileW(verbatim.c_str());
    return;
  }
  WIN32_FIND_DATAW entry{};
  const HANDLE search = ::FindFirstFileW((verbatim + L"\\*").c_str(), &entry);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = entry.cFileName;
      if (name != L"." && name != L"..") removeEntry(verbatim + L"\\" + name);
    } while (::FindNextFileW(search, &entry));
    ::FindClose(search);
  }
  ::RemoveDirectoryW(verbatim.c_str());
}
}  // namespace detail

// False, and nothing touched, unless `folder` is an absolute path strictly below the temporary
// folder without "." or ".." parts, and that folder is not a drive or share root.
inline bool removeScratchFolder(const std::wstring& folder) {
  const std::optional<std::wstring> temp = temporaryFolder();  // never a root, never relative
  if (!temp) return false;
  const std::wstring& base = *temp;  // ends in a backslash
  if (folder.size() <= base.size() ||
      ::CompareStringOrdinal(folder.c_str(), static_cast<int>(base.size()), base.c_str(),
                             static_cast<int>(base.size()), TRUE) != CSTR_EQUAL) {
    return false;
  }
  if (folder.find(L"\\.") != std::wstring::npos || folder.find(L'/') != std::wstring::npos) {
    return false;
  }
  detail::removeEntry(L"\\\\?\\" + folder);
  return true;
}

}  // namespace mirafold::testing
