#include "platform/win32/file_system.h"

#include <windows.h>

#include "platform/win32/error_mode.h"
#include "platform/win32/full_path.h"
#include "platform/win32/unique_handle.h"

namespace mirafold::win32 {
namespace {

constexpr DWORD kHiddenOrSystem = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

bool endsWithSeparator(const std::wstring& path) {
  return !path.empty() && (path.back() == L'\\' || path.back() == L'/');
}

// The path in the form file calls take: absolute, and verbatim when too long for the classic limit.
std::wstring callablePath(const std::wstring& path) { return withLongPathPrefix(fullPathOf(path)); }

bool hasVisibleEntry(const std::wstring& path, bool foldersCount) {
  if (path.empty() || hasWildcard(path)) return false;
  const QuietErrorMode quiet;
  if (isDriveRoot(path)) {
    // A root has no directory entry of its own, and Windows marks it hidden and system; it is a
    // folder as long as the drive answers.
    if (!foldersCount) return false;
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  }
  if (endsWithSeparator(path)) return false;
  const std::wstring callable = callablePath(path);
  if (callable.empty()) return false;
  WIN32_FIND_DATAW entry{};
  const UniqueFindHandle search(::FindFirstFileExW(callable.c_str(), FindExInfoBasic, &entry,
                                                   FindExSearchNameMatch, nullptr, 0));
  if (!search) return false;
  const bool isFolder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if (isFolder && !foldersCount) return false;
  return (entry.dwFileAttributes & kHiddenOrSystem) == 0;
}

}  // namespace

bool Win32FileSystem::isPlainFile(const std::wstring& path) const {
  return hasVisibleEntry(path, false);
}

bool Win32FileSystem::isFolderOrFile(const std::wstring& path) const {
  return hasVisibleEntry(path, true);
}

bool Win32FileSystem::fileExists(const std::wstring& path) const {
  const std::wstring callable = callablePath(path);
  if (callable.empty()) return false;
  const QuietErrorMode quiet;
  const DWORD attributes = ::GetFileAttributesW(callable.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool Win32FileSystem::deleteFile(const std::wstring& path) {
  const std::wstring callable = callablePath(path);
  if (callable.empty()) return false;
  const QuietErrorMode quiet;
  return ::DeleteFileW(callable.c_str()) != 0;
}

}  // namespace mirafold::win32
