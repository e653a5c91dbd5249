#include "base/win32/nt_files.h"

#include <winternl.h>

#include "base/win32/exported.h"

namespace mirafold::base::win32 {
namespace {

using CreateFile = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK,
                                    PLARGE_INTEGER, ULONG, ULONG, ULONG, ULONG, PVOID, ULONG);
using SetInformationFile = NTSTATUS(NTAPI*)(HANDLE, PIO_STATUS_BLOCK, PVOID, ULONG, int);
using QueryDirectoryFile = NTSTATUS(NTAPI*)(HANDLE, HANDLE, PVOID, PVOID, PIO_STATUS_BLOCK, PVOID,
                                            ULONG, int, BOOLEAN, PUNICODE_STRING, BOOLEAN);
using QueryInformationFile = NTSTATUS(NTAPI*)(HANDLE, PIO_STATUS_BLOCK, PVOID, ULONG, int);
using StatusToError = ULONG(NTAPI*)(NTSTATUS);

constexpr ULONG kSynchronous = 0x20;      // FILE_SYNCHRONOUS_IO_NONALERT
constexpr ULONG kForBackup = 0x4000;      // FILE_OPEN_FOR_BACKUP_INTENT
constexpr ULONG kCaseInsensitive = 0x40;  // OBJ_CASE_INSENSITIVE

template <typename Function>
Function fromNtdll(const char* name) {
  return exportedFunction<Function>(L"ntdll.dll", name);
}

UNICODE_STRING counted(std::wstring_view text) {
  const auto bytes = static_cast<USHORT>(text.size() * sizeof(wchar_t));
  return {bytes, bytes, const_cast<PWSTR>(text.data())};
}

}  // namespace

NtStatus openInside(HANDLE folder, std::wstring_view name, ACCESS_MASK access, ULONG share,
                    ULONG disposition, ULONG options, UniqueFileHandle& opened,
                    PSECURITY_DESCRIPTOR security, ULONG attributes) {
  static const auto create = fromNtdll<CreateFile>("NtCreateFile");
  UNICODE_STRING text = counted(name);
  OBJECT_ATTRIBUTES object{};
  object.Length = sizeof object;
  object.RootDirectory = folder;
  object.ObjectName = &text;
  object.Attributes = kCaseInsensitive;
  object.SecurityDescriptor = security;
  IO_STATUS_BLOCK io{};
  HANDLE handle = nullptr;
  const NTSTATUS status =
      create(&handle, access | SYNCHRONIZE, &object, &io, nullptr, attributes, share, disposition,
             options | kSynchronous | kForBackup, nullptr, 0);
  opened = UniqueFileHandle(status >= 0 ? handle : INVALID_HANDLE_VALUE);
  return status;
}

NtStatus setInformation(HANDLE entry, const void* information, ULONG size, int informationClass) {
  static const auto set = fromNtdll<SetInformationFile>("NtSetInformationFile");
  IO_STATUS_BLOCK io{};
  return set(entry, &io, const_cast<void*>(information), size, informationClass);
}

NtStatus readFolder(HANDLE folder, void* buffer, ULONG size, bool restart,
                    const std::wstring_view* only, int informationClass) {
  static const auto query = fromNtdll<QueryDirectoryFile>("NtQueryDirectoryFile");
  UNICODE_STRING mask = only ? counted(*only) : UNICODE_STRING{};
  IO_STATUS_BLOCK io{};
  return query(folder, nullptr, nullptr, nullptr, &io, buffer, size, informationClass,
               only != nullptr, only ? &mask : nullptr, restart);
}

NtStatus queryInformation(HANDLE entry, void* information, ULONG size, int informationClass) {
  static const auto query = fromNtdll<QueryInformationFile>("NtQueryInformationFile");
  IO_STATUS_BLOCK io{};
  return query(entry, &io, information, size, informationClass);
}

std::optional<LONGLONG> indexOf(HANDLE entry) {
  constexpr int kInternalInformation = 6;
  LARGE_INTEGER index{};
  if (queryInformation(entry, &index, sizeof index, kInternalInformation) < 0) return std::nullopt;
  return index.QuadPart;
}

DWORD errorOf(NtStatus status) {
  static const auto toError = fromNtdll<StatusToError>("RtlNtStatusToDosError");
  return toError(status);
}

}  // namespace mirafold::base::win32
