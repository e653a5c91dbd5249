// The process list and the Restart Manager on the real (Wine's) system: this process is listed
// with its program file, a process that has ended is not, and the Restart Manager gives one of
// its answers without failing the call.

#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/win32/system/win32_running_programs.h"

namespace mirafold {
namespace {

using platform::RunningProcess;

std::wstring ownImage() {
  std::wstring path(32768, L'\0');
  path.resize(::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
  return path;
}

TEST(RunningPrograms, ThisProcessIsListedWithItsProgramFile) {
  win32::Win32RunningPrograms programs;
  const auto running = programs.processes();
  const auto self = std::find_if(running.begin(), running.end(), [](const RunningProcess& p) {
    return p.id == ::GetCurrentProcessId();
  });
  ASSERT_NE(self, running.end());
  EXPECT_EQ(self->query, RunningProcess::Query::Answered);
  EXPECT_EQ(::lstrcmpiW(self->image.c_str(), ownImage().c_str()), 0)
      << std::string(self->image.begin(), self->image.end());
  EXPECT_FALSE(self->image.starts_with(L"\\\\?\\")) << "the plain form";
}

TEST(RunningPrograms, TheRestartManagerAnswersAboutThisProgramFile) {
  win32::Win32RunningPrograms programs;
  const platform::FileUsers users = programs.usersOf({ownImage()});
  // Windows names this process; Wine's Restart Manager answers with no one.
  if (users.answer == platform::FileUsers::Answer::Answered && !users.users.empty()) {
    EXPECT_TRUE(
        std::any_of(users.users.begin(), users.users.end(),
                    [](const platform::FileUser& u) { return u.id == ::GetCurrentProcessId(); }));
  }
  RecordProperty("answer", static_cast<int>(users.answer));
  RecordProperty("users", static_cast<int>(users.users.size()));
}

}  // namespace
}  // namespace mirafold
