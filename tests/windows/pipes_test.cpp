// The window's private pipe to its elevated helper: what one end writes the other reads, either
// way at once; a receive ends when the other end goes or when it is interrupted; only our pipes
// are connected to.

#include <windows.h>
#include <gtest/gtest.h>

#include <thread>

#include "platform/win32/system/win32_pipes.h"

namespace mirafold {
namespace {

TEST(PipesTest, CarriesBothWaysAndEndsWhenAnEndGoesOrIsInterrupted) {
  win32::Win32Pipes pipes;
  std::uint32_t error = 0;
  const auto listener = pipes.listen(error);
  ASSERT_TRUE(listener) << error;
  EXPECT_TRUE(listener->name().starts_with(win32::kHelperPipePrefix));
  EXPECT_NE(pipes.listen(error)->name(), listener->name()) << "a name nobody can guess";

  std::unique_ptr<platform::MessagePipe> helper;
  std::thread connecting([&] { helper = pipes.connect(listener->name(), listener->server()); });
  std::unique_ptr<platform::MessagePipe> window =
      listener->accept(::GetCurrentProcessId(), [] { return true; });
  connecting.join();
  ASSERT_TRUE(window && helper);

  // The window waits to read while its cancel is written from another thread.
  std::string heard;
  std::thread reading([&] {
    while (heard.find("end\n") == std::string::npos && window->receive(heard)) {
    }
  });
  EXPECT_TRUE(window->send("cancel\n"));
  std::string got;
  EXPECT_TRUE(helper->receive(got));
  EXPECT_EQ(got, "cancel\n");
  EXPECT_TRUE(helper->send("progress\n"));
  EXPECT_TRUE(helper->send("end\n"));
  reading.join();
  EXPECT_EQ(heard, "progress\nend\n");

  std::thread waiting([&] {
    std::string more;
    EXPECT_FALSE(helper->receive(more)) << "interrupted";
  });
  helper->interrupt();
  waiting.join();

  helper.reset();
  std::string after;
  EXPECT_FALSE(window->receive(after)) << "the other end went";
  EXPECT_FALSE(window->send("cancel\n"));
}

TEST(PipesTest, NoHelperNoConnectionAndOnlyOurPipes) {
  win32::Win32Pipes pipes;
  std::uint32_t error = 0;
  const auto listener = pipes.listen(error);
  ASSERT_TRUE(listener);
  int asked = 0;
  EXPECT_FALSE(listener->accept(::GetCurrentProcessId(), [&] { return ++asked < 3; }))
      << "the helper never came";
  EXPECT_EQ(asked, 3);

  // A process other than the helper that finds the name is sent away unheard.
  std::unique_ptr<platform::MessagePipe> impostor;
  std::thread connecting([&] { impostor = pipes.connect(listener->name(), listener->server()); });
  asked = 0;
  EXPECT_FALSE(listener->accept(::GetCurrentProcessId() + 4, [&] { return ++asked < 5; }));
  connecting.join();
  ASSERT_TRUE(impostor);
  std::string heard;
  EXPECT_FALSE(impostor->receive(heard)) << "disconnected";
}

TEST(PipesTest, OnlyOurNamesExactly) {
  const std::wstring prefix = win32::kHelperPipePrefix;
  const std::wstring digits = L"0123456789abcdefABCDEF0123456789";
  const struct {
    std::wstring name;
    bool ours;
  } cases[] = {
      {prefix + digits, true},
      {prefix + digits.substr(1), false},
      {prefix + digits + L"0", false},
      {prefix + L"0123456789abcdefABCDEF012345678g", false},
      {prefix + L"..\\..\\..\\C:\\x\\0123456789abcdef0123", false},
      {L"\\\\server\\pipe\\mirafold-move-" + digits, false},
      {L"\\\\.\\pipe\\someone-else", false},
      {prefix + L"０123456789abcdefABCDEF0123456789", false},
      {prefix + L"0123456789abcdefABCDEF012345678", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(win32::isHelperPipeName(c.name), c.ours) << testing::PrintToString(c.name);
  }
  win32::Win32Pipes pipes;
  std::uint32_t error = 0;
  EXPECT_TRUE(win32::isHelperPipeName(pipes.listen(error)->name()));
  EXPECT_FALSE(pipes.connect(prefix + L"nobody", ::GetCurrentProcessId()));
}

// A pipe of our name served by a process other than the window that started the helper: another
// of the user's programs that made the name first.
TEST(PipesTest, APipeServedByAnotherProcessIsRefused) {
  win32::Win32Pipes pipes;
  std::uint32_t error = 0;
  const auto listener = pipes.listen(error);
  ASSERT_TRUE(listener);
  EXPECT_FALSE(pipes.connect(listener->name(), ::GetCurrentProcessId() + 4));
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

}  // namespace
}  // namespace mirafold
