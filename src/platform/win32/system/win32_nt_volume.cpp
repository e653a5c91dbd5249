#include "platform/win32/system/win32_nt_volume.h"

#include <windows.h>
#include <winternl.h>

#include "base/win32/exported.h"

namespace mirafold::win32 {
namespace {

using RtlInitUnicodeStringFn = VOID(NTAPI*)(PUNICODE_STRING, PCWSTR);
using NtCreateFileFn = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK,
                                        PLARGE_INTEGER, ULONG, ULONG, ULONG, ULONG, PVOID, ULONG);
using NtQueryVolumeInformationFileFn = NTSTATUS(NTAPI*)(HANDLE, PIO_STATUS_BLOCK, PVOID, ULONG,
                                                        int);
using NtCloseFn = NTSTATUS(NTAPI*)(HANDLE);

struct Ntdll {
  RtlInitUnicodeStringFn initUnicodeString;
  NtCreateFileFn createFile;
  NtQueryVolumeInformationFileFn queryVolumeInformationFile;
  NtCloseFn close;
};

const Ntdll& ntdll() {
  static const Ntdll functions = [] {
    return Ntdll{
        base::win32::exportedFunction<RtlInitUnicodeStringFn>(L"ntdll.dll", "RtlInitUnicodeString"),
        base::win32::exportedFunction<NtCreateFileFn>(L"ntdll.dll", "NtCreateFile"),
        base::win32::exportedFunction<NtQueryVolumeInformationFileFn>(
            L"ntdll.dll", "NtQueryVolumeInformationFile"),
        base::win32::exportedFunction<NtCloseFn>(L"ntdll.dll", "NtClose")};
  }();
  return functions;
}

constexpr NTSTATUS kStatusProcedureNotFound = static_cast<NTSTATUS>(0xC000007A);

}  // namespace

platform::NtStatus Win32NtVolume::createFile(const platform::NtOpenArguments& arguments,
                                             platform::NtHandle& handle) {
  const Ntdll& nt = ntdll();
  if (!nt.initUnicodeString || !nt.createFile) return kStatusProcedureNotFound;
  // The counted string points into arguments.ntPath, which outlives the call.
  UNICODE_STRING name;
  nt.initUnicodeString(&name, arguments.ntPath.c_str());
  OBJECT_ATTRIBUTES attributes{};
  attributes.Length = sizeof attributes;
  attributes.RootDirectory = nullptr;
  attributes.ObjectName = &name;
  attributes.Attributes = arguments.objectAttributes;
  IO_STATUS_BLOCK io{};
  LARGE_INTEGER allocation{};
  allocation.QuadPart = static_cast<LONGLONG>(arguments.allocationSize);
  HANDLE opened = nullptr;
  const NTSTATUS status = nt.createFile(
      &opened, arguments.desiredAccess, &attributes, &io, &allocation, arguments.fileAttributes,
      arguments.shareAccess, arguments.createDisposition, arguments.createOptions, nullptr, 0);
  if (status == 0) handle = reinterpret_cast<platform::NtHandle>(opened);
  return status;
}

platform::NtStatus Win32NtVolume::queryVolumeInformation(platform::NtHandle handle,
                                                         std::span<std::uint8_t> buffer,
                                                         std::uint32_t length,
                                                         int informationClass) {
  const Ntdll& nt = ntdll();
  if (!nt.queryVolumeInformationFile || length > buffer.size()) return kStatusProcedureNotFound;
  IO_STATUS_BLOCK io{};
  return nt.queryVolumeInformationFile(reinterpret_cast<HANDLE>(handle), &io, buffer.data(), length,
                                       informationClass);
}

void Win32NtVolume::close(platform::NtHandle handle) {
  if (ntdll().close) ntdll().close(reinterpret_cast<HANDLE>(handle));
}

}  // namespace mirafold::win32
