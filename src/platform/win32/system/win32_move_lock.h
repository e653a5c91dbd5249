#pragma once
// The user's move lock on Win32: a file in the user's journal folder, opened with no sharing. A
// second opening, in this process or another, is refused until the handle closes, which the system
// does for a process that ends, however it ends: a kill leaves no lock behind.

#include <string>

#include "platform/move_lock.h"

namespace mirafold::win32 {

class Win32MoveLock final : public platform::MoveLock {
 public:
  explicit Win32MoveLock(std::wstring path) : path_(std::move(path)) {}
  std::unique_ptr<Held> tryHold() override;

 private:
  std::wstring path_;
};

}  // namespace mirafold::win32
