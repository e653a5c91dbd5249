// Moving a folder away from the left list into the right one's folder, a link left behind, through
// the real program: the confirmation, the progress window, the end message, the files on disk.

#include <gtest/gtest.h>

#include <cstdlib>

#include "app/main_layout.h"
#include "driver/driver.h"
#include "move/move_handlers.h"

namespace mirafold::ui {
namespace {

namespace id = app::id;

constexpr auto kMoveDone = L"移动完成，已在原处创建链接";
constexpr auto kNameExistsOnRight = L"右侧文件夹中已存在同名文件夹";

class MoveTest : public testing::Test {
 protected:
  void SetUp() override {
    program = root.makeFolder(L"program");
    games = root.makeFolder(L"games");
    store = root.makeFolder(L"store");
    root.makeFolder(L"games\\Game\\data");
    root.makeFile(L"games\\Game\\save.dat", "progress");
    root.makeFile(L"games\\Game\\data\\level.bin", "0123456789");
  }
  // The program with a junction.exe that waits 1.5 s before it makes the link, so that the
  // progress window stays long enough to be seen.
  void installWithSlowLinks() {
    installProgram(program);
    ASSERT_TRUE(::CopyFileW((programSource() + L"\\junction.exe").c_str(),
                            (program + L"\\junction-real.exe").c_str(), FALSE));
    ASSERT_TRUE(::CopyFileW((buildFolder() + L"\\slow_junction.exe").c_str(),
                            (program + L"\\junction.exe").c_str(), FALSE));
  }
  void start() {
    app = std::make_unique<App>(program, L"", games);
    ASSERT_NE(app->waitForMainWindow(), nullptr);
    ASSERT_TRUE(app->waitForText(id::kDir1, games));
    app->setText(id::kText2, store);
    app->pressEnter(id::kText2);
    ASSERT_TRUE(app->waitForText(id::kDir2, store));
  }
  void TearDown() override {
    app.reset();
    // A link left at the old place goes first, by the tool, so that clearing the test folder
    // never walks through it.
    if (exists(store + L"\\Game") && exists(games + L"\\Game")) {
      EXPECT_EQ(runJunction(L"-d \"" + games + L"\\Game\""), 0u);
    }
  }

  TestFolder root;
  std::wstring program, games, store;
  std::unique_ptr<App> app;
};

// A screenshot of the whole screen when MIRAFOLD_SHOT names a file, taken by ImageMagick on the
// host (a Windows process under Wine can start a host program by its host path).
void screenshotIfAsked() {
  const char* shot = std::getenv("MIRAFOLD_SHOT");
  if (!shot) return;
  std::wstring line = L"/usr/bin/import -window root ";
  for (const char* c = shot; *c; ++c) line += static_cast<wchar_t>(*c);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &info)) {
    ::WaitForSingleObject(info.hProcess, 10000);
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
  }
}

TEST_F(MoveTest, AFolderMovesIntoTheRightFolderAndALinkShowsItsFilesAtTheOldPlace) {
  installWithSlowLinks();
  start();
  ASSERT_TRUE(app->chooseRowCommand(id::kDir1, 0, move::kCommandMoveAway));
  const std::wstring question = app->answer(true).value_or(L"<none>");
  EXPECT_EQ(question, L"将把“" + games + L"\\Game”（2 个文件，18 B）移动到“" + store +
                          L"”，并在原处创建指向它的链接。是否继续？");

  const HWND progress = app->waitForWindow(L"正在移动", 10s, L"MirafoldProgress");
  ASSERT_NE(progress, nullptr) << "the progress window shows while the link is made";
  EXPECT_EQ(app->textIn(progress, IDCANCEL), L"取消");
  screenshotIfAsked();

  EXPECT_EQ(app->acknowledge(30s).value_or(L"<none>"), kMoveDone);
  EXPECT_TRUE(exists(store + L"\\Game\\save.dat"));
  EXPECT_TRUE(exists(store + L"\\Game\\data\\level.bin"));
  EXPECT_TRUE(exists(games + L"\\Game\\data\\level.bin")) << "the link shows the moved files";
  EXPECT_FALSE(exists(games + L"\\Game.mirafold-moving"));
  EXPECT_EQ(app->text(id::kDir1), games);
  EXPECT_EQ(app->text(id::kDir2), store);
}

TEST_F(MoveTest, ANameTakenOnTheRightIsRefusedAndNoLeavesAllAsItWas) {
  root.makeFolder(L"store\\Game");
  installProgram(program);
  start();
  ASSERT_TRUE(app->chooseRowCommand(id::kDir1, 0, move::kCommandMoveAway));
  EXPECT_EQ(app->acknowledge().value_or(L"<none>"), kNameExistsOnRight);

  ::RemoveDirectoryW((store + L"\\Game").c_str());
  ASSERT_TRUE(app->chooseRowCommand(id::kDir1, 0, move::kCommandMoveAway));
  EXPECT_TRUE(app->answer(false).has_value());
  EXPECT_FALSE(app->waitForMessage(1500ms)) << "no end message after No";
  EXPECT_TRUE(exists(games + L"\\Game\\save.dat"));
  EXPECT_FALSE(exists(store + L"\\Game"));
}

}  // namespace
}  // namespace mirafold::ui
