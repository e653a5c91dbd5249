#include "platform/win32/system/win32_move_file_system.h"

#include <windows.h>
#include <shlobj.h>
#include <winioctl.h>

#include <cwctype>
#include <string_view>
#include <vector>

#include "base/long_path.h"
#include "base/win32/exported.h"
#include "base/win32/final_path.h"
#include "base/win32/handles.h"
#include "junction/paths.h"
#include "junction/reparse_data.h"
#include "platform/win32/system/durable_file.h"
#include "platform/win32/system/file_in_use.h"
#include "platform/win32/system/full_path.h"

namespace mirafold::win32 {
namespace {

using platform::EntryKind;
using platform::MoveStatus;

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

std::uint64_t ticksOf(const FILETIME& t) {
  return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

FILETIME fileTimeOf(std::uint64_t ticks) {
  return {static_cast<DWORD>(ticks & 0xFFFFFFFFu), static_cast<DWORD>(ticks >> 32)};
}

// A folder that is a junction or a folder symbolic link is a link; Wine shows its stand-in, a
// host symbolic link, as a reparse point without a tag. Other reparse points (cloud placeholders,
// deduplicated files) are ordinary entries.
EntryKind kindOf(DWORD attributes, DWORD tag, bool underWine) {
  const bool folder = attributes & FILE_ATTRIBUTE_DIRECTORY;
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) && folder &&
      (tag == IO_REPARSE_TAG_MOUNT_POINT || tag == IO_REPARSE_TAG_SYMLINK ||
       (underWine && tag == 0))) {
    return EntryKind::Link;
  }
  return folder ? EntryKind::Folder : EntryKind::File;
}

platform::EntryInfo infoOf(const WIN32_FIND_DATAW& found, bool underWine) {
  return {kindOf(found.dwFileAttributes, found.dwReserved0, underWine),
          found.dwFileAttributes,
          (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow,
          {ticksOf(found.ftCreationTime), ticksOf(found.ftLastWriteTime)}};
}

// Wine answers a search for a name that just went away with "no more files".
bool isMissing(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
         error == ERROR_NO_MORE_FILES;
}

base::win32::UniqueFileHandle openEntry(const std::wstring& path, DWORD access, bool followLink) {
  const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (followLink ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
  return base::win32::UniqueFileHandle(::CreateFileW(callablePath(path).c_str(), access, kShareAll,
                                                     nullptr, OPEN_EXISTING, flags, nullptr));
}

// Where a link leads, as the system resolves it: the only answer Wine's host links give.
MoveStatus resolvedTarget(const std::wstring& link, std::wstring& target) {
  const base::win32::UniqueFileHandle file = openEntry(link, FILE_READ_ATTRIBUTES, true);
  if (!file) return lastStatus(link);
  const auto resolved = base::win32::finalPathOf(file.get());
  if (!resolved) return lastStatus(link);
  target = *resolved;
  return MoveStatus::success();
}

struct CopyContext {
  const platform::CopyProgress& progress;
  bool threw = false;
};

DWORD CALLBACK onCopyProgress(LARGE_INTEGER, LARGE_INTEGER transferred, LARGE_INTEGER,
                              LARGE_INTEGER, DWORD, DWORD, HANDLE, HANDLE, LPVOID data) {
  auto* context = static_cast<CopyContext*>(data);
  // No exception may unwind through the system's copy loop.
  try {
    const bool goOn = context->progress(static_cast<std::uint64_t>(transferred.QuadPart));
    return goOn ? PROGRESS_CONTINUE : PROGRESS_CANCEL;
  } catch (...) {
    context->threw = true;
    return PROGRESS_CANCEL;
  }
}

// Read-only entries refuse deletion: tried as they are first (most are not read-only), then
// again with the attribute cleared.
template <typename Remove>
MoveStatus removeEvenReadOnly(const std::wstring& path, Remove remove) {
  const std::wstring callable = callablePath(path);
  if (remove(callable.c_str())) return MoveStatus::success();
  DWORD error = ::GetLastError();
  const DWORD attributes = ::GetFileAttributesW(callable.c_str());
  if (error == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & FILE_ATTRIBUTE_READONLY) &&
      ::SetFileAttributesW(callable.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY})) {
    if (remove(callable.c_str())) return MoveStatus::success();
    error = ::GetLastError();
    ::SetFileAttributesW(callable.c_str(), attributes);
  }
  return statusOf(error, path);
}

}  // namespace

Win32MoveFileSystem::Win32MoveFileSystem(LinkCommands links, MoveFileSystemTexts texts)
    : links_(std::move(links)),
      texts_(std::move(texts)),
      underWine_(base::win32::runningUnderWine()) {}

MoveStatus Win32MoveFileSystem::inspect(const std::wstring& path, platform::EntryInfo& info) {
  const auto quiet = base::win32::quietErrorMode();
  info = {};
  WIN32_FIND_DATAW found{};
  const base::win32::UniqueFindHandle search(::FindFirstFileExW(
      callablePath(path).c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0));
  if (!search) {
    const DWORD error = ::GetLastError();
    // A drive root has no entry of its own to find.
    WIN32_FILE_ATTRIBUTE_DATA root{};
    if (::GetFileAttributesExW(callablePath(path).c_str(), GetFileExInfoStandard, &root) &&
        (root.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
      info.kind = EntryKind::Folder;
      info.attributes = root.dwFileAttributes;
      return MoveStatus::success();
    }
    return isMissing(error) ? MoveStatus::success() : statusOf(error, path);
  }
  info = infoOf(found, underWine_);
  return MoveStatus::success();
}

MoveStatus Win32MoveFileSystem::list(const std::wstring& folder,
                                     std::vector<platform::FolderEntry>& entries) {
  const auto quiet = base::win32::quietErrorMode();
  entries.clear();
  WIN32_FIND_DATAW found{};
  const std::wstring pattern = callablePath(folder) + L"\\*";
  const base::win32::UniqueFindHandle search(
      ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr,
                         FIND_FIRST_EX_LARGE_FETCH));
  if (!search) return lastStatus(folder);
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    entries.push_back({name, infoOf(found, underWine_)});
  } while (::FindNextFileW(search.get(), &found));
  return ::GetLastError() == ERROR_NO_MORE_FILES ? MoveStatus::success() : lastStatus(folder);
}

MoveStatus Win32MoveFileSystem::rename(const std::wstring& from, const std::wstring& to) {
  // No copy between volumes and no replacing: the engine decides both.
  if (::MoveFileExW(callablePath(from).c_str(), callablePath(to).c_str(), MOVEFILE_WRITE_THROUGH)) {
    return MoveStatus::success();
  }
  const DWORD error = ::GetLastError();
  // A folder that will not move because of a file open inside it says access denied, and not
  // which file: that is looked for. Access denied with no file found held is a want of rights
  // (a parent folder the user may not change, as C:\Program Files).
  if (error == ERROR_SHARING_VIOLATION) {
    return {MoveStatus::Code::InUse, statusOf(error, from).reason, firstFileInUse(from)};
  }
  if (error == ERROR_ACCESS_DENIED) {
    if (std::wstring held = firstFileInUse(from); !held.empty()) {
      return {MoveStatus::Code::InUse, statusOf(error, from).reason, std::move(held)};
    }
  }
  return statusOf(error, from);
}

MoveStatus Win32MoveFileSystem::createFolder(const std::wstring& path) {
  return ::CreateDirectoryW(callablePath(path).c_str(), nullptr) ? MoveStatus::success()
                                                                 : lastStatus(path);
}

MoveStatus Win32MoveFileSystem::copyFile(const std::wstring& from, const std::wstring& to,
                                         const platform::CopyProgress& progress) {
  CopyContext context{progress};
  // A file symbolic link is copied as a link; folder links never reach here.
  if (::CopyFileExW(callablePath(from).c_str(), callablePath(to).c_str(), onCopyProgress, &context,
                    nullptr, COPY_FILE_FAIL_IF_EXISTS | COPY_FILE_COPY_SYMLINK)) {
    return MoveStatus::success();
  }
  const DWORD error = ::GetLastError();
  if (error == ERROR_REQUEST_ABORTED && !context.threw) {
    return {MoveStatus::Code::Cancelled, {}, {}};
  }
  return statusOf(error, error == ERROR_SHARING_VIOLATION ? from : to);
}

MoveStatus Win32MoveFileSystem::setAttributes(const std::wstring& path, std::uint32_t attributes) {
  const DWORD value = attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
  return ::SetFileAttributesW(callablePath(path).c_str(), value) ? MoveStatus::success()
                                                                 : lastStatus(path);
}

MoveStatus Win32MoveFileSystem::setTimes(const std::wstring& path,
                                         const platform::EntryTimes& times) {
  const base::win32::UniqueFileHandle entry = openEntry(path, FILE_WRITE_ATTRIBUTES, false);
  if (!entry) return lastStatus(path);
  const FILETIME creation = fileTimeOf(times.creation);
  const FILETIME lastWrite = fileTimeOf(times.lastWrite);
  return ::SetFileTime(entry.get(), &creation, nullptr, &lastWrite) ? MoveStatus::success()
                                                                    : lastStatus(path);
}

MoveStatus Win32MoveFileSystem::readLink(const std::wstring& link, std::wstring& target) {
  const base::win32::UniqueFileHandle entry = openEntry(link, FILE_READ_ATTRIBUTES, false);
  if (!entry) return lastStatus(link);
  std::vector<std::uint8_t> data(junction::kMaximumReparseDataSize);
  DWORD got = 0;
  if (::DeviceIoControl(entry.get(), FSCTL_GET_REPARSE_POINT, nullptr, 0, data.data(),
                        static_cast<DWORD>(data.size()), &got, nullptr)) {
    data.resize(got);
    if (const auto mountPoint = junction::parseMountPointData(data)) {
      target = mountPoint->printName.empty()
                   ? junction::pathFromSubstituteName(mountPoint->substituteName)
                   : mountPoint->printName;
      return MoveStatus::success();
    }
  }
  return resolvedTarget(link, target);
}

MoveStatus Win32MoveFileSystem::makeLink(const std::wstring& link, const std::wstring& target) {
  if (!links_.make) return MoveStatus::failure(texts_.noJunctionTool);
  return links_.make(link, target);
}

MoveStatus Win32MoveFileSystem::removeLink(const std::wstring& link) {
  // A junction or folder symbolic link goes with RemoveDirectoryW, which never enters it; only
  // Wine's host links need the tool.
  WIN32_FIND_DATAW found{};
  const base::win32::UniqueFindHandle search(::FindFirstFileExW(
      callablePath(link).c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0));
  if (!search) return lastStatus(link);
  if (kindOf(found.dwFileAttributes, found.dwReserved0, underWine_) != EntryKind::Link) {
    std::wstring why = texts_.notALink;
    if (const std::size_t blank = why.find(L"%1"); blank != std::wstring::npos) {
      why.replace(blank, 2, link);
    }
    return MoveStatus::failure(why);
  }
  if (found.dwReserved0 != 0) {
    return ::RemoveDirectoryW(callablePath(link).c_str()) ? MoveStatus::success()
                                                          : lastStatus(link);
  }
  if (!links_.remove) return MoveStatus::failure(texts_.noJunctionTool);
  return links_.remove(link);
}

MoveStatus Win32MoveFileSystem::sameFolder(const std::wstring& a, const std::wstring& b,
                                           bool& same) {
  same = false;
  const base::win32::UniqueFileHandle first = openEntry(a, FILE_READ_ATTRIBUTES, true);
  const base::win32::UniqueFileHandle second = openEntry(b, FILE_READ_ATTRIBUTES, true);
  if (!first || !second) {
    const DWORD error = ::GetLastError();
    return isMissing(error) ? MoveStatus::success() : statusOf(error, first ? b : a);
  }
  BY_HANDLE_FILE_INFORMATION one{}, two{};
  if (!::GetFileInformationByHandle(first.get(), &one)) return lastStatus(a);
  if (!::GetFileInformationByHandle(second.get(), &two)) return lastStatus(b);
  same = (one.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
         one.dwVolumeSerialNumber == two.dwVolumeSerialNumber &&
         one.nFileIndexHigh == two.nFileIndexHigh && one.nFileIndexLow == two.nFileIndexLow;
  return MoveStatus::success();
}

MoveStatus Win32MoveFileSystem::deleteFile(const std::wstring& path) {
  return removeEvenReadOnly(path, ::DeleteFileW);
}

MoveStatus Win32MoveFileSystem::removeEmptyFolder(const std::wstring& path) {
  return removeEvenReadOnly(path, ::RemoveDirectoryW);
}

MoveStatus Win32MoveFileSystem::volumeInfo(const std::wstring& path, platform::VolumeInfo& info) {
  const auto quiet = base::win32::quietErrorMode();
  std::wstring root(32768, L'\0');
  if (!::GetVolumePathNameW(callablePath(path).c_str(), root.data(),
                            static_cast<DWORD>(root.size()))) {
    return lastStatus(path);
  }
  root.resize(std::wcslen(root.c_str()));
  // The root the volume is reached by: two drive letters are two volumes to us, and a move
  // between them copies (a rename would fail).
  info.id = base::withoutLongPathPrefix(root);
  for (wchar_t& c : info.id) c = static_cast<wchar_t>(std::towupper(c));
  info.network = ::GetDriveTypeW(root.c_str()) == DRIVE_REMOTE || info.id.rfind(L"\\\\", 0) == 0;
  ULARGE_INTEGER available{};
  if (!::GetDiskFreeSpaceExW(root.c_str(), &available, nullptr, nullptr)) return lastStatus(path);
  info.freeBytes = available.QuadPart;
  return MoveStatus::success();
}

MoveStatus Win32MoveFileSystem::writeJournal(const std::wstring& path, const std::wstring& text) {
  return writeDurably(path, text);
}

MoveStatus Win32MoveFileSystem::readJournal(const std::wstring& path, std::wstring& text) {
  return readText(path, text);
}

MoveStatus Win32MoveFileSystem::deleteJournal(const std::wstring& path) {
  if (::DeleteFileW(callablePath(path).c_str())) return MoveStatus::success();
  const DWORD error = ::GetLastError();
  return isMissing(error) ? MoveStatus::success() : statusOf(error, path);
}

std::wstring moveJournalFolder() {
  PWSTR folder = nullptr;
  if (FAILED(::SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &folder))) {
    ::CoTaskMemFree(folder);
    return {};
  }
  std::wstring path = folder;
  ::CoTaskMemFree(folder);
  return path + L"\\Mirafold\\moves";
}

}  // namespace mirafold::win32
