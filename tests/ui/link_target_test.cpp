// Changing where a live link leads, from its row in the real program: to the folder open on the
// right, or to one picked in the system's folder dialog; and a folder that refuses the change.
// At no moment of a change is the link missing.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "app/main_layout.h"
#include "driver/driver.h"
#include "driver/host_side.h"
#include "link/link_target_change.h"

namespace mirafold::ui {
namespace {

namespace id = app::id;

int entriesIn(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  const HANDLE search = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  int count = 0;
  do {
    const std::wstring name = found.cFileName;
    count += name != L"." && name != L"..";
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
  return count;
}

constexpr auto kChanged = L"链接目标已更改";
constexpr auto kAskRights = L"更改链接目标失败：权限不足。是否以管理员身份重试？";

// The left list shows `games`, whose one row is the link "Linked" to store\Old; the right list
// shows store\New.
class LinkTargetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    program = root.makeFolder(L"program");
    games = root.makeFolder(L"games");
    root.makeFolder(L"store\\Old");
    root.makeFolder(L"store\\New");
    root.makeFile(L"store\\Old\\old.txt", "old");
    root.makeFile(L"store\\New\\new.txt", "new");
    oldTarget = root / L"store\\Old";
    newTarget = root / L"store\\New";
    link = games + L"\\Linked";
    ASSERT_EQ(runJunction(L"\"" + link + L"\" \"" + oldTarget + L"\""), 0u);
    installProgram(program);
    app = std::make_unique<App>(program, L"", games);
    ASSERT_NE(app->waitForMainWindow(), nullptr);
    ASSERT_TRUE(app->waitForText(id::kDir1, games));
    app->setText(id::kText2, newTarget);
    app->pressEnter(id::kText2);
    ASSERT_TRUE(app->waitForText(id::kDir2, newTarget));
  }
  void TearDown() override {
    app.reset();
    if (exists(link)) {
      EXPECT_EQ(runJunction(L"-d \"" + link + L"\""), 0u);
    }
  }
  std::wstring question() const {
    return L"将把链接“" + link + L"”改为指向“" + newTarget + L"”（原为“" + oldTarget +
           L"”）。是否继续？";
  }
  // What the link leads to, told by the file in it; and nothing else in the link's folder.
  void expectLeadsTo(const std::wstring& target) const {
    EXPECT_EQ(exists(link + L"\\new.txt"), target == newTarget);
    EXPECT_EQ(exists(link + L"\\old.txt"), target == oldTarget);
    EXPECT_EQ(entriesIn(games), 1) << "the link, nothing beside it";
    EXPECT_TRUE(exists(oldTarget + L"\\old.txt"));
    EXPECT_TRUE(exists(newTarget + L"\\new.txt"));
  }

  TestFolder root;
  std::wstring program, games, oldTarget, newTarget, link;
  std::unique_ptr<App> app;
};

TEST_F(LinkTargetTest, ALiveLinkLeadsToTheRightHandFolderAndIsNeverMissingMeanwhile) {
  std::atomic<bool> done{false};
  std::atomic<int> looks{0}, missing{0};
  std::thread watcher([&] {
    while (!done) {
      ++looks;
      if (!exists(link)) ++missing;
    }
  });
  ASSERT_TRUE(app->chooseRowCommand(id::kDir1, 0, link::kCommandPointAtRight));
  const auto asked = app->answer(true);
  const auto told = app->acknowledge();
  done = true;
  watcher.join();
  EXPECT_EQ(asked.value_or(L"<none>"), question());
  EXPECT_EQ(told.value_or(L"<none>"), kChanged);
  EXPECT_EQ(missing.load(), 0) << "of " << looks.load() << " looks";
  expectLeadsTo(newTarget);
}

// A tool that takes 1.5 s: meanwhile the window answers and is drawn, but takes no input, so no
// second command can start inside the first.
TEST_F(LinkTargetTest, TheWindowAnswersWhileTheToolWorks) {
  ASSERT_TRUE(::CopyFileW((program + L"\\junction.exe").c_str(),
                          (program + L"\\junction-real.exe").c_str(), FALSE));
  // The tool's own run at the window's start may still hold it for a moment.
  ASSERT_TRUE(eventually(
      [&] {
        return ::CopyFileW((buildFolder() + L"\\slow_junction.exe").c_str(),
                           (program + L"\\junction.exe").c_str(), FALSE) != FALSE;
      },
      10s));
  HWND main = app->waitForMainWindow();
  ASSERT_TRUE(app->chooseRowCommand(id::kDir1, 0, link::kCommandPointAtRight));
  EXPECT_EQ(app->answer(true).value_or(L"<none>"), question());
  ASSERT_TRUE(eventually([&] { return !::IsWindowEnabled(main); }, 5s))
      << "the window takes no input while the tool works";
  DWORD_PTR unused = 0;
  EXPECT_NE(::SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 300, &unused), 0)
      << "and answers meanwhile";
  EXPECT_TRUE(exists(link + L"\\old.txt")) << "seen while the tool still works, not at its end";
  EXPECT_EQ(app->acknowledge(10s).value_or(L"<none>"), kChanged);
  EXPECT_TRUE(::IsWindowEnabled(main));
  expectLeadsTo(newTarget);
}

TEST_F(LinkTargetTest, TheFolderDialogPicksTheNewTarget) {
  ASSERT_TRUE(app->chooseRowCommand(id::kDir1, 0, link::kCommandChangeTarget));
  HWND dialog = app->waitForWindow(L"选择链接的新目标", 20s, L"#32770");
  ASSERT_NE(dialog, nullptr) << "no folder dialog";
  screenshotIfAsked();
  ASSERT_TRUE(app->pickInFileDialog(dialog, newTarget));
  EXPECT_EQ(app->answer(true).value_or(L"<none>"), question());
  EXPECT_EQ(app->acknowledge().value_or(L"<none>"), kChanged);
  expectLeadsTo(newTarget);
}

// The link's folder made unchangeable on the host: the new link cannot be made beside the old.
// The tool's refusal is offered again as administrator (Wine's runas starts it at once, as the
// same user), refused in turn and told; the old link stands throughout.
TEST_F(LinkTargetTest, AFolderThatRefusesTheChangeKeepsTheOldLink) {
  const Unchangeable locked(games);
  if (!locked.held()) GTEST_SKIP() << "chattr +i did not take here (not root, or no ext4-like FS)";
  ASSERT_TRUE(app->chooseRowCommand(id::kDir1, 0, link::kCommandPointAtRight));
  EXPECT_EQ(app->answer(true).value_or(L"<none>"), question());
  EXPECT_EQ(app->answer(true).value_or(L"<none>"), kAskRights);
  const std::wstring end = app->acknowledge().value_or(L"<none>");
  EXPECT_TRUE(end.starts_with(L"更改失败：") && end.ends_with(L"。链接未改变")) << end;
  expectLeadsTo(oldTarget);
}

// The row's own menu, opened from the keyboard as Shift+F10 does; a picture of it when asked.
TEST_F(LinkTargetTest, AJunctionsRowOpensItsMenu) {
  HWND list = app->control(id::kDir1);
  ASSERT_TRUE(app->selectSubfolder(id::kDir1, 0));
  ::PostMessageW(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), MAKELPARAM(-1, -1));
  HWND menu = app->waitForWindow(L"", 10s, L"#32768");
  ASSERT_NE(menu, nullptr) << "no menu";
  ::Sleep(300);  // drawn
  screenshotIfAsked();
  ::PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_TRUE(eventually([&] { return !::IsWindowVisible(menu); }, 10s));
}

}  // namespace
}  // namespace mirafold::ui
