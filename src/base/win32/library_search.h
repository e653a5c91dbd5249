#pragma once
// Where the program looks for the libraries it loads after its start: the system folder only, never
// the program's own folder (a Downloads folder anyone's program may write to) nor the current one.

namespace mirafold::base::win32 {

// The first thing each program does. A Windows 7 without the update that brought the call keeps
// its usual order; every later system has it.
void searchLibrariesInSystemFolderOnly();

}  // namespace mirafold::base::win32
