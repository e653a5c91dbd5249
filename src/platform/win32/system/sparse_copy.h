#pragma once
// A sparse file (a disk image 250 GB long holding 20 GB) copied as one: its holes stay holes and
// take no room on the destination.

#include <cstdint>
#include <string>
#include <vector>

#include <windows.h>

#include "base/allocated_ranges.h"
#include "platform/move_file_system.h"

namespace mirafold::win32 {

// CopyFile2 does it itself where it has the flag for it (Windows 11 22H2 on); elsewhere the copy
// is made sparse and only what the file system says holds data is written. Contents, named
// streams and attributes as CopyFileExW copies them; fails when `to` exists; a failed or
// cancelled copy leaves no file. `to`'s volume must keep sparse files.
platform::MoveStatus copySparseFile(const std::wstring& from, const std::wstring& to,
                                    const platform::CopyProgress& progress);

using base::ByteRange;

// `from`'s ranges written into `to`, made sparse and as long as `size`: where the ranges hold
// only zeros nothing is written either, so the copy takes no more room than its data.
// ERROR_SUCCESS, ERROR_CANCELLED when `progress` said stop, or the system's error.
DWORD copyRanges(HANDLE from, HANDLE to, std::uint64_t size, const std::vector<ByteRange>& ranges,
                 const platform::CopyProgress& progress);

}  // namespace mirafold::win32
