#pragma once
// Privileges and tokens. The restore privilege gives a copy an owner other than the mover. Only a
// token that holds it (an administrator's, as the elevated helper's) can switch it on, and it is
// on only while an owner is given: with it on, every opening for backup would pass by every
// permission.

#include <windows.h>

#include "base/win32/handles.h"

namespace mirafold::win32 {

// The token holds the privilege (by its name, as SE_RESTORE_NAME), switched on or not.
bool tokenHolds(HANDLE token, const wchar_t* privilege);

// This process's token holds the restore privilege, switched on or not.
bool ownersCanBeKept();

// The token of the user, as they run without elevation, for access checks and privilege queries
// (an identification token): that of the process `window` (the user's own program), else the
// linked token where this process is elevated, else this process's own. Null when none could be
// had.
base::win32::UniqueKernelHandle userToken(DWORD window);

// Windows is in developer mode, which lets anyone make symbolic links.
bool developerModeAllowsLinks();

// The restore privilege switched on for this object's life, and back off after, where the token
// holds it; on the calling thread only, which acts meanwhile on its own copy of the process's
// token: another thread's opening for backup passes by no permission. Made and ended on one thread.
class RestorePrivilege {
 public:
  RestorePrivilege();
  ~RestorePrivilege();
  RestorePrivilege(const RestorePrivilege&) = delete;
  RestorePrivilege& operator=(const RestorePrivilege&) = delete;

 private:
  bool impersonating_ = false;
};

}  // namespace mirafold::win32
