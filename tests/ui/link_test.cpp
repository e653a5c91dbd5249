// The road of a link: choose where and what, click, and find the link on disk.

#include <gtest/gtest.h>

#include <chrono>

#include "app/main_layout.h"
#include "driver/driver.h"

namespace mirafold::ui {
namespace {

namespace id = app::id;

constexpr auto kLinkCreated = L"链接创建成功！";
constexpr auto kSameName = L"链接创建失败！链接所在路径已存在同名文件夹";
constexpr auto kRootTarget = L"链接创建失败！不可将根目录作为链接目标";
constexpr auto kOnNetwork = L"链接创建失败！链接目标不可位于网络位置";
constexpr auto kToolMissing = L"junction.exe不存在，请把它与本程序放在同一文件夹";
constexpr auto kSubmitted = L"命令已提交，请自行检查链接是否成功";

class LinkTest : public testing::Test {
 protected:
  void SetUp() override {
    program = root.makeFolder(L"program");
    links = root.makeFolder(L"links");
    target = root.makeFolder(L"games\\Steam");
    root.makeFile(L"games\\Steam\\save.dat", "progress");
  }
  void start() {
    app = std::make_unique<App>(program, L"", links);
    ASSERT_NE(app->waitForMainWindow(), nullptr);
    // Link location: the start folder; target: typed into the target box.
    app->setText(id::kText2, target);
    app->pressEnter(id::kText2);
    ASSERT_TRUE(app->waitForText(id::kText2, target) && app->waitForText(id::kDir2, target));
  }
  void TearDown() override {
    app.reset();
    // The link goes first, by the tool, so that clearing the test folder never walks through it.
    if (exists(links + L"\\Steam")) {
      EXPECT_EQ(runJunction(L"-d \"" + links + L"\\Steam\""), 0u);
      EXPECT_TRUE(exists(target + L"\\save.dat")) << "removing the link keeps the target's files";
    }
  }
  bool linkShowsTargetFiles() { return exists(links + L"\\Steam\\save.dat"); }

  TestFolder root;
  std::wstring program, links, target;
  std::unique_ptr<App> app;
};

TEST_F(LinkTest, ALinkIsMadeAndReportedThenItsNameIsTaken) {
  installProgram(program);
  start();
  const auto clicked = std::chrono::steady_clock::now();
  app->click(id::kCommand1);
  EXPECT_EQ(app->waitForMessage().value_or(L"<none>"), kLinkCreated);
  const auto reported = std::chrono::steady_clock::now();
  std::printf(
      "click to success message: %lld ms\n",
      static_cast<long long>(
          std::chrono::duration_cast<std::chrono::milliseconds>(reported - clicked).count()));
  EXPECT_TRUE(linkShowsTargetFiles());
  app->acknowledge();
  EXPECT_TRUE(app->waitForText(id::kCommand1, L"创建链接！"));
  EXPECT_TRUE(app->enabled(id::kCommand1));

  app->click(id::kCommand1);
  EXPECT_EQ(app->acknowledge().value_or(L"<none>"), kSameName);
  EXPECT_TRUE(exists(target + L"\\save.dat")) << "the target is untouched";
}

TEST_F(LinkTest, ADriveRootAsTargetIsRefused) {
  installProgram(program);
  start();
  app->setText(id::kText2, L"C:\\");
  app->pressEnter(id::kText2);
  ASSERT_TRUE(app->waitForText(id::kDir2, L"C:\\"));
  app->click(id::kCommand1);
  EXPECT_EQ(app->acknowledge().value_or(L"<none>"), kRootTarget);
  EXPECT_TRUE(app->enabled(id::kCommand1));
}

TEST_F(LinkTest, ATargetOnANetworkDriveIsRefusedBeforeTheToolStarts) {
  if (::GetDriveTypeW(L"N:\\") != DRIVE_REMOTE) GTEST_SKIP() << "N: is no network drive here";
  installProgram(program);
  start();
  app->setText(id::kText2, L"N:\\shared");
  app->pressEnter(id::kText2);
  ASSERT_TRUE(app->waitForText(id::kDir2, L"N:\\shared"));
  app->click(id::kCommand1);
  EXPECT_EQ(app->acknowledge().value_or(L"<none>"), kOnNetwork);
  EXPECT_FALSE(exists(links + L"\\shared"));
}

TEST_F(LinkTest, TheToolRemovedAfterStartUpIsReported) {
  installProgram(program);
  start();
  ASSERT_TRUE(deleteWhenReleased(program + L"\\junction.exe"));
  app->click(id::kCommand1);
  EXPECT_EQ(app->acknowledge().value_or(L"<none>"), kToolMissing);
  EXPECT_FALSE(exists(links + L"\\Steam"));
  EXPECT_EQ(app->text(id::kCommand1), L"创建链接！");
}

TEST_F(LinkTest, CustomModeOnlySaysTheCommandWasSubmitted) {
  installProgram(program);
  start();
  app->click(id::kCheck1);
  app->acknowledge();
  app->click(id::kCommand1);
  EXPECT_EQ(app->acknowledge().value_or(L"<none>"), kSubmitted);
  EXPECT_TRUE(app->waitForText(id::kCommand1, L"创建链接！"));
}

TEST_F(LinkTest, AToolThatTakesOneAndAHalfSecondsIsStillASuccess) {
  installProgram(program);
  const std::wstring bin = buildFolder();
  ASSERT_TRUE(::CopyFileW((programSource() + L"\\junction.exe").c_str(),
                          (program + L"\\junction-real.exe").c_str(), FALSE));
  ASSERT_TRUE(::CopyFileW((bin + L"\\slow_junction.exe").c_str(),
                          (program + L"\\junction.exe").c_str(), FALSE));
  start();
  app->click(id::kCommand1);
  EXPECT_TRUE(app->waitForText(id::kCommand1, L"创建中..."));
  EXPECT_FALSE(app->waitForMessage(1000ms)) << "no verdict while the tool is still working";
  EXPECT_EQ(app->acknowledge(10s).value_or(L"<none>"), kLinkCreated);
  EXPECT_TRUE(linkShowsTargetFiles());
}

}  // namespace
}  // namespace mirafold::ui
