// The tool's own verdict as the user meets it: its reason at once, a retry as administrator when
// rights are lacking, a link refused inside its own target, a Send To entry that will not go.

#include <gtest/gtest.h>

#include <chrono>

#include "app/main_layout.h"
#include "driver/driver.h"
#include "sendto/sendto_layout.h"

namespace mirafold::ui {
namespace {

namespace id = app::id;
using Clock = std::chrono::steady_clock;

constexpr auto kLinkCreated = L"链接创建成功！";
constexpr auto kCreationFailed = L"链接创建失败！";
constexpr auto kUnknownFailure = L"链接创建失败！原因未知。";
constexpr auto kRetryAsAdministrator = L"链接创建失败！权限不足，是否以管理员身份重试？";
constexpr auto kInsideTarget = L"链接创建失败！链接不可位于链接目标之内";
constexpr auto kRemoveFailed = L"右键菜单移除失败：";
constexpr auto kRemoved = L"右键菜单已移除";

class VerdictTest : public testing::Test {
 protected:
  void SetUp() override {
    program = root.makeFolder(L"program");
    links = root.makeFolder(L"links");
    target = root.makeFolder(L"data\\Saves");
    root.makeFile(L"data\\Saves\\slot1.sav", "progress");
    installProgram(program);
  }
  void start() {
    app = std::make_unique<App>(program, L"", links);
    ASSERT_NE(app->waitForMainWindow(), nullptr);
    app->setText(id::kText2, target);
    app->pressEnter(id::kText2);
    ASSERT_TRUE(app->waitForText(id::kDir2, target));
  }
  // junction.exe refuses the first creation for want of rights, then makes links as the real one.
  void toolRefusedOnce() {
    ASSERT_TRUE(::CopyFileW((programSource() + L"\\junction.exe").c_str(),
                            (program + L"\\junction-real.exe").c_str(), FALSE));
    ASSERT_TRUE(::CopyFileW((buildFolder() + L"\\denied_junction.exe").c_str(),
                            (program + L"\\junction.exe").c_str(), FALSE));
  }
  void TearDown() override {
    app.reset();
    if (exists(links + L"\\Saves")) {
      EXPECT_EQ(runJunction(L"-d \"" + links + L"\\Saves\""), 0u);
    }
    EXPECT_TRUE(exists(target + L"\\slot1.sav")) << "the target's files are all there";
  }

  TestFolder root;
  std::wstring program, links, target;
  std::unique_ptr<App> app;
};

TEST_F(VerdictTest, LackingRightsAsksToRetryAndNoReturnsToIdle) {
  toolRefusedOnce();
  start();
  app->click(id::kCommand1);
  EXPECT_EQ(app->answer(false).value_or(L"<none>"), kRetryAsAdministrator);
  EXPECT_TRUE(app->waitForText(id::kCommand1, L"创建链接！"));
  EXPECT_TRUE(app->enabled(id::kCommand1));
  EXPECT_FALSE(app->waitForMessage(1500ms)) << "No ends it without another word";
  EXPECT_FALSE(exists(links + L"\\Saves"));
}

TEST_F(VerdictTest, LackingRightsThenYesMakesTheLinkAsAdministrator) {
  toolRefusedOnce();
  start();
  app->click(id::kCommand1);
  EXPECT_EQ(app->answer(true).value_or(L"<none>"), kRetryAsAdministrator);
  // Wine asks for no consent: the same tool line runs again, elevated, and is followed.
  EXPECT_EQ(app->acknowledge(15s).value_or(L"<none>"), kLinkCreated);
  EXPECT_TRUE(exists(links + L"\\Saves\\slot1.sav"));
  EXPECT_TRUE(app->waitForText(id::kCommand1, L"创建链接！"));
}

TEST_F(VerdictTest, TheToolsReasonComesAtOnceNotAfterTenSeconds) {
  start();
  const std::wstring gone = root.makeFolder(L"links\\gone");
  app->setText(id::kText1, gone);
  app->pressEnter(id::kText1);
  ASSERT_TRUE(app->waitForText(id::kDir1, gone));
  ASSERT_TRUE(::RemoveDirectoryW(gone.c_str()));

  const auto clicked = Clock::now();
  app->click(id::kCommand1);
  const std::wstring message = app->waitForMessage(15s).value_or(L"<none>");
  const auto reported = Clock::now();
  std::printf(
      "click to the tool's reason: %lld ms\n",
      static_cast<long long>(
          std::chrono::duration_cast<std::chrono::milliseconds>(reported - clicked).count()));
  EXPECT_TRUE(message.starts_with(kCreationFailed)) << "got: " << testing::PrintToString(message);
  EXPECT_NE(message, kUnknownFailure) << "the system's reason follows";
  EXPECT_GT(message.size(), std::wstring(kCreationFailed).size());
  EXPECT_LT(reported - clicked, 2s);
  app->acknowledge();
  EXPECT_FALSE(exists(gone));
  EXPECT_TRUE(app->waitForText(id::kCommand1, L"创建链接！"));
}

TEST_F(VerdictTest, ALinkInsideItsOwnTargetIsRefusedAndNothingIsMade) {
  start();
  const std::wstring inside = root.makeFolder(L"data\\Saves\\old");
  for (const std::wstring& location : {target, inside}) {
    app->setText(id::kText1, location);
    app->pressEnter(id::kText1);
    ASSERT_TRUE(app->waitForText(id::kDir1, location));
    const auto before = snapshot(root.path());
    app->click(id::kCommand1);
    EXPECT_EQ(app->acknowledge().value_or(L"<none>"), kInsideTarget) << location;
    EXPECT_EQ(snapshot(root.path()), before) << location;
    EXPECT_EQ(app->text(id::kCommand1), L"创建链接！");
  }
}

TEST_F(VerdictTest, ASendToEntryThatCannotBeDeletedIsReportedNotCalledRemoved) {
  start();
  ASSERT_FALSE(sendToFolder().empty());
  const std::wstring entry = sendToFolder() + L"\\NTFS链接（仅文件夹）.lnk";
  app->clickLabel(id::kLabel5);
  HWND dialog = app->waitForWindow(L"添加右键菜单");
  ASSERT_NE(dialog, nullptr);
  app->clickIn(dialog, sendto::id::kCommand1);
  ASSERT_TRUE(app->acknowledge().has_value());
  ASSERT_TRUE(exists(entry));

  // Another program holds the entry open without leave to delete it.
  const HANDLE held = ::CreateFileW(entry.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  app->clickIn(dialog, sendto::id::kCommand2);
  const std::wstring message = app->acknowledge().value_or(L"<none>");
  ::CloseHandle(held);
  EXPECT_TRUE(message.starts_with(kRemoveFailed)) << "got: " << testing::PrintToString(message);
  EXPECT_GT(message.size(), std::wstring(kRemoveFailed).size()) << "with the system's reason";
  EXPECT_TRUE(exists(entry));

  app->clickIn(dialog, sendto::id::kCommand2);
  EXPECT_EQ(app->acknowledge().value_or(L"<none>"), kRemoved);
  EXPECT_FALSE(exists(entry));
  app->closeWindow(dialog);
}

}  // namespace
}  // namespace mirafold::ui
