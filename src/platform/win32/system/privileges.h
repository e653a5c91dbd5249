#pragma once
// The privileges that let a copy keep what belongs to others: the restore privilege gives a copy
// an owner other than the mover, and writes permissions the mover is not granted; the backup
// privilege reads what the mover could not. Only a token that holds them (an administrator's, as
// the elevated helper's) can switch them on.

namespace mirafold::win32 {

// Switched on once a process, where the token holds them; true when the restore privilege is on.
bool ownersCanBeKept();

}  // namespace mirafold::win32
