#pragma once
// The system's process list and Restart Manager as a test sets them, and what was asked of them.

#include <string>
#include <vector>

#include "platform/running_programs.h"

namespace mirafold::fakes {

class FakeRunningPrograms : public platform::RunningPrograms {
 public:
  std::vector<platform::RunningProcess> processes() override { return running; }
  platform::FileUsers usersOf(const std::vector<std::wstring>& files) override {
    asked.push_back(files);
    return users;
  }

  std::vector<platform::RunningProcess> running;
  platform::FileUsers users;
  std::vector<std::vector<std::wstring>> asked;
};

}  // namespace mirafold::fakes
