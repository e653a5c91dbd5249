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

// Whether the permissions let this process rename `from` into the folder of `to`: DELETE on the
// entry (or FILE_DELETE_CHILD on its folder, which gives it too) and leave to add an entry to the
// destination's folder, by AccessCheck against each security descriptor for this process's token.
// A refusal the permissions allow is not a want of rights, and administrator rights would not
// lift it. True when the system keeps no permissions there.
bool permissionsAllowRename(const std::wstring& from, const std::wstring& to);

}  // namespace mirafold::win32
