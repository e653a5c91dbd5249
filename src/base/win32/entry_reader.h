#pragma once
// The one reading of what an entry on disk is (base/entry_reading.h), asked of the system: from a
// path, from a handle open on the entry, from what a folder listing found.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/entry_reading.h"

namespace mirafold::base::win32 {

// The entry itself, never what a link leads to. `path` is in the form file calls take (the caller
// adds the long-path prefix). Missing when nothing is there; Unreadable with the system's error
// when the entry, its bytes or a host link's target cannot be read.
EntryReading readEntry(const std::wstring& path);

// The same, on a handle opened on the entry itself (FILE_FLAG_OPEN_REPARSE_POINT) with
// FILE_READ_ATTRIBUTES: what is read is what the handle holds. A host link's target is not
// looked for here.
EntryReading readEntry(HANDLE entry);

// From a listing's entry: its attributes, and its tag in dwReserved0. A mount point is taken for a
// junction (only its bytes tell a volume's apart).
EntryKind listedKind(const WIN32_FIND_DATAW& found);

// The entry's reparse bytes as the file system keeps them: ERROR_SUCCESS, or the system's error
// (ERROR_NOT_A_REPARSE_POINT for none, as for Wine's host links).
DWORD readReparseData(HANDLE entry, std::vector<std::uint8_t>& data);

// Asked once a process: Wine stands in a host symbolic link, without a tag, for every link.
bool hostLinksStandIn();

}  // namespace mirafold::base::win32
