#pragma once
// A link in a moved tree made again from its own reparse bytes.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/move_file_system.h"
#include "platform/win32/system/entry_security.h"

namespace mirafold::win32 {

struct LinkOriginal {
  FILE_BASIC_INFO basic{};
  std::vector<std::uint8_t> data;  // its reparse bytes
  bool withSecurity = false;       // its volume keeps permissions
  EntrySecurity security;
};

// `to` made a link with `original`'s bytes, a folder link on a folder, a file link on a file;
// nothing left where the system refuses them. A symbolic link that needs a privilege this process
// lacks is made by the system from its stored target instead (developer mode lets it).
platform::MoveStatus makeLinkFromBytes(const std::wstring& to, const LinkOriginal& original);

}  // namespace mirafold::win32
