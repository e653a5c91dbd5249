#include "platform/win32/system/sparse_copy.h"

#include <winioctl.h>

#include <algorithm>
#include <optional>

#include "base/win32/exported.h"
#include "base/win32/handles.h"
#include "platform/win32/system/copy_fidelity.h"
#include "platform/win32/system/durable_file.h"
#include "platform/win32/system/full_path.h"

namespace mirafold::win32 {
namespace {

using platform::MoveStatus;

constexpr DWORD kChunk = 1u << 20;
constexpr DWORD kEnableSparseCopy = 0x20000000;  // COPY_FILE_ENABLE_SPARSE_COPY

struct CopyContext {
  const platform::CopyProgress& progress;
  bool threw = false;
};

COPYFILE2_MESSAGE_ACTION CALLBACK onChunk(const COPYFILE2_MESSAGE* message, PVOID data) {
  auto* context = static_cast<CopyContext*>(data);
  if (message->Type != COPYFILE2_CALLBACK_CHUNK_FINISHED) return COPYFILE2_PROGRESS_CONTINUE;
  // No exception may unwind through the system's copy loop.
  try {
    const auto copied = message->Info.ChunkFinished.uliTotalBytesTransferred.QuadPart;
    return context->progress(static_cast<std::uint64_t>(copied)) ? COPYFILE2_PROGRESS_CONTINUE
                                                                 : COPYFILE2_PROGRESS_CANCEL;
  } catch (...) {
    context->threw = true;
    return COPYFILE2_PROGRESS_CANCEL;
  }
}

// Nothing where the system's CopyFile2 is missing (before Windows 8, and Wine) or knows no
// sparse copy (before Windows 11 22H2, which refuses the flag as an invalid argument).
std::optional<MoveStatus> copyWithSystem(const std::wstring& from, const std::wstring& to,
                                         const platform::CopyProgress& progress) {
  using CopyFile2Function = HRESULT(WINAPI*)(PCWSTR, PCWSTR, COPYFILE2_EXTENDED_PARAMETERS*);
  const auto copy = base::win32::exportedFunction<CopyFile2Function>(L"kernel32.dll", "CopyFile2");
  if (!copy) return std::nullopt;
  CopyContext context{progress};
  COPYFILE2_EXTENDED_PARAMETERS parameters{
      sizeof parameters, COPY_FILE_FAIL_IF_EXISTS | kEnableSparseCopy, nullptr, onChunk, &context};
  const HRESULT result = copy(callablePath(from).c_str(), callablePath(to).c_str(), &parameters);
  if (SUCCEEDED(result)) return MoveStatus::success();
  if (result == E_INVALIDARG) return std::nullopt;
  const DWORD error =
      HRESULT_FACILITY(result) == FACILITY_WIN32 ? HRESULT_CODE(result) : ERROR_GEN_FAILURE;
  if (error == ERROR_REQUEST_ABORTED && !context.threw) {
    return MoveStatus{MoveStatus::Code::Cancelled, {}, {}};
  }
  return statusOf(error, error == ERROR_SHARING_VIOLATION ? from : to);
}

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

// A file this copy makes, deleted again unless kept: a failed, cancelled or abandoned copy
// leaves nothing.
class NewFile {
 public:
  explicit NewFile(const std::wstring& path)
      : file_(::CreateFileW(callablePath(path).c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0,
                            nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  NewFile(const NewFile&) = delete;
  NewFile& operator=(const NewFile&) = delete;
  ~NewFile() {
    if (!file_ || kept_) return;
    FILE_DISPOSITION_INFO gone{TRUE};
    ::SetFileInformationByHandle(file_.get(), FileDispositionInfo, &gone, sizeof gone);
  }
  explicit operator bool() const { return static_cast<bool>(file_); }
  HANDLE get() const { return file_.get(); }
  void keep() { kept_ = true; }

 private:
  base::win32::UniqueFileHandle file_;
  bool kept_ = false;
};

base::win32::UniqueFileHandle openToRead(const std::wstring& path) {
  return base::win32::UniqueFileHandle(::CreateFileW(callablePath(path).c_str(), GENERIC_READ,
                                                     FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                                     FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
}

// `from`'s contents, or one of its named streams (":name:$DATA"), into the same in `to`.
DWORD copyStream(const std::wstring& from, const std::wstring& to, const std::wstring& stream,
                 const platform::CopyProgress& progress, NewFile* main = nullptr) {
  const base::win32::UniqueFileHandle source = openToRead(from + stream);
  if (!source) return ::GetLastError();
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(source.get(), &size)) return ::GetLastError();
  std::vector<ByteRange> ranges;
  if (const DWORD error = allocatedRanges(source.get(), size.QuadPart, ranges); error) {
    return error;
  }
  if (main) return copyRanges(source.get(), main->get(), size.QuadPart, ranges, progress);
  NewFile copy(to + stream);
  if (!copy) return ::GetLastError();
  const DWORD error = copyRanges(source.get(), copy.get(), size.QuadPart, ranges, progress);
  if (!error) copy.keep();
  return error;
}

DWORD copyNamedStreams(const std::wstring& from, const std::wstring& to) {
  WIN32_FIND_STREAM_DATA stream{};
  const base::win32::UniqueFindHandle search(
      ::FindFirstStreamW(callablePath(from).c_str(), FindStreamInfoStandard, &stream, 0));
  if (!search) return ::GetLastError() == ERROR_HANDLE_EOF ? ERROR_SUCCESS : ::GetLastError();
  const platform::CopyProgress quiet = [](std::uint64_t) { return true; };
  do {
    const std::wstring name = stream.cStreamName;
    if (name == L"::$DATA") continue;
    if (const DWORD error = copyStream(from, to, name, quiet); error) return error;
  } while (::FindNextStreamW(search.get(), &stream));
  return ::GetLastError() == ERROR_HANDLE_EOF ? ERROR_SUCCESS : ::GetLastError();
}

}  // namespace

DWORD copyRanges(HANDLE from, HANDLE to, std::uint64_t size, const std::vector<ByteRange>& ranges,
                 const platform::CopyProgress& progress) {
  DWORD unused = 0;
  FILE_END_OF_FILE_INFO end{};
  end.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
  if (!::DeviceIoControl(to, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &unused, nullptr) ||
      !::SetFileInformationByHandle(to, FileEndOfFileInfo, &end, sizeof end)) {
    return ::GetLastError();
  }
  std::vector<char> buffer(kChunk);
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
      if (std::any_of(data, data + got, [](char byte) { return byte != 0; })) {
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

MoveStatus copySparseFile(const std::wstring& from, const std::wstring& to,
                          const platform::CopyProgress& progress) {
  if (auto done = copyWithSystem(from, to, progress)) return *done;
  FILE_BASIC_INFO basic{};
  {
    const base::win32::UniqueFileHandle source = openToRead(from);
    if (!source ||
        !::GetFileInformationByHandleEx(source.get(), FileBasicInfo, &basic, sizeof basic)) {
      return lastStatus(from);
    }
  }
  NewFile copy(to);
  if (!copy) return lastStatus(to);
  DWORD error = copyStream(from, to, {}, progress, &copy);
  if (!error) error = copyNamedStreams(from, to);
  FILE_BASIC_INFO kept{};
  kept.LastWriteTime = basic.LastWriteTime;
  const DWORD attributes = basic.FileAttributes & kSettableAttributes;
  kept.FileAttributes = attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
  if (!error && !::SetFileInformationByHandle(copy.get(), FileBasicInfo, &kept, sizeof kept)) {
    error = ::GetLastError();
  }
  if (error == ERROR_CANCELLED) return {MoveStatus::Code::Cancelled, {}, {}};
  if (error) return statusOf(error, error == ERROR_SHARING_VIOLATION ? from : to);
  copy.keep();
  return MoveStatus::success();
}

}  // namespace mirafold::win32
