#pragma once
// The permissions of a folder the move makes for its copy: only this process's user, SYSTEM and
// the administrators have any access to it and to what is made inside, and it inherits nothing
// from where it is made (a destination that lets every user change what it holds lets nobody
// add a file to the copy meanwhile).

#include <windows.h>

#include "base/win32/handles.h"

namespace mirafold::win32 {

// Null when it cannot be made, with the thread's last error set.
base::win32::UniqueLocalMemory<PSECURITY_DESCRIPTOR> privateFolderSecurity();

}  // namespace mirafold::win32
