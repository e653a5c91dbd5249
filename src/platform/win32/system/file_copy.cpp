#include "platform/win32/system/file_copy.h"

#include <winioctl.h>

#include <algorithm>
#include <string_view>

#include "base/win32/handles.h"
#include "base/win32/nt_files.h"

namespace mirafold::win32 {
namespace {

namespace nt = base::win32;

constexpr DWORD kChunk = 1u << 20;

// What the file system says may hold data, in order; the whole file where it cannot tell.
DWORD allocatedRanges(HANDLE file, std::uint64_t size, std::vector<ByteRange>& ranges) {
  std::vector<FILE_ALLOCATED_RANGE_BUFFER> found(256);
  const auto ask = [&](std::uint64_t from) {
    FILE_ALLOCATED_RANGE_BUFFER asked{};
    asked.FileOffset.QuadPart = static_cast<LONGLONG>(from);
    asked.Length.QuadPart = static_cast<LONGLONG>(size - from);
    DWORD bytes = 0;
    const BOOL all =
        ::DeviceIoControl(file, FSCTL_QUERY_ALLOCATED_RANGES, &asked, sizeof asked, found.data(),
                          static_cast<DWORD>(found.size() * sizeof found[0]), &bytes, nullptr);
    const DWORD error = all ? ERROR_SUCCESS : ::GetLastError();
    base::RangePage page;
    page.unknown = error == ERROR_INVALID_FUNCTION || error == ERROR_NOT_SUPPORTED;
    page.more = error == ERROR_MORE_DATA;
    page.error = page.more || page.unknown ? ERROR_SUCCESS : error;
    for (DWORD i = 0; i < bytes / sizeof found[0]; ++i) {
      page.ranges.push_back({static_cast<std::uint64_t>(found[i].FileOffset.QuadPart),
                             static_cast<std::uint64_t>(found[i].Length.QuadPart)});
    }
    return page;
  };
  return base::collectRanges(size, ask, ranges);
}

// FILE_STREAM_INFORMATION, one record of the stream listing.
struct StreamRecord {
  ULONG next;
  ULONG nameBytes;
  LARGE_INTEGER size;
  LARGE_INTEGER allocated;
  WCHAR name[1];
};

// The file's stream listing; false with the error in `error` where it cannot be read.
bool listStreams(HANDLE file, std::vector<LONGLONG>& buffer, DWORD& error) {
  error = ERROR_SUCCESS;
  for (buffer.assign(512, 0);; buffer.resize(buffer.size() * 2)) {
    const auto bytes = static_cast<ULONG>(buffer.size() * sizeof(LONGLONG));
    const nt::NtStatus status =
        nt::queryInformation(file, buffer.data(), bytes, nt::kStreamInformation);
    if (status >= 0 && status != nt::kStatusBufferOverflow) return true;
    if (status == nt::kStatusBufferOverflow || status == nt::kStatusBufferTooSmall) continue;
    // A system or volume that keeps no streams says so with one of these.
    if (status == nt::kStatusNotImplemented || status == nt::kStatusInvalidInfoClass ||
        status == nt::kStatusInvalidParameter || status == nt::kStatusNotSupported) {
      buffer.clear();
      return true;
    }
    error = nt::errorOf(status);
    return false;
  }
}

}  // namespace

DWORD copyRanges(HANDLE from, HANDLE to, std::uint64_t size, const std::vector<ByteRange>& ranges,
                 bool sparse, const platform::CopyProgress& progress) {
  DWORD unused = 0;
  FILE_END_OF_FILE_INFO end{};
  end.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
  if (sparse &&
      !::DeviceIoControl(to, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &unused, nullptr)) {
    return ::GetLastError();
  }
  // Its whole length at once: the file system finds it one run of clusters, not many.
  if (!::SetFileInformationByHandle(to, FileEndOfFileInfo, &end, sizeof end)) {
    return ::GetLastError();
  }
  std::vector<char> buffer(static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, size)));
  for (const ByteRange& range : ranges) {
    const std::uint64_t stop = std::min(range.offset + range.length, size);
    for (std::uint64_t at = range.offset; at < stop;) {
      OVERLAPPED where{};
      where.Offset = static_cast<DWORD>(at);
      where.OffsetHigh = static_cast<DWORD>(at >> 32);
      DWORD got = 0;
      const auto wanted = static_cast<DWORD>(std::min<std::uint64_t>(kChunk, stop - at));
      if (!::ReadFile(from, buffer.data(), wanted, &got, &where)) return ::GetLastError();
      if (got == 0) return ERROR_HANDLE_EOF;  // cut short meanwhile
      const auto data = buffer.begin();
      if (!sparse || std::any_of(data, data + got, [](char byte) { return byte != 0; })) {
        DWORD written = 0;
        if (!::WriteFile(to, buffer.data(), got, &written, &where)) return ::GetLastError();
        if (written != got) return ERROR_WRITE_FAULT;
      }
      at += got;
      if (!progress(at)) return ERROR_CANCELLED;
    }
  }
  return ERROR_SUCCESS;
}

DWORD copyContents(HANDLE from, HANDLE to, std::uint64_t size, bool sparse,
                   const platform::CopyProgress& progress) {
  std::vector<ByteRange> ranges{{0, size}};
  if (sparse) {
    if (const DWORD error = allocatedRanges(from, size, ranges); error) return error;
  }
  return copyRanges(from, to, size, ranges, sparse, progress);
}

DWORD copyNamedStreams(HANDLE from, HANDLE to) {
  std::vector<LONGLONG> listing;
  DWORD error = ERROR_SUCCESS;
  if (!listStreams(from, listing, error)) return error;
  if (listing.empty()) return ERROR_SUCCESS;
  const auto quiet = [](std::uint64_t) { return true; };
  for (const auto* bytes = reinterpret_cast<const std::uint8_t*>(listing.data());;) {
    const auto* record = reinterpret_cast<const StreamRecord*>(bytes);
    const std::wstring_view name(record->name, record->nameBytes / sizeof(wchar_t));
    if (!name.empty() && name != L"::$DATA") {
      // Each stream opened through the file's own handle: the name is never looked up again.
      nt::UniqueFileHandle source, copy;
      nt::NtStatus status = nt::openInside(from, name, GENERIC_READ, FILE_SHARE_READ,
                                           nt::kOpenExisting, nt::kFileOnly, source);
      if (status >= 0) {
        status = nt::openInside(to, name, GENERIC_READ | GENERIC_WRITE, 0, nt::kCreateNew,
                                nt::kFileOnly, copy);
      }
      if (status < 0) return nt::errorOf(status);
      const auto size = static_cast<std::uint64_t>(record->size.QuadPart);
      if (const DWORD failed = copyContents(source.get(), copy.get(), size, false, quiet); failed) {
        return failed;
      }
    }
    if (!record->next) return ERROR_SUCCESS;
    bytes += record->next;
  }
}

}  // namespace mirafold::win32
