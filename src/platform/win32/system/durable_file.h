#pragma once
// Small text files that survive a power cut whole or not at all: written beside their place,
// flushed to the disk, then renamed over the old one.

#include <cstddef>
#include <string>

#include "platform/move_file_system.h"

namespace mirafold::win32 {

// Every missing folder on the way to `folder`.
void createFolders(const std::wstring& folder);

// UTF-8 on disk; the folder is created when missing.
platform::MoveStatus writeDurably(const std::wstring& path, const std::wstring& text);
// Refused past kLongestText bytes: no journal of ours comes near it.
inline constexpr std::size_t kLongestText = 1 << 20;
platform::MoveStatus readText(const std::wstring& path, std::wstring& text);

// A Win32 error as a seam status: in-use errors named as such, with the path they concern, and
// errors of rights (base::isNoRightsError) as NoRights, a link met where none may be
// (base/win32/nt_files.h) as Changed.
platform::MoveStatus statusOf(unsigned long error, const std::wstring& path);
platform::MoveStatus lastStatus(const std::wstring& path);

}  // namespace mirafold::win32
