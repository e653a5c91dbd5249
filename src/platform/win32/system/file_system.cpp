#include "platform/win32/system/file_system.h"

#include <windows.h>

#include "base/long_path.h"
#include "base/path_rules.h"
#include "base/win32/final_path.h"
#include "base/win32/handles.h"
#include "platform/win32/system/full_path.h"
#include "platform/win32/system/network_volume.h"
#include "platform/win32/system/system_message.h"

namespace mirafold::win32 {
namespace {

constexpr DWORD kHiddenOrSystem = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

bool endsWithSeparator(const std::wstring& path) {
  return !path.empty() && (path.back() == L'\\' || path.back() == L'/');
}

enum class Kinds { FilesOnly, FoldersOnly, Both };

bool hasVisibleEntry(const std::wstring& path, Kinds kinds) {
  const bool foldersCount = kinds != Kinds::FilesOnly;
  if (path.empty() || base::hasWildcard(path)) return false;
  const auto quiet = base::win32::quietErrorMode();
  if (base::isDriveRoot(path)) {
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
  const base::win32::UniqueFindHandle search(::FindFirstFileExW(
      callable.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr, 0));
  if (!search) return false;
  const bool isFolder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if (isFolder ? !foldersCount : kinds == Kinds::FoldersOnly) return false;
  return (entry.dwFileAttributes & kHiddenOrSystem) == 0;
}

// The final path of an existing entry in its plain form, or empty when it cannot be opened.
std::wstring finalPathOf(const std::wstring& absolute) {
  // No access asked: only the name is wanted, which also works where reading is denied.
  const base::win32::UniqueFileHandle entry(
      ::CreateFileW(base::withLongPathPrefix(absolute).c_str(), 0,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!entry) return {};
  return base::win32::finalPathOf(entry.get()).value_or(std::wstring());
}

}  // namespace

bool Win32FileSystem::isVisibleFile(const std::wstring& path) const {
  return hasVisibleEntry(path, Kinds::FilesOnly);
}

bool Win32FileSystem::isVisibleEntry(const std::wstring& path) const {
  return hasVisibleEntry(path, Kinds::Both);
}

bool Win32FileSystem::isVisibleFolder(const std::wstring& path) const {
  return hasVisibleEntry(path, Kinds::FoldersOnly);
}

std::wstring Win32FileSystem::resolvedPath(const std::wstring& path) const {
  const std::wstring full = fullPathOf(path);
  if (full.empty()) return path;
  const auto quiet = base::win32::quietErrorMode();
  const std::size_t root = base::rootLength(full);
  std::wstring existing = full;
  std::wstring rest;
  for (;;) {
    if (std::wstring resolved = finalPathOf(existing); !resolved.empty()) {
      while (!rest.empty() && resolved.ends_with(L'\\')) resolved.pop_back();
      return resolved + rest;
    }
    const auto slash = existing.find_last_of(L"\\/");
    if (slash == std::wstring::npos || existing.size() <= root) return full;
    rest = existing.substr(slash) + rest;
    existing.resize(slash < root ? root : slash);
  }
}

bool Win32FileSystem::isOnNetwork(const std::wstring& path) const {
  return isOnNetworkVolume(resolvedPath(path));
}

bool Win32FileSystem::isAnyFile(const std::wstring& path) const {
  const std::wstring callable = callablePath(path);
  if (callable.empty()) return false;
  const auto quiet = base::win32::quietErrorMode();
  const DWORD attributes = ::GetFileAttributesW(callable.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

platform::Outcome Win32FileSystem::deleteFile(const std::wstring& path) {
  const std::wstring callable = callablePath(path);
  if (callable.empty()) return {false, systemMessage(ERROR_INVALID_NAME)};
  const auto quiet = base::win32::quietErrorMode();
  if (::DeleteFileW(callable.c_str())) return {};
  return {false, systemMessage(::GetLastError())};
}

}  // namespace mirafold::win32
