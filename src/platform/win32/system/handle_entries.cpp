#include "platform/win32/system/handle_entries.h"

#include <winternl.h>

#include <atomic>
#include <cstring>

#include "base/win32/entry_reader.h"
#include "base/win32/final_path.h"
#include "base/win32/nt_files.h"
#include "platform/entry_reading.h"

namespace mirafold::win32 {
namespace {

namespace nt = base::win32;

constexpr DWORD kSettableAttributes = 0x31A7;  // FILE_ATTRIBUTE_VALID_SET_FLAGS

std::uint64_t ticksOf(const LARGE_INTEGER& time) {
  return static_cast<std::uint64_t>(time.QuadPart);
}

// Calls `each` for every record of one batch.
template <typename Each>
void forEachRecord(const void* batch, Each each) {
  const auto* bytes = static_cast<const std::uint8_t*>(batch);
  for (;;) {
    const auto* record = reinterpret_cast<const FILE_FULL_DIR_INFORMATION*>(bytes);
    each(*record, std::wstring_view(record->FileName, record->FileNameLength / sizeof(wchar_t)));
    if (!record->NextEntryOffset) return;
    bytes += record->NextEntryOffset;
  }
}

platform::EntryInfo infoOf(const FILE_FULL_DIR_INFORMATION& record) {
  // A reparse point's tag stands where the size of its extended attributes would.
  const DWORD tag = (record.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ? record.EaSize : 0;
  return listedInfo(record.FileAttributes, tag, ticksOf(record.EndOfFile),
                    ticksOf(record.CreationTime), ticksOf(record.LastWriteTime));
}

// Windows before 10 1709, and Wine 8, lack the deletion that ignores read-only and takes the
// name away at once: asked once, then the classic one.
std::atomic<bool> classicDeletionOnly{false};

}  // namespace

platform::EntryInfo listedInfo(DWORD attributes, DWORD tag, std::uint64_t size,
                               std::uint64_t creation, std::uint64_t lastWrite) {
  const bool tagless = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) && !tag;
  const base::EntryKind kind =
      base::listedKind(attributes, tag, tagless && base::win32::hostLinksStandIn());
  return {platform::moveKindOf(kind, attributes),
          attributes,
          size,
          {creation, lastWrite},
          kind == base::EntryKind::CloudPlaceholder,
          (attributes & FILE_ATTRIBUTE_REPARSE_POINT) ? tag : 0};
}

bool isLinkItself(HANDLE entry) {
  FILE_ATTRIBUTE_TAG_INFO info{};
  if (!::GetFileInformationByHandleEx(entry, FileAttributeTagInfo, &info, sizeof info)) return true;
  return (info.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
         base::isLink(base::listedKind(info.FileAttributes, info.ReparseTag, false));
}

bool sameName(std::wstring_view a, std::wstring_view b) {
  return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

bool reachedItself(HANDLE opened, const std::wstring& expected) {
  const auto real = nt::finalPathOf(opened);
  return real && sameName(*real, expected);
}

DWORD listThrough(HANDLE folder, std::vector<platform::FolderEntry>& entries) {
  entries.clear();
  std::vector<LONGLONG> batch(64 * 1024 / sizeof(LONGLONG));
  const auto size = static_cast<ULONG>(batch.size() * sizeof(LONGLONG));
  for (bool first = true;; first = false) {
    const nt::NtStatus status = nt::readFolder(folder, batch.data(), size, first);
    if (status == nt::kStatusNoMoreFiles) return 0;
    if (status < 0) return nt::errorOf(status);
    forEachRecord(batch.data(),
                  [&](const FILE_FULL_DIR_INFORMATION& record, std::wstring_view name) {
                    if (name == L"." || name == L"..") return;
                    entries.push_back({std::wstring(name), infoOf(record)});
                  });
  }
}

DWORD findThrough(HANDLE folder, std::wstring_view name, platform::EntryInfo& info) {
  info = {};
  std::vector<LONGLONG> batch((sizeof(FILE_FULL_DIR_INFORMATION) + 2 * 32768) / sizeof(LONGLONG));
  const auto size = static_cast<ULONG>(batch.size() * sizeof(LONGLONG));
  const nt::NtStatus status = nt::readFolder(folder, batch.data(), size, true, &name);
  if (status == nt::kStatusNoSuchFile || status == nt::kStatusNoMoreFiles) return 0;
  if (status < 0) return nt::errorOf(status);
  // The name is a pattern to the system: only the entry of exactly that name counts.
  forEachRecord(
      batch.data(), [&](const FILE_FULL_DIR_INFORMATION& record, std::wstring_view found) {
        if (info.kind == platform::EntryKind::Missing &&
            ::CompareStringOrdinal(found.data(), static_cast<int>(found.size()), name.data(),
                                   static_cast<int>(name.size()), TRUE) == CSTR_EQUAL) {
          info = infoOf(record);
        }
      });
  return 0;
}

DWORD deleteThrough(HANDLE entry) {
  if (!classicDeletionOnly.load()) {
    // FILE_DISPOSITION_FLAG_DELETE | _POSIX_SEMANTICS | _IGNORE_READONLY_ATTRIBUTE: the name
    // goes at once even while another program holds the entry, so its folder can go next.
    const ULONG flags = 0x1 | 0x2 | 0x10;
    const nt::NtStatus status =
        nt::setInformation(entry, &flags, sizeof flags, nt::kDispositionInformationEx);
    if (status >= 0) return 0;
    if (status == nt::kStatusNotImplemented || status == nt::kStatusInvalidInfoClass) {
      classicDeletionOnly.store(true);
    } else if (status != nt::kStatusInvalidParameter && status != nt::kStatusNotSupported) {
      // (Those two: a volume that has no such deletion, as FAT.)
      return nt::errorOf(status);
    }
  }
  const BOOLEAN remove = TRUE;
  const nt::NtStatus status =
      nt::setInformation(entry, &remove, sizeof remove, nt::kDispositionInformation);
  if (status >= 0) return 0;
  // A read-only entry refuses: its attribute is lifted, and put back if it still refuses.
  FILE_BASIC_INFO basic{};
  if (status != nt::kStatusCannotDelete ||
      !::GetFileInformationByHandleEx(entry, FileBasicInfo, &basic, sizeof basic) ||
      !(basic.FileAttributes & FILE_ATTRIBUTE_READONLY) ||
      setAttributesThrough(entry, basic.FileAttributes & ~DWORD{FILE_ATTRIBUTE_READONLY}) != 0) {
    return nt::errorOf(status);
  }
  const nt::NtStatus again =
      nt::setInformation(entry, &remove, sizeof remove, nt::kDispositionInformation);
  if (again >= 0) return 0;
  setAttributesThrough(entry, basic.FileAttributes);
  return nt::errorOf(again);
}

DWORD renameThrough(HANDLE entry, HANDLE folder, std::wstring_view name) {
  // Never shorter than the structure itself, which ends in room for one character: a shorter
  // length (a one-letter name) is refused as an invalid parameter.
  const auto size = static_cast<ULONG>(sizeof(FILE_RENAME_INFO) + name.size() * sizeof(wchar_t));
  std::vector<LONGLONG> buffer(size / sizeof(LONGLONG) + 1);
  auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  info->ReplaceIfExists = FALSE;
  info->RootDirectory = folder;
  info->FileNameLength = static_cast<DWORD>(name.size() * sizeof(wchar_t));
  std::memcpy(info->FileName, name.data(), name.size() * sizeof(wchar_t));
  const nt::NtStatus status = nt::setInformation(entry, info, size, nt::kRenameInformation);
  return status >= 0 ? 0 : nt::errorOf(status);
}

DWORD setAttributesThrough(HANDLE entry, DWORD attributes) {
  FILE_BASIC_INFO basic{};  // times of 0: left as they are
  basic.FileAttributes =
      (attributes & kSettableAttributes) ? attributes & kSettableAttributes : FILE_ATTRIBUTE_NORMAL;
  return ::SetFileInformationByHandle(entry, FileBasicInfo, &basic, sizeof basic)
             ? 0
             : ::GetLastError();
}

}  // namespace mirafold::win32
