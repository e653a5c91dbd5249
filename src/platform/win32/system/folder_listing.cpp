#include "platform/win32/system/folder_listing.h"

#include <windows.h>

#include <cstdint>
#include <string_view>

#include "base/win32/handles.h"
#include "base/win32/nt_files.h"
#include "platform/win32/system/durable_file.h"
#include "platform/win32/system/full_path.h"
#include "platform/win32/system/handle_entries.h"

namespace mirafold::win32 {
namespace {

namespace nt = base::win32;

// FILE_ID_FULL_DIR_INFORMATION, which the SDK's user-mode headers leave out.
struct IdFullRecord {
  ULONG NextEntryOffset;
  ULONG FileIndex;
  LARGE_INTEGER CreationTime, LastAccessTime, LastWriteTime, ChangeTime;
  LARGE_INTEGER EndOfFile, AllocationSize;
  ULONG FileAttributes;
  ULONG FileNameLength;
  ULONG EaSize;  // a reparse point's tag
  LARGE_INTEGER FileId;
  WCHAR FileName[1];
};

std::uint64_t ticksOf(const LARGE_INTEGER& value) {
  return static_cast<std::uint64_t>(value.QuadPart);
}

}  // namespace

platform::MoveStatus Win32FolderListing::list(const std::wstring& folder,
                                              std::vector<platform::FolderEntry>& entries) {
  const auto quiet = base::win32::quietErrorMode();
  entries.clear();
  const base::win32::UniqueFileHandle handle(
      ::CreateFileW(callablePath(folder).c_str(), FILE_LIST_DIRECTORY | SYNCHRONIZE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!handle) return lastStatus(folder);
  std::vector<LONGLONG> batch(64 * 1024 / sizeof(LONGLONG));
  const auto size = static_cast<ULONG>(batch.size() * sizeof(LONGLONG));
  for (bool first = true;; first = false) {
    const nt::NtStatus status = nt::readFolder(handle.get(), batch.data(), size, first, nullptr,
                                               nt::kIdFullDirectoryInformation);
    if (status == nt::kStatusNoMoreFiles) return platform::MoveStatus::success();
    if (status < 0) return statusOf(nt::errorOf(status), folder);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(batch.data());
    for (;;) {
      const auto& record = *reinterpret_cast<const IdFullRecord*>(bytes);
      const std::wstring_view name(record.FileName, record.FileNameLength / sizeof(wchar_t));
      if (name != L"." && name != L"..") {
        const DWORD tag =
            (record.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ? record.EaSize : 0;
        platform::EntryInfo info =
            listedInfo(record.FileAttributes, tag, ticksOf(record.EndOfFile),
                       ticksOf(record.CreationTime), ticksOf(record.LastWriteTime));
        info.fileId = ticksOf(record.FileId);
        info.allocated = ticksOf(record.AllocationSize);
        entries.push_back({std::wstring(name), info});
      }
      if (!record.NextEntryOffset) break;
      bytes += record.NextEntryOffset;
    }
  }
}

}  // namespace mirafold::win32
