// Before a move, through the real program: a program running from inside the folder is named
// with Retry and Cancel, Retry looks again, and once it has ended the move goes through whole; a
// place of the apps' table is refused with its maker's advice.

#include <gtest/gtest.h>

#include "app/main_layout.h"
#include "base/win32/handles.h"
#include "driver/driver.h"
#include "driver/host_side.h"
#include "move/move_handlers.h"

namespace mirafold::ui {
namespace {

namespace id = app::id;

class HoldersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    program = root.makeFolder(L"program");
    games = root.makeFolder(L"games");
    store = root.makeFolder(L"store");
    root.makeFolder(L"games\\Game\\bin");
    root.makeFile(L"games\\Game\\save.dat", "progress");
    installProgram(program);
  }
  void start() {
    app = std::make_unique<App>(program, L"", games);
    ASSERT_NE(app->waitForMainWindow(), nullptr);
    ASSERT_TRUE(app->waitForText(id::kDir1, games));
    app->setText(id::kText2, store);
    app->pressEnter(id::kText2);
    ASSERT_TRUE(app->waitForText(id::kDir2, store));
  }

  TestFolder root;
  std::wstring program, games, store;
  std::unique_ptr<App> app;
};

TEST_F(HoldersTest, AProgramRunningFromTheFolderIsNamedAndRetryMovesItOnceItEnded) {
  const std::wstring holder = games + L"\\Game\\bin\\holder.exe";
  ASSERT_TRUE(
      ::CopyFileW((buildFolder() + L"\\holding_program.exe").c_str(), holder.c_str(), TRUE));
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  std::wstring line = L"\"" + holder + L"\"";
  ASSERT_TRUE(::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &info));
  ::CloseHandle(info.hThread);
  const base::win32::UniqueKernelHandle running(info.hProcess);
  start();

  const std::wstring named = L"以下程序正在使用此文件夹，请先关闭它们：\r\nholder.exe（进程 " +
                             std::to_wstring(info.dwProcessId) + L"）";
  ASSERT_TRUE(app->chooseRowCommand(id::kDir1, 0, move::kCommandMoveAway));
  ASSERT_TRUE(app->waitForMessage());
  screenshotIfAsked();  // the message, for a person to look at
  EXPECT_EQ(app->retry(true).value_or(L"<none>"), named);
  EXPECT_EQ(app->retry(true).value_or(L"<none>"), named) << "still running: named again";

  ::TerminateProcess(running.get(), 0);  // the test's own program, ended as its user would
  ASSERT_EQ(::WaitForSingleObject(running.get(), 10000), WAIT_OBJECT_0);
  const std::wstring question = app->answer(true).value_or(L"<none>");
  EXPECT_TRUE(question.starts_with(L"将把“" + games + L"\\Game”")) << question.size();
  EXPECT_EQ(app->acknowledge(60s).value_or(L"<none>"), L"移动完成，已在原处创建链接");
  EXPECT_TRUE(exists(store + L"\\Game\\bin\\holder.exe"));
  EXPECT_TRUE(exists(store + L"\\Game\\save.dat"));
  EXPECT_TRUE(exists(games + L"\\Game\\save.dat")) << "through the link";
  EXPECT_FALSE(exists(games + L"\\Game.mirafold-moving"));
  EXPECT_EQ(runJunction(L"-d \"" + games + L"\\Game\""), 0u);
}

TEST_F(HoldersTest, AFolderOfAWslDistributionIsRefusedWithItsMakersAdvice) {
  root.makeFolder(L"games\\Distro");  // rows: "Distro" (0), "Game" (1)
  root.makeFile(L"games\\Distro\\ext4.vhdx", "disk");
  start();
  ASSERT_TRUE(app->chooseRowCommand(id::kDir1, 0, move::kCommandMoveAway));
  ASSERT_TRUE(app->waitForMessage());
  screenshotIfAsked();
  const std::wstring refusal = app->acknowledge().value_or(L"<none>");
  EXPECT_TRUE(refusal.starts_with(L"这是 WSL 发行版的磁盘文件夹")) << refusal.size();
  EXPECT_NE(refusal.find(L"：" + games + L"\\Distro\r\n"), std::wstring::npos) << refusal.size();
  EXPECT_FALSE(app->waitForMessage(1500ms)) << "nothing asked after the refusal";
  EXPECT_TRUE(exists(games + L"\\Distro\\ext4.vhdx"));
  EXPECT_FALSE(exists(store + L"\\Distro"));
}

}  // namespace
}  // namespace mirafold::ui
