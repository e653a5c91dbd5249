#pragma once
// The running processes by the Tool Help snapshot, each image asked of the process itself; who
// holds given files by the Restart Manager.

#include "platform/running_programs.h"

namespace mirafold::win32 {

class Win32RunningPrograms final : public platform::RunningPrograms {
 public:
  std::vector<platform::RunningProcess> processes() override;
  platform::FileUsers usersOf(const std::vector<std::wstring>& files) override;
};

}  // namespace mirafold::win32
