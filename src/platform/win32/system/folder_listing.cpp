#include "platform/win32/system/folder_listing.h"

#include <windows.h>
#include <winternl.h>

#include <cstdint>
#include <string_view>

#include "base/win32/entry_reader.h"
#include "base/win32/final_path.h"
#include "base/win32/handles.h"
#include "base/win32/nt_files.h"
#include "platform/win32/system/durable_file.h"
#include "platform/win32/system/full_path.h"
#include "platform/win32/system/handle_entries.h"

namespace mirafold::win32 {
namespace {

namespace nt = base::win32;

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// Attributes read: to tell a link opened itself.
constexpr ACCESS_MASK kFolderAccess = FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES;

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

struct Opened final : platform::HeldFolder {
  nt::UniqueFileHandle handle;
  std::wstring final;  // under Wine: where the folder is, to tell a host link put in a place
};

std::uint64_t ticksOf(const LARGE_INTEGER& value) {
  return static_cast<std::uint64_t>(value.QuadPart);
}

template <typename Record>
void take(const void* batch, std::vector<platform::FolderEntry>& entries) {
  const auto* bytes = static_cast<const std::uint8_t*>(batch);
  for (;;) {
    const auto& record = *reinterpret_cast<const Record*>(bytes);
    const std::wstring_view name(record.FileName, record.FileNameLength / sizeof(wchar_t));
    if (name != L"." && name != L"..") {
      const DWORD tag = (record.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ? record.EaSize : 0;
      platform::EntryInfo info =
          listedInfo(record.FileAttributes, tag, ticksOf(record.EndOfFile),
                     ticksOf(record.CreationTime), ticksOf(record.LastWriteTime));
      if constexpr (requires { record.FileId; }) info.fileId = ticksOf(record.FileId);
      info.allocated = ticksOf(record.AllocationSize);
      entries.push_back({std::wstring(name), info});
    }
    if (!record.NextEntryOffset) return;
    bytes += record.NextEntryOffset;
  }
}

// The folder's entries, read through its handle.
nt::NtStatus readAll(HANDLE folder, std::vector<platform::FolderEntry>& entries) {
  std::vector<LONGLONG> batch(64 * 1024 / sizeof(LONGLONG));
  const auto size = static_cast<ULONG>(batch.size() * sizeof(LONGLONG));
  int informationClass = nt::kIdFullDirectoryInformation;
  for (bool first = true;; first = false) {
    nt::NtStatus status =
        nt::readFolder(folder, batch.data(), size, first, nullptr, informationClass);
    // A file system without file numbers (some redirectors, FAT under some drivers): listed
    // without, each file then counted at each of its names.
    if (first && (status == nt::kStatusInvalidInfoClass || status == nt::kStatusNotSupported ||
                  status == nt::kStatusNotImplemented)) {
      informationClass = nt::kFullDirectoryInformation;
      status = nt::readFolder(folder, batch.data(), size, first, nullptr, informationClass);
    }
    // No entry at all (an empty FAT root, some redirectors): an empty folder.
    if (status == nt::kStatusNoMoreFiles || (first && status == nt::kStatusNoSuchFile)) {
      return nt::kStatusSuccess;
    }
    if (status < 0) return status;
    if (informationClass == nt::kIdFullDirectoryInformation) {
      take<IdFullRecord>(batch.data(), entries);
    } else {
      take<FILE_FULL_DIR_INFORMATION>(batch.data(), entries);
    }
  }
}

}  // namespace

platform::MoveStatus Win32FolderListing::list(const std::wstring& folder,
                                              std::vector<platform::FolderEntry>& entries) {
  std::unique_ptr<platform::HeldFolder> held;
  return listInside(nullptr, folder, held, entries);
}

platform::MoveStatus Win32FolderListing::listInside(const platform::HeldFolder* parent,
                                                    const std::wstring& name,
                                                    std::unique_ptr<platform::HeldFolder>& held,
                                                    std::vector<platform::FolderEntry>& entries) {
  const auto quiet = base::win32::quietErrorMode();
  entries.clear();
  const bool underWine = base::win32::hostLinksStandIn();
  auto opened = std::make_unique<Opened>();
  if (parent) {
    const auto& outer = static_cast<const Opened&>(*parent);
    const nt::NtStatus status =
        nt::openInside(outer.handle.get(), name, kFolderAccess, kShareAll, nt::kOpenExisting,
                       nt::kFolderOnly | nt::kEntryItself, opened->handle);
    // No folder any more: a file, or a file link, put in its place.
    if (status == nt::kStatusNotADirectory) return statusOf(nt::kErrorLinkOnTheWay, name);
    if (status < 0) return statusOf(nt::errorOf(status), name);
    if (underWine) {
      opened->final = (outer.final.ends_with(L'\\') ? outer.final : outer.final + L'\\') + name;
    }
  } else {
    opened->handle.reset(
        ::CreateFileW(callablePath(name).c_str(), kFolderAccess, kShareAll, nullptr, OPEN_EXISTING,
                      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!opened->handle) return lastStatus(name);
    if (underWine) opened->final = nt::finalPathOf(opened->handle.get()).value_or(name);
  }
  if (underWine ? !reachedItself(opened->handle.get(), opened->final)
                : isLinkItself(opened->handle.get())) {
    return statusOf(nt::kErrorLinkOnTheWay, name);
  }
  const nt::NtStatus status = readAll(opened->handle.get(), entries);
  if (status < 0) {
    entries.clear();
    return statusOf(nt::errorOf(status), name);
  }
  held = std::move(opened);
  return platform::MoveStatus::success();
}

}  // namespace mirafold::win32
