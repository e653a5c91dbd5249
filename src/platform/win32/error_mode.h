#pragma once
// While alive, a drive without a medium or an unreachable share makes file calls fail with an error
// code instead of asking the user to insert a disk.

#include <windows.h>

namespace mirafold::win32 {

class QuietErrorMode {
 public:
  QuietErrorMode() {
    set_ = ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previous_) != 0;
  }
  ~QuietErrorMode() {
    if (set_) ::SetThreadErrorMode(previous_, nullptr);
  }
  QuietErrorMode(const QuietErrorMode&) = delete;
  QuietErrorMode& operator=(const QuietErrorMode&) = delete;

 private:
  DWORD previous_ = 0;
  bool set_ = false;
};

}  // namespace mirafold::win32
