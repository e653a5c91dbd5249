#pragma once
// A link in a moved tree made again from its own reparse bytes.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/win32/handles.h"
#include "platform/move_file_system.h"
#include "platform/win32/system/entry_security.h"

namespace mirafold::win32 {

struct LinkOriginal {
  FILE_BASIC_INFO basic{};
  std::vector<std::uint8_t> data;  // its reparse bytes
  bool withSecurity = false;       // its volume keeps permissions
  EntrySecurity security;
};

// Makes the new entry at the link's place, nothing there before: a file or a folder as `options`
// (base/win32/nt_files.h) say, opened with `access`.
using EntryMaker = std::function<platform::MoveStatus(ULONG options, DWORD access,
                                                      base::win32::UniqueFileHandle& made)>;

// `to` made a link with `original`'s bytes, a folder link on a folder, a file link on a file,
// through the handle `make` gives, which is kept in `link` (with `access` besides) for its times
// and permissions; nothing left where the system refuses them. A symbolic link that needs a
// privilege this process lacks is made by the system from its stored target instead (developer
// mode lets it), by its path: `link` is then left empty.
platform::MoveStatus makeLinkFromBytes(const std::wstring& to, const LinkOriginal& original,
                                       const EntryMaker& make, DWORD access,
                                       base::win32::UniqueFileHandle& link);

}  // namespace mirafold::win32
