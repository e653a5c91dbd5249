#include "platform/win32/system/copy_fidelity.h"

#include <winioctl.h>

#include <cstdio>
#include <cstring>

#include "platform/win32/system/durable_file.h"
#include "platform/win32/system/full_path.h"

namespace mirafold::win32 {
namespace {

// FILE_ID_INFO, which the headers give only from Windows 8 on.
constexpr auto kFileIdInfo = static_cast<FILE_INFO_BY_HANDLE_CLASS>(18);
struct FileIdInfo {
  ULONGLONG volumeSerialNumber;
  BYTE fileId[16];
};

}  // namespace

base::win32::UniqueFileHandle openCopyEntry(const std::wstring& path, DWORD access) {
  return base::win32::UniqueFileHandle(::CreateFileW(
      callablePath(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

bool basicInfoOf(HANDLE entry, FILE_BASIC_INFO& info) {
  return ::GetFileInformationByHandleEx(entry, FileBasicInfo, &info, sizeof info);
}

DWORD volumeFlagsOf(HANDLE entry) {
  DWORD flags = 0;
  return ::GetVolumeInformationByHandleW(entry, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0)
             ? flags
             : 0;
}

DWORD compress(HANDLE entry) {
  USHORT format = COMPRESSION_FORMAT_DEFAULT;
  DWORD unused = 0;
  return ::DeviceIoControl(entry, FSCTL_SET_COMPRESSION, &format, sizeof format, nullptr, 0,
                           &unused, nullptr)
             ? ERROR_SUCCESS
             : ::GetLastError();
}

platform::MoveStatus findNamedStreams(const std::wstring& file, bool& has) {
  has = false;
  // Wine's search says "no streams" for anything, even a missing file: the file is opened first.
  if (!openCopyEntry(file, FILE_READ_ATTRIBUTES)) return lastStatus(file);
  WIN32_FIND_STREAM_DATA stream{};
  const base::win32::UniqueFindHandle search(
      ::FindFirstStreamW(callablePath(file).c_str(), FindStreamInfoStandard, &stream, 0));
  if (!search) {
    // A folder, or a file with no data at all: no stream to tell of.
    if (::GetLastError() == ERROR_HANDLE_EOF) return platform::MoveStatus::success();
    return lastStatus(file);
  }
  do {
    has = std::wstring_view(stream.cStreamName) != L"::$DATA";
  } while (!has && ::FindNextStreamW(search.get(), &stream));
  if (has || ::GetLastError() == ERROR_HANDLE_EOF) return platform::MoveStatus::success();
  return lastStatus(file);
}

std::optional<bool> sameEntry(HANDLE a, HANDLE b) {
  FileIdInfo one{}, two{};
  if (!::GetFileInformationByHandleEx(a, kFileIdInfo, &one, sizeof one) ||
      !::GetFileInformationByHandleEx(b, kFileIdInfo, &two, sizeof two)) {
    return std::nullopt;
  }
  return one.volumeSerialNumber == two.volumeSerialNumber &&
         std::memcmp(one.fileId, two.fileId, sizeof one.fileId) == 0;
}

std::wstring volumeIdentity(HANDLE entry, const std::wstring& root) {
  // A serial of zero is none at all (Wine gives it to a drive it has no serial for): then the
  // next way of telling volumes apart is asked.
  wchar_t text[64] = {};
  if (FileIdInfo id{}; ::GetFileInformationByHandleEx(entry, kFileIdInfo, &id, sizeof id) &&
                       id.volumeSerialNumber != 0) {
    std::swprintf(text, 64, L"%016llX", id.volumeSerialNumber);
    return text;
  }
  // Before Windows 8, and on file systems without 128-bit file IDs.
  wchar_t volume[64] = {};
  if (::GetVolumeNameForVolumeMountPointW(root.c_str(), volume, 64)) return volume;
  // A network share has neither: its 32-bit serial is all there is, else the root's own name.
  BY_HANDLE_FILE_INFORMATION info{};
  if (::GetFileInformationByHandle(entry, &info) && info.dwVolumeSerialNumber != 0) {
    std::swprintf(text, 64, L"%08lX", static_cast<unsigned long>(info.dwVolumeSerialNumber));
    return text;
  }
  return root;
}

}  // namespace mirafold::win32
