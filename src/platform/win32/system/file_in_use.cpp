#include "platform/win32/system/file_in_use.h"

#include <windows.h>

#include <optional>
#include <vector>

#include "base/path_rules.h"
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

// What the security descriptor of `path` grants the token of all of `access`: true or false, or
// nothing when there is no descriptor to ask (a file system without permissions).
std::optional<bool> grants(const std::wstring& path, HANDLE token, DWORD access) {
  const std::wstring callable = callablePath(path);
  constexpr SECURITY_INFORMATION kParts =
      OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
  DWORD size = 0;
  ::GetFileSecurityW(callable.c_str(), kParts, nullptr, 0, &size);
  if (size == 0) {
    // Not even allowed to read the permissions: no leave to change anything there either.
    if (::GetLastError() == ERROR_ACCESS_DENIED) return false;
    return std::nullopt;
  }
  std::vector<BYTE> descriptor(size);
  if (!::GetFileSecurityW(callable.c_str(), kParts, descriptor.data(), size, &size)) {
    return std::nullopt;
  }
  GENERIC_MAPPING mapping{FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE,
                          FILE_ALL_ACCESS};
  PRIVILEGE_SET privileges{};
  DWORD privilegesSize = sizeof privileges;
  DWORD granted = 0;
  BOOL allowed = FALSE;
  if (!::AccessCheck(descriptor.data(), token, access, &mapping, &privileges, &privilegesSize,
                     &granted, &allowed)) {
    return std::nullopt;
  }
  return allowed != FALSE;
}

}  // namespace

bool permissionsAllowRename(const std::wstring& from, const std::wstring& to) {
  const auto quiet = base::win32::quietErrorMode();
  HANDLE opened = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY | TOKEN_DUPLICATE, &opened)) {
    return true;
  }
  const base::win32::UniqueKernelHandle processToken(opened);
  HANDLE duplicated = nullptr;
  // AccessCheck asks an impersonation token, as a server asks its client's.
  if (!::DuplicateToken(processToken.get(), SecurityImpersonation, &duplicated)) return true;
  const base::win32::UniqueKernelHandle token(duplicated);

  const DWORD attributes = ::GetFileAttributesW(callablePath(from).c_str());
  const bool folder =
      attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
  const auto deletes = grants(from, token.get(), DELETE);
  const bool mayTake = deletes.value_or(true) ||
                       grants(base::parentOf(from), token.get(), FILE_DELETE_CHILD).value_or(false);
  const bool mayAdd =
      grants(base::parentOf(to), token.get(), folder ? FILE_ADD_SUBDIRECTORY : FILE_ADD_FILE)
          .value_or(true);
  return mayTake && mayAdd;
}

std::wstring firstFileInUse(const std::wstring& folder, std::size_t budget) {
  const auto quiet = base::win32::quietErrorMode();
  return searchBelow(folder, budget);
}

}  // namespace mirafold::win32
