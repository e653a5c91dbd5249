#pragma once
// Which file holds a folder in place: Windows will not rename a folder while a file in it is
// open, and says only "access denied" about the folder.

#include <cstddef>
#include <string>

namespace mirafold::win32 {

// The first file below `folder` that another program has open, found by asking for each file
// alone (no sharing). Links are not entered, and the search gives up after `budget` entries, so
// that a huge folder costs a bounded wait. Empty when none was found.
std::wstring firstFileInUse(const std::wstring& folder, std::size_t budget = 20000);

}  // namespace mirafold::win32
