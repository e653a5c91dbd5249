#pragma once
// The native file calls that take a folder's handle where the Win32 ones take a path: an entry
// opened or created by its name inside a folder held open, information set on a handle (a
// rename relative to another folder's handle, a deletion), a folder's entries read through its
// handle. ntdll exports them on every Windows and under Wine.

#include <windows.h>

#include <optional>
#include <string_view>

#include "base/win32/handles.h"

namespace mirafold::base::win32 {

using NtStatus = LONG;

inline constexpr NtStatus kStatusSuccess = 0;
inline constexpr NtStatus kStatusBufferOverflow = static_cast<NtStatus>(0x80000005);
inline constexpr NtStatus kStatusNoMoreFiles = static_cast<NtStatus>(0x80000006);
inline constexpr NtStatus kStatusNotImplemented = static_cast<NtStatus>(0xC0000002);
inline constexpr NtStatus kStatusInvalidInfoClass = static_cast<NtStatus>(0xC0000003);
inline constexpr NtStatus kStatusInvalidParameter = static_cast<NtStatus>(0xC000000D);
inline constexpr NtStatus kStatusNoSuchFile = static_cast<NtStatus>(0xC000000F);
inline constexpr NtStatus kStatusAccessDenied = static_cast<NtStatus>(0xC0000022);
inline constexpr NtStatus kStatusBufferTooSmall = static_cast<NtStatus>(0xC0000023);
inline constexpr NtStatus kStatusNotSupported = static_cast<NtStatus>(0xC00000BB);
inline constexpr NtStatus kStatusNotADirectory = static_cast<NtStatus>(0xC0000103);
inline constexpr NtStatus kStatusCannotDelete = static_cast<NtStatus>(0xC0000121);

// The Win32 error of an opening that met a link where none may be (ERROR_REPARSE_POINT_ENCOUNTERED,
// which the headers give only to newer systems).
inline constexpr DWORD kErrorLinkOnTheWay = 4395;

// The information classes the move sets or reads through a handle.
inline constexpr int kRenameInformation = 10;
inline constexpr int kDispositionInformation = 13;
inline constexpr int kFullDirectoryInformation = 2;
inline constexpr int kIdFullDirectoryInformation = 38;  // the same, and each file's number
inline constexpr int kDispositionInformationEx = 64;
inline constexpr int kStreamInformation = 22;

// Options of an opening (NtCreateFile's CreateOptions).
inline constexpr ULONG kFolderOnly = 0x1;        // FILE_DIRECTORY_FILE
inline constexpr ULONG kFileOnly = 0x40;         // FILE_NON_DIRECTORY_FILE
inline constexpr ULONG kEntryItself = 0x200000;  // FILE_OPEN_REPARSE_POINT: a link, not its target

// How an opening treats an existing entry (NtCreateFile's CreateDisposition).
inline constexpr ULONG kOpenExisting = 1;  // FILE_OPEN
inline constexpr ULONG kCreateNew = 2;     // FILE_CREATE

// `name`, one component (or empty: `folder` itself again), opened inside `folder`, the name
// never looked up anywhere else; a named stream (":name:$DATA") when `folder` is a file.
// Synchronous; for backup where the token has the privilege. `security` and `attributes` are
// given to an entry this creates.
NtStatus openInside(HANDLE folder, std::wstring_view name, ACCESS_MASK access, ULONG share,
                    ULONG disposition, ULONG options, UniqueFileHandle& opened,
                    PSECURITY_DESCRIPTOR security = nullptr,
                    ULONG attributes = FILE_ATTRIBUTE_NORMAL);

NtStatus setInformation(HANDLE entry, const void* information, ULONG size, int informationClass);
NtStatus queryInformation(HANDLE entry, void* information, ULONG size, int informationClass);

// One batch of `folder`'s entries as FILE_FULL_DIR_INFORMATION records (or those of
// `informationClass`) into `buffer`; from the first entry when `restart`; only the entry named
// `only` when it is given. kStatusNoMoreFiles after the last one.
NtStatus readFolder(HANDLE folder, void* buffer, ULONG size, bool restart,
                    const std::wstring_view* only = nullptr,
                    int informationClass = kFullDirectoryInformation);

// The entry's number on its volume (FileInternalInformation): cheaper under Wine than
// GetFileInformationByHandle, which also asks for the volume. Nothing when it cannot be read.
std::optional<LONGLONG> indexOf(HANDLE entry);

// The Win32 error for a native status, as the Win32 calls would have set it.
DWORD errorOf(NtStatus status);

}  // namespace mirafold::base::win32
