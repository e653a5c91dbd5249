#include "base/win32/entry_reader.h"

#include <winioctl.h>

#include "base/reparse_data.h"
#include "base/win32/exported.h"
#include "base/win32/final_path.h"
#include "base/win32/handles.h"

namespace mirafold::base::win32 {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

EntryReading unreadable(DWORD error) {
  EntryReading reading{EntryKind::Unreadable};
  reading.error = error;
  return reading;
}

// The reading of an entry whose attributes are known, through a handle open on it.
EntryReading readThrough(HANDLE entry, DWORD attributes) {
  if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    return readingOf(attributes, {}, hostLinksStandIn());
  }
  std::vector<std::uint8_t> data;
  const DWORD read = readReparseData(entry, data);
  // Wine's host links carry the attribute and hold no bytes.
  if (read != ERROR_SUCCESS && read != ERROR_NOT_A_REPARSE_POINT) return unreadable(read);
  return readingOf(attributes, data, hostLinksStandIn());
}

}  // namespace

bool hostLinksStandIn() {
  static const bool underWine = runningUnderWine();
  return underWine;
}

DWORD readReparseData(HANDLE entry, std::vector<std::uint8_t>& data) {
  data.assign(kMaximumReparseDataSize, 0);
  DWORD got = 0;
  const bool read = ::DeviceIoControl(entry, FSCTL_GET_REPARSE_POINT, nullptr, 0, data.data(),
                                      static_cast<DWORD>(data.size()), &got, nullptr);
  const DWORD error = read ? ERROR_SUCCESS : ::GetLastError();
  data.resize(read ? got : 0);
  return error;
}

EntryReading readEntry(HANDLE entry) {
  FILE_ATTRIBUTE_TAG_INFO info{};
  if (!::GetFileInformationByHandleEx(entry, FileAttributeTagInfo, &info, sizeof info)) {
    return unreadable(::GetLastError());
  }
  return readThrough(entry, info.FileAttributes);
}

EntryReading readEntry(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? EntryReading{}
                                                                          : unreadable(error);
  }
  if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    return readingOf(attributes, {}, hostLinksStandIn());
  }
  const UniqueFileHandle entry(
      ::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!entry) return unreadable(::GetLastError());
  EntryReading reading = readThrough(entry.get(), attributes);
  if (reading.kind != EntryKind::HostLink) return reading;
  // A host link holds no bytes: where it leads is where the system gets to through it.
  const UniqueFileHandle followed(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll,
                                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                                nullptr));
  const auto target = followed ? finalPathOf(followed.get()) : std::nullopt;
  if (!target) return unreadable(::GetLastError());
  reading.target = *target;
  return reading;
}

EntryKind listedKind(const WIN32_FIND_DATAW& found) {
  const bool tagless =
      (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && !found.dwReserved0;
  return base::listedKind(found.dwFileAttributes, found.dwReserved0, tagless && hostLinksStandIn());
}

}  // namespace mirafold::base::win32
