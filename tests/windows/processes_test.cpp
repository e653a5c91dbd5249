// Processes the program keeps: their exit codes as the tool's verdict, read without waiting.

#include "platform/win32/system_services.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

namespace mirafold::win32 {
namespace {

constexpr wchar_t kChildEvent[] = L"MIRAFOLD_TEST_CHILD_EVENT";
constexpr DWORD kChildExitCode = 42;

std::wstring selfPath() {
  wchar_t self[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  return self;
}

// The exit code once the process has ended, polled as the program's timer does.
std::optional<std::uint32_t> endOf(platform::Process& process) {
  for (int i = 0; i < 200; ++i) {
    if (auto code = process.exitCode()) return code;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return std::nullopt;
}

// This program started again as a child: it waits for the event its parent names, then ends
// with a code of its own. Run on its own, it has nothing to do.
TEST(ProcessChild, WaitsForItsParent) {
  wchar_t name[128] = {};
  if (!::GetEnvironmentVariableW(kChildEvent, name, 128)) GTEST_SKIP() << "not started as a child";
  const HANDLE event = ::OpenEventW(SYNCHRONIZE, FALSE, name);
  if (event) ::WaitForSingleObject(event, 20000);
  ::ExitProcess(kChildExitCode);
}

TEST(ProcessesTest, AKeptProcessIsRunningUntilItEndsThenGivesItsExitCode) {
  const std::wstring name = L"mirafold-test-" + std::to_wstring(::GetCurrentProcessId());
  const HANDLE event = ::CreateEventW(nullptr, TRUE, FALSE, name.c_str());
  ASSERT_NE(event, nullptr);
  ::SetEnvironmentVariableW(kChildEvent, name.c_str());
  Win32Processes processes;
  auto child = processes.startKept(L"\"" + selfPath() + L"\" --gtest_filter=ProcessChild.*",
                                   platform::WindowShow::MinimizedNoActivate);
  ::SetEnvironmentVariableW(kChildEvent, nullptr);
  ASSERT_NE(child, nullptr);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(child->exitCode(), std::nullopt) << "still waiting, look " << i;
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
  }
  ::SetEvent(event);
  EXPECT_EQ(endOf(*child), kChildExitCode);
  EXPECT_EQ(child->exitCode(), kChildExitCode) << "asked again, the same answer";
  ::CloseHandle(event);
}

TEST(ProcessesTest, ExitCodesComeThroughUnchanged) {
  Win32Processes processes;
  for (const std::uint32_t code : {0u, 3u, 5u, 1314u}) {
    auto process = processes.startKept(L"cmd.exe /c exit " + std::to_wstring(code),
                                       platform::WindowShow::MinimizedNoActivate);
    ASSERT_NE(process, nullptr);
    EXPECT_EQ(endOf(*process), code);
  }
}

TEST(ProcessesTest, AProgramThatDoesNotExistIsNotStarted) {
  Win32Processes processes;
  EXPECT_EQ(processes.startKept(L"C:\\no-such-folder\\junction.exe \"a\" \"b\"",
                                platform::WindowShow::MinimizedNoActivate),
            nullptr);
  const platform::ElevatedStart elevated =
      processes.startElevated(L"C:\\no-such-folder\\junction.exe", L"\"a\" \"b\"",
                              platform::WindowShow::MinimizedNoActivate);
  EXPECT_EQ(elevated.process, nullptr);
  EXPECT_FALSE(elevated.declined);
  EXPECT_NE(elevated.error, 0u);
}

TEST(ProcessesTest, AnElevatedStartIsKeptAndGivesTheExitCode) {
  // Wine asks no consent and runs the program as the user it is; the verb and the kept process
  // are what can be seen here.
  Win32Processes processes;
  const platform::ElevatedStart elevated = processes.startElevated(
      L"cmd.exe", L"/c exit 1314", platform::WindowShow::MinimizedNoActivate);
  ASSERT_NE(elevated.process, nullptr) << "error " << elevated.error;
  EXPECT_EQ(endOf(*elevated.process), 1314u);
}

TEST(ErrorTextsTest, EveryToolExitCodeHasATextAndUnknownOnesShowTheirNumber) {
  const Win32ErrorTexts texts;
  for (const std::uint32_t code : {2u, 3u, 5u, 80u, 183u, 1314u}) {
    EXPECT_FALSE(texts.describe(code).empty()) << code;
    EXPECT_NE(texts.describe(code).find_first_not_of(L"0123456789xABCDEF"), std::wstring::npos)
        << code << " has words, not just its number";
  }
  EXPECT_EQ(texts.describe(0x2000ABCDu), L"0x2000ABCD");
}

}  // namespace
}  // namespace mirafold::win32
