#pragma once
// What the move reads and changes of an entry through a handle: a folder's entries through the
// folder's own handle, one entry of a folder, a deletion, a rename into a folder held open, the
// attributes. Nothing here looks a path up.

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/move_file_system.h"

namespace mirafold::win32 {

// An entry as a listing gives it: its tag is the reparse point's (0 for none, and for Wine's
// host links).
platform::EntryInfo listedInfo(DWORD attributes, DWORD tag, std::uint64_t size,
                               std::uint64_t creation, std::uint64_t lastWrite);

// Opened on the entry itself (not what it leads to), the handle is a link's: a junction, a
// symbolic link or another name surrogate (a cloud file's reparse point is none). Also when the
// system cannot tell.
bool isLinkItself(HANDLE entry);

// Two names of one entry, as the file system compares them (without regard to case).
bool sameName(std::wstring_view a, std::wstring_view b);

// Wine 8 opens what a host link leads to even when asked for the link itself (and then deletes
// or renames that): an opening reached the entry itself only where it really is where its
// folder and name say.
bool reachedItself(HANDLE opened, const std::wstring& expected);

// `folder`'s entries, "." and ".." left out; a Win32 error, or 0.
DWORD listThrough(HANDLE folder, std::vector<platform::FolderEntry>& entries);

// The entry `name` of the folder opened as `folder` (a handle of its own: a search for one
// name binds the handle to that name), as the folder's listing shows it; kind Missing when none.
DWORD findThrough(HANDLE folder, std::wstring_view name, platform::EntryInfo& info);

// Deleted through the handle opened on the entry itself with DELETE and FILE_READ_ATTRIBUTES
// (and FILE_WRITE_ATTRIBUTES, for a read-only entry on a system that cannot ignore it).
DWORD deleteThrough(HANDLE entry);

// The entry opened with DELETE renamed to `name` inside the folder open as `folder`; never
// replaces.
DWORD renameThrough(HANDLE entry, HANDLE folder, std::wstring_view name);

// FILE_WRITE_ATTRIBUTES; attributes the system does not let anyone set are left out.
DWORD setAttributesThrough(HANDLE entry, DWORD attributes);

}  // namespace mirafold::win32
