#pragma once
// The restore privilege gives a copy an owner other than the mover. Only a token that holds it (an
// administrator's, as the elevated helper's) can switch it on, and it is on only while an owner is
// given: with it on, every opening for backup would pass by every permission.

#include <windows.h>

namespace mirafold::win32 {

// This process's token holds the restore privilege, switched on or not.
bool ownersCanBeKept();

// The restore privilege switched on for this object's life, and back off after, where the token
// holds it.
class RestorePrivilege {
 public:
  RestorePrivilege();
  ~RestorePrivilege();
  RestorePrivilege(const RestorePrivilege&) = delete;
  RestorePrivilege& operator=(const RestorePrivilege&) = delete;

 private:
  HANDLE token_ = nullptr;
  TOKEN_PRIVILEGES before_{};
  bool switched_ = false;
};

}  // namespace mirafold::win32
