#pragma once
// A file's contents and named streams copied from one handle to another: nothing here looks a
// path up, so nothing another program swaps meanwhile is followed. A sparse file (a disk image
// 250 GB long holding 20 GB) stays one: its holes stay holes and take no room on the destination.

#include <windows.h>

#include <cstdint>
#include <vector>

#include "base/allocated_ranges.h"
#include "platform/move_file_system.h"

namespace mirafold::win32 {

using base::ByteRange;

// `size` bytes of `from` (open for reading) written into `to` (new, open for writing), which is
// made as long first; `sparse`: `to` made sparse, only what the file system says may hold data
// read, and zeros left as holes. ERROR_SUCCESS, ERROR_CANCELLED when `progress` said stop, or the
// system's error.
DWORD copyContents(HANDLE from, HANDLE to, std::uint64_t size, bool sparse,
                   const platform::CopyProgress& progress);

// `from`'s named data streams made in `to` with the same bytes. Where the system tells of none
// (Wine, FAT) there are none to copy.
DWORD copyNamedStreams(HANDLE from, HANDLE to);

// `ranges` of `from` written into `to`: the loop under copyContents.
DWORD copyRanges(HANDLE from, HANDLE to, std::uint64_t size, const std::vector<ByteRange>& ranges,
                 bool sparse, const platform::CopyProgress& progress);

}  // namespace mirafold::win32
