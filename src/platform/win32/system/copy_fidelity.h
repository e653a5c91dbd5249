#pragma once
// What a copy carries besides its bytes, asked of and given through handles: the entry's own
// attributes and times, the volume's abilities, compression, named streams, the volume's identity.

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "base/win32/handles.h"
#include "platform/move_file_system.h"

namespace mirafold::win32 {

// The attributes an entry's basic information sets; those of its kind come with its making, and
// compression and sparseness with their own calls.
inline constexpr DWORD kSettableAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                             FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                             FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// The entry itself, never what a link leads to, with backup semantics (a folder opens; with the
// backup and restore privileges on, their rights apply). By path: only for what no held folder
// holds.
base::win32::UniqueFileHandle openCopyEntry(const std::wstring& path, DWORD access);

// The entry's attributes, times included, as the system keeps them.
bool basicInfoOf(HANDLE entry, FILE_BASIC_INFO& info);

// The volume flags (FILE_NAMED_STREAMS, FILE_SUPPORTS_SPARSE_FILES, ...) of the entry's volume;
// 0 when they cannot be read.
DWORD volumeFlagsOf(HANDLE entry);

// The file or folder compressed by the file system, as its original is: ERROR_SUCCESS, or the
// system's error. `entry` is open with FILE_READ_DATA | FILE_WRITE_DATA.
DWORD compress(HANDLE entry);

// Named data streams besides the contents.
platform::MoveStatus findNamedStreams(const std::wstring& file, bool& has);

// Equal for every entry on one volume and different between volumes, even between two cloned
// disks, which share a 32-bit serial: the volume's 64-bit serial, else its volume GUID path.
// Both handles name the same entry, told by the volume's 64-bit serial and the entry's 128-bit
// number (FILE_ID_INFO); empty where the system gives neither.
std::optional<bool> sameEntry(HANDLE a, HANDLE b);

std::wstring volumeIdentity(HANDLE entry, const std::wstring& root);

}  // namespace mirafold::win32
