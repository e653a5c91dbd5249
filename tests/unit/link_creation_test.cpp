#include <gtest/gtest.h>

#include "fakes/main_window.h"

namespace mirafold {
namespace {

constexpr auto kToolMissing = L"junction.exe不存在，请把它与本程序放在同一文件夹";
constexpr auto kNotNtfs = L"链接创建失败！链接所在分区的文件系统类型必须为NTFS";
constexpr auto kRootTarget = L"链接创建失败！不可将根目录作为链接目标";
constexpr auto kSameName = L"链接创建失败！链接所在路径已存在同名文件夹";
constexpr auto kTargetMissing = L"链接创建失败！链接目标不存在";
constexpr auto kLinkCreated = L"链接创建成功！";
constexpr auto kUnknownFailure = L"链接创建失败！原因未知。";
constexpr auto kSubmitted = L"命令已提交，请自行检查链接是否成功";
constexpr auto kStartFailed = L"命令启动失败，请检查命令行";
constexpr auto kLinkPath = L"D:\\Links\\Saves";

using Messages = std::vector<std::wstring>;

class LinkCreationTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(w.load());
    ASSERT_TRUE(w.dir1.setPath(L"D:\\Links"));
    ASSERT_TRUE(w.dir2.setPath(L"C:\\Data\\Saves"));
    w.messages.shown.clear();
    w.processes.started.clear();
  }
  // The link appears just before the n-th tick (1: as soon as the tool starts).
  void toolMakesLinkAfter(int tick) { linkAfterTicks = tick; }
  void click() {
    w.processes.onStart = [this](const std::wstring&) {
      if (linkAfterTicks == 1) w.files.addFolder(kLinkPath);
    };
    w.command1.click();
  }
  void tick() {
    if (++ticks == linkAfterTicks) w.files.addFolder(kLinkPath);
    w.timer1.fire();
  }
  void expectIdle() {
    EXPECT_EQ(w.command1.text(), L"创建链接！");
    EXPECT_TRUE(w.command1.enabled());
    EXPECT_FALSE(w.timer1.enabled());
  }
  void expectBusy() {
    EXPECT_EQ(w.command1.text(), L"创建中...");
    EXPECT_FALSE(w.command1.enabled());
    EXPECT_TRUE(w.timer1.enabled());
  }

  fakes::MainWindow w;
  int linkAfterTicks = 0;
  int ticks = 0;
};

TEST_F(LinkCreationTest, StartsTheComposedLineAndReportsTheLinkAtTheFirstTick) {
  toolMakesLinkAfter(1);
  click();
  expectBusy();
  ASSERT_EQ(w.processes.started.size(), 1u);
  EXPECT_EQ(w.processes.started[0].commandLine,
            L"D:\\Tools\\junction.exe \"D:\\Links\\Saves\" \"C:\\Data\\Saves\"");
  EXPECT_EQ(w.processes.started[0].show, platform::WindowShow::MinimizedNoActivate);
  EXPECT_TRUE(w.messages.shown.empty());

  tick();
  EXPECT_EQ(w.messages.shown, Messages{kLinkCreated});
  expectIdle();
}

TEST(LinkCreationChecksTest, TheFirstFailingCheckIsTheOneReported) {
  struct Row {
    const char* what;
    void (*arrange)(fakes::MainWindow&);
    const wchar_t* message;
  };
  const Row rows[] = {
      {"tool gone", [](fakes::MainWindow& w) { w.files.remove(L"D:\\Tools\\junction.exe"); },
       kToolMissing},
      {"tool gone, custom mode",
       [](fakes::MainWindow& w) {
         w.files.remove(L"D:\\Tools\\junction.exe");
         w.check1.clickWithValue(1);
         w.messages.shown.clear();
       },
       kToolMissing},
      {"FAT volume and a root target",
       [](fakes::MainWindow& w) {
         w.volume.setName(L"d:", u"FAT32");
         ASSERT_TRUE(w.dir2.setPath(L"C:\\"));
       },
       kNotNtfs},
      {"volume that cannot be asked",
       [](fakes::MainWindow& w) {
         w.volume.setVolume(L"d:", {.openStatus = fakes::kDeviceNotReady});
       },
       kNotNtfs},
      {"the drive list's drive decides, not the path",
       [](fakes::MainWindow& w) {
         w.volume.setName(L"e:", u"FAT32");
         w.drive1.selectDriveOf(L"E:\\");
       },
       kNotNtfs},
      {"root target", [](fakes::MainWindow& w) { ASSERT_TRUE(w.dir2.setPath(L"E:\\")); },
       kRootTarget},
      {"link path exists and the target is gone",
       [](fakes::MainWindow& w) {
         w.files.addFolder(kLinkPath);
         w.files.remove(L"C:\\Data\\Saves");
       },
       kSameName},
      {"a file at the link path", [](fakes::MainWindow& w) { w.files.addFile(kLinkPath); },
       kSameName},
      {"target gone", [](fakes::MainWindow& w) { w.files.remove(L"C:\\Data\\Saves"); },
       kTargetMissing},
      {"hidden target",
       [](fakes::MainWindow& w) { w.files.addFolder(L"C:\\Data\\Saves", {.hidden = true}); },
       kTargetMissing},
      {"system target",
       [](fakes::MainWindow& w) { w.files.addFolder(L"C:\\Data\\Saves", {.system = true}); },
       kTargetMissing},
  };
  for (const Row& row : rows) {
    fakes::MainWindow w;
    ASSERT_TRUE(w.load());
    ASSERT_TRUE(w.dir1.setPath(L"D:\\Links"));
    ASSERT_TRUE(w.dir2.setPath(L"C:\\Data\\Saves"));
    row.arrange(w);
    w.messages.shown.clear();
    w.processes.started.clear();
    w.command1.click();
    EXPECT_EQ(w.messages.shown, Messages{row.message}) << row.what;
    EXPECT_TRUE(w.processes.started.empty()) << row.what;
    EXPECT_TRUE(w.command1.enabled()) << row.what;
    EXPECT_FALSE(w.timer1.enabled()) << row.what;
  }
}

TEST_F(LinkCreationTest, TheLinkPathComesFromTheListNotFromUnconfirmedText) {
  w.text1.type(L"E:\\Games");
  w.files.addFolder(L"E:\\Games\\Saves");  // would block creation if Text1 were used
  toolMakesLinkAfter(1);
  click();
  tick();
  EXPECT_EQ(w.messages.shown, Messages{kLinkCreated});

  w.messages.shown.clear();
  w.text1.type(L"C:\\Nowhere");
  w.command1.click();
  EXPECT_EQ(w.messages.shown, Messages{kSameName}) << "the link just made is found again";
}

TEST_F(LinkCreationTest, CustomModeStartsTheEditedLineAfterTheToolCheckAlone) {
  w.volume.setName(L"d:", u"FAT32");
  ASSERT_TRUE(w.dir2.setPath(L"C:\\"));
  w.check1.clickWithValue(1);
  w.comd.type(L"cmd /c mklink /j x y");
  w.messages.shown.clear();

  click();
  expectBusy();
  ASSERT_EQ(w.processes.started.size(), 1u);
  EXPECT_EQ(w.processes.started[0].commandLine, L"cmd /c mklink /j x y");
  tick();
  EXPECT_EQ(w.messages.shown, Messages{kSubmitted});
  expectIdle();
}

TEST_F(LinkCreationTest, TheTickExaminesWhatWasStartedNotTheSelectionsNow) {
  toolMakesLinkAfter(1);
  click();
  ASSERT_TRUE(w.dir1.setPath(L"E:\\Games"));  // the user moves on while waiting
  w.check1.clickWithValue(1);                 // and turns custom mode on
  w.messages.shown.clear();
  tick();
  EXPECT_EQ(w.messages.shown, Messages{kLinkCreated});
  expectIdle();
}

TEST_F(LinkCreationTest, ALinkStartedInCustomModeIsReportedAsSubmittedEvenIfModeIsLeft) {
  w.check1.clickWithValue(1);
  click();
  w.check1.clickWithValue(0);
  w.messages.shown.clear();
  tick();
  EXPECT_EQ(w.messages.shown, Messages{kSubmitted});
}

TEST_F(LinkCreationTest, ASlowToolIsWaitedForAndStillReportedAsSuccess) {
  toolMakesLinkAfter(4);  // between 1.5 s and 2 s
  click();
  for (int i = 0; i < 3; ++i) {
    tick();
    EXPECT_TRUE(w.messages.shown.empty()) << "tick " << i + 1;
    expectBusy();
  }
  tick();
  EXPECT_EQ(w.messages.shown, Messages{kLinkCreated});
  expectIdle();
}

TEST_F(LinkCreationTest, ALinkThatNeverComesIsReportedAfterTenSeconds) {
  click();
  for (int i = 0; i < 19; ++i) tick();
  EXPECT_TRUE(w.messages.shown.empty());
  expectBusy();
  tick();
  EXPECT_EQ(w.messages.shown, Messages{kUnknownFailure});
  expectIdle();
  w.timer1.fire();
  EXPECT_EQ(w.messages.shown.size(), 1u) << "no tick after the timer is off";
}

TEST_F(LinkCreationTest, ALineThatCannotStartIsReportedAndLeavesTheButtonIdle) {
  w.check1.clickWithValue(1);
  w.comd.type(L"");
  w.processes.canStart = false;
  w.messages.shown.clear();
  click();
  EXPECT_EQ(w.messages.shown, Messages{kStartFailed});
  expectIdle();
}

TEST_F(LinkCreationTest, LinkAfterLink) {
  for (const wchar_t* target : {L"C:\\Data\\Saves", L"C:\\Data", L"E:\\Games"}) {
    ASSERT_TRUE(w.dir2.setPath(target));
    w.messages.shown.clear();
    w.command1.click();
    w.files.addFolder(std::wstring(L"D:\\Links\\") + (wcsrchr(target, L'\\') + 1));
    w.timer1.fire();
    EXPECT_EQ(w.messages.shown, Messages{kLinkCreated}) << target;
    expectIdle();
  }
}

}  // namespace
}  // namespace mirafold
