#include "win32_system.h"

#include <windows.h>
#include <winioctl.h>

#include "error_text.h"
#include "junction/paths.h"
#include "junction/reparse_data.h"
#include "junction/text.h"
#include "unique_handle.h"

namespace junction::win32 {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The entry itself, not what a reparse point leads to; folders need backup semantics to open.
UniqueFile openEntry(const std::wstring& path, DWORD access) {
  return UniqueFile(
      ::CreateFileW(toExtendedPath(path).c_str(), access, kShareAll, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

Status lastFailure() { return Status::failure(lastErrorMessage()); }

bool isMissing(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

Entry unreadable(DWORD error) { return Entry{EntryKind::Unreadable, {}, systemMessage(error)}; }

// Where a host link leads: Wine names an open folder by its real host path, in Windows form.
Status resolvedPath(const std::wstring& path, std::wstring& resolved) {
  UniqueFile file(::CreateFileW(toExtendedPath(path).c_str(), FILE_READ_ATTRIBUTES, kShareAll,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file) return lastFailure();
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = ::GetFinalPathNameByHandleW(
        file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), FILE_NAME_NORMALIZED);
    if (length == 0) return lastFailure();
    if (length < buffer.size()) {
      buffer.resize(length);
      break;
    }
    buffer.resize(length);
  }
  resolved = withoutExtendedPrefix(buffer);
  return Status::success();
}

EntryKind kindOf(DWORD attributes, DWORD reparseTag, bool underWine) {
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    if (reparseTag == kMountPointTag) return EntryKind::Junction;
    // Wine shows a host symbolic link as a reparse point without a tag.
    const bool folder = attributes & FILE_ATTRIBUTE_DIRECTORY;
    if (underWine && folder && reparseTag == 0) return EntryKind::HostLink;
    return EntryKind::OtherLink;
  }
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? EntryKind::Folder : EntryKind::File;
}

}  // namespace

Status Win32System::fullPath(const std::wstring& path, std::wstring& absolute) {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
    if (length == 0) return lastFailure();
    if (length < buffer.size()) {
      buffer.resize(length);
      break;
    }
    buffer.resize(length);  // too small: `length` counts the NUL as well
  }
  absolute = std::move(buffer);
  return Status::success();
}

Entry Win32System::inspect(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(toExtendedPath(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = ::GetLastError();
    return isMissing(error) ? Entry{} : unreadable(error);
  }
  if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
    return Entry{kindOf(attributes, 0, false), {}, {}};

  UniqueFile file = openEntry(path, FILE_READ_ATTRIBUTES);
  if (!file) return unreadable(::GetLastError());
  std::vector<std::uint8_t> data(kMaximumReparseDataSize);
  DWORD got = 0;
  if (::DeviceIoControl(file.get(), FSCTL_GET_REPARSE_POINT, nullptr, 0, data.data(),
                        static_cast<DWORD>(data.size()), &got, nullptr)) {
    data.resize(got);
    const auto mountPoint = parseMountPointData(data);
    if (!mountPoint) return Entry{EntryKind::OtherLink, {}, {}};
    std::wstring target = mountPoint->printName.empty()
                              ? pathFromSubstituteName(mountPoint->substituteName)
                              : mountPoint->printName;
    return Entry{EntryKind::Junction, target, {}};
  }
  const DWORD error = ::GetLastError();
  if (error == ERROR_NOT_A_REPARSE_POINT &&
      kindOf(attributes, 0, wine_ != nullptr) == EntryKind::HostLink) {
    Entry link{EntryKind::HostLink, {}, {}};
    const Status resolved = resolvedPath(path, link.target);
    return resolved.ok ? link : Entry{EntryKind::Unreadable, {}, resolved.reason};
  }
  return unreadable(error);
}

Status Win32System::listFolder(const std::wstring& path, std::vector<Child>& children) {
  WIN32_FIND_DATAW found;
  UniqueFind search(::FindFirstFileExW(joinPath(toExtendedPath(path), L"*").c_str(),
                                       FindExInfoBasic, &found, FindExSearchNameMatch, nullptr,
                                       FIND_FIRST_EX_LARGE_FETCH));
  if (!search) {
    return ::GetLastError() == ERROR_FILE_NOT_FOUND ? Status::success() : lastFailure();
  }
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    // For a reparse point, the listing carries its tag in dwReserved0.
    children.push_back(
        Child{name, kindOf(found.dwFileAttributes, found.dwReserved0, wine_ != nullptr)});
  } while (::FindNextFileW(search.get(), &found));
  return ::GetLastError() == ERROR_NO_MORE_FILES ? Status::success() : lastFailure();
}

Status Win32System::createFolder(const std::wstring& path) {
  return ::CreateDirectoryW(toExtendedPath(path).c_str(), nullptr) ? Status::success()
                                                                   : lastFailure();
}

Status Win32System::removeEmptyFolder(const std::wstring& path) {
  return ::RemoveDirectoryW(toExtendedPath(path).c_str()) ? Status::success() : lastFailure();
}

Status Win32System::writeReparseData(const std::wstring& path,
                                     const std::vector<std::uint8_t>& bytes) {
  UniqueFile file = openEntry(path, GENERIC_WRITE);
  if (!file) return lastFailure();
  DWORD unused = 0;
  if (!::DeviceIoControl(file.get(), FSCTL_SET_REPARSE_POINT,
                         const_cast<std::uint8_t*>(bytes.data()), static_cast<DWORD>(bytes.size()),
                         nullptr, 0, &unused, nullptr)) {
    return lastFailure();
  }
  return Status::success();
}

Status Win32System::removeJunction(const std::wstring& path) {
  {
    // Taking the reparse point off first leaves a plain empty folder, which is then all that
    // RemoveDirectoryW can remove: the target is out of reach whatever the system does.
    UniqueFile file = openEntry(path, GENERIC_WRITE);
    if (!file) return lastFailure();
    struct {
      DWORD tag;
      WORD dataLength;
      WORD reserved;
    } header{kMountPointTag, 0, 0};
    DWORD unused = 0;
    if (!::DeviceIoControl(file.get(), FSCTL_DELETE_REPARSE_POINT, &header, sizeof header, nullptr,
                           0, &unused, nullptr)) {
      return lastFailure();
    }
  }
  return removeEmptyFolder(path);
}

Status Win32System::makeHostLink(const std::wstring& link, const std::wstring& target) {
  std::wstring hostLink;
  std::wstring hostTarget;
  Status status = wine_->unixPath(toExtendedPath(link), hostLink);
  if (status.ok) status = wine_->unixPath(toExtendedPath(target), hostTarget);
  if (!status.ok) return status;
  // -T: never make the link inside an existing folder of that name; without -f ln never replaces.
  status = wine_->run(L"ln -sT -- \"$1\" \"$2\"", {hostTarget, hostLink});
  if (!status.ok) return status;
  if (inspect(link).kind != EntryKind::HostLink) {
    return Status::failure(L"The host symbolic link did not appear.");
  }
  return Status::success();
}

Status Win32System::removeHostLink(const std::wstring& link) {
  std::wstring hostLink;
  Status status = wine_->unixPath(toExtendedPath(link), hostLink);
  if (!status.ok) return status;
  // Checked again on the host side: rm removes only the link itself, never what it points to.
  status = wine_->run(
      L"if [ -L \"$1\" ]; then rm -f -- \"$1\"; else echo \"It is no symbolic link.\"; false; fi",
      {hostLink});
  if (!status.ok) return status;
  if (inspect(link).kind != EntryKind::Missing) {
    return Status::failure(L"The host symbolic link is still there.");
  }
  return Status::success();
}

}  // namespace junction::win32
