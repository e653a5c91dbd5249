#include <gtest/gtest.h>

#include <optional>

#include "fakes/main_window.h"

namespace mirafold {
namespace {

constexpr auto kToolMissing = L"junction.exe不存在，请把它与本程序放在同一文件夹";
constexpr auto kNotNtfs = L"链接创建失败！链接所在分区的文件系统类型必须为NTFS";
constexpr auto kOnNetwork = L"链接创建失败！链接目标不可位于网络位置";
constexpr auto kRootTarget = L"链接创建失败！不可将根目录作为链接目标";
constexpr auto kSameName = L"链接创建失败！链接所在路径已存在同名文件夹";
constexpr auto kTargetMissing = L"链接创建失败！链接目标不存在";
constexpr auto kInsideTarget = L"链接创建失败！链接不可位于链接目标之内";
constexpr auto kLinkCreated = L"链接创建成功！";
constexpr auto kUnknownFailure = L"链接创建失败！原因未知。";
constexpr auto kRetryAsAdministrator = L"链接创建失败！权限不足，是否以管理员身份重试？";
constexpr auto kSubmitted = L"命令已提交，请自行检查链接是否成功";
constexpr auto kStartFailed = L"命令启动失败，请检查命令行";
constexpr auto kLinkPath = L"D:\\Links\\Saves";
constexpr auto kToolArguments = L"\"D:\\Links\\Saves\" \"C:\\Data\\Saves\"";

using Messages = std::vector<std::wstring>;

std::wstring failedWith(std::uint32_t code) {
  return L"链接创建失败！error " + std::to_wstring(code);
}

// What the started tool does: it ends at a tick with an exit code, having made the link or not.
struct ToolRun {
  int endsAtTick = 1;  // 0: never ends
  std::uint32_t exitCode = 0;
  bool makesLink = true;
};

class LinkCreationTest : public testing::Test {
 public:
  void SetUp() override {
    ASSERT_TRUE(w.load());
    ASSERT_TRUE(w.dir1.setPath(L"D:\\Links"));
    ASSERT_TRUE(w.dir2.setPath(L"C:\\Data\\Saves"));
    w.messages.shown.clear();
    w.processes.started.clear();
  }
  // The run of the next process started, kept or elevated.
  void toolRuns(ToolRun run) { runs.push_back(run); }
  void click() { w.command1.click(); }
  // One tick; the processes whose end has come end just before it.
  void tick() {
    ++ticks;
    for (std::size_t i = 0; i < w.processes.keptCount(); ++i) {
      const ToolRun run = i < runs.size() ? runs[i] : ToolRun{};
      auto state = w.processes.kept(i);
      if (state->exitCode || run.endsAtTick == 0) continue;
      if (ticks - startTick(i) < run.endsAtTick) continue;
      if (run.makesLink) w.files.addFolder(kLinkPath);
      state->exitCode = run.exitCode;
    }
    w.timer1.fire();
  }
  int startTick(std::size_t process) {
    while (started.size() < w.processes.keptCount()) started.push_back(ticks - 1);
    return started[process];
  }
  void expectIdle() {
    EXPECT_EQ(w.command1.text(), L"创建链接！");
    EXPECT_TRUE(w.command1.enabled());
    EXPECT_FALSE(w.timer1.enabled());
    for (std::size_t i = 0; i < w.processes.keptCount(); ++i) {
      EXPECT_TRUE(w.processes.kept(i)->closed) << "process " << i << " is closed when idle";
    }
  }
  void expectBusy() {
    EXPECT_EQ(w.command1.text(), L"创建中...");
    EXPECT_FALSE(w.command1.enabled());
    EXPECT_TRUE(w.timer1.enabled());
  }

  fakes::MainWindow w;
  std::vector<ToolRun> runs;
  std::vector<int> started;
  int ticks = 0;
};

TEST_F(LinkCreationTest, StartsTheComposedLineAndReportsTheLinkAtTheFirstTick) {
  toolRuns({});
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

TEST(LinkCreationVerdictTest, TheToolsOwnEndDecides) {
  struct Row {
    const char* what;
    ToolRun run;
    int ticksToVerdict;
    std::wstring message;
  };
  const Row rows[] = {
      {"ended with 0 and the link is there", {1, 0, true}, 1, kLinkCreated},
      {"ended with 0 but made nothing", {1, 0, false}, 1, kUnknownFailure},
      {"a missing parent: the tool's reason at once", {1, 3, false}, 1, failedWith(3)},
      {"a failure leaves what was there: still a failure", {1, 183, true}, 1, failedWith(183)},
      {"the tool's own code, which the system cannot describe",
       {1, 0x20000002, false},
       1,
       kUnknownFailure},
      {"a slow tool is waited for", {4, 0, true}, 4, kLinkCreated},
      {"a slow tool's refusal comes when it ends", {7, 87, false}, 7, failedWith(87)},
      {"a tool that never ends and never makes it", {0, 0, false}, 20, kUnknownFailure},
  };
  for (const Row& row : rows) {
    struct Fixture : LinkCreationTest {
      void TestBody() override {}
    } f;
    f.SetUp();
    f.toolRuns(row.run);
    f.click();
    for (int i = 1; i < row.ticksToVerdict; ++i) {
      f.tick();
      EXPECT_TRUE(f.w.messages.shown.empty()) << row.what << ", tick " << i;
      EXPECT_TRUE(f.w.timer1.enabled()) << row.what << ", tick " << i;
    }
    f.tick();
    EXPECT_EQ(f.w.messages.shown, Messages{row.message}) << row.what;
    f.expectIdle();
  }
}

TEST_F(LinkCreationTest, AToolStillRunningAfterTenSecondsIsJudgedByTheLinkPath) {
  toolRuns({.endsAtTick = 0});
  click();
  w.files.addFolder(kLinkPath);  // made, then the tool hangs
  for (int i = 0; i < 19; ++i) tick();
  EXPECT_TRUE(w.messages.shown.empty());
  expectBusy();
  tick();
  EXPECT_EQ(w.messages.shown, Messages{kLinkCreated});
  expectIdle();
  w.timer1.fire();
  EXPECT_EQ(w.messages.shown.size(), 1u) << "no tick after the timer is off";
}

TEST_F(LinkCreationTest, TheProcessIsClosedWhenTheWindowGoesWhileTheToolRuns) {
  std::shared_ptr<fakes::ProcessState> process;
  {
    fakes::MainWindow window;
    ASSERT_TRUE(window.load());
    ASSERT_TRUE(window.dir1.setPath(L"D:\\Links"));
    ASSERT_TRUE(window.dir2.setPath(L"C:\\Data\\Saves"));
    window.command1.click();
    ASSERT_EQ(window.processes.keptCount(), 1u);
    process = window.processes.kept(0);
    EXPECT_FALSE(process->closed);
  }
  EXPECT_TRUE(process->closed);
}

TEST_F(LinkCreationTest, NoRightsOffersTheSameToolLineAsAdministrator) {
  for (const std::uint32_t denied : {5u, 1314u, 740u}) {
    struct Fixture : LinkCreationTest {
      void TestBody() override {}
    } f;
    f.SetUp();
    f.toolRuns({.exitCode = denied, .makesLink = false});
    f.toolRuns({.endsAtTick = 2});
    f.w.messages.answers = {true};
    f.click();
    f.tick();
    EXPECT_EQ(f.w.messages.shown, Messages{kRetryAsAdministrator}) << denied;
    ASSERT_EQ(f.w.processes.elevated.size(), 1u) << denied;
    EXPECT_EQ(f.w.processes.elevated[0].program, L"D:\\Tools\\junction.exe");
    EXPECT_EQ(f.w.processes.elevated[0].parameters, kToolArguments);
    EXPECT_EQ(f.w.processes.elevated[0].show, platform::WindowShow::MinimizedNoActivate);
    EXPECT_TRUE(f.w.processes.kept(0)->closed) << "the refused run is let go";
    f.expectBusy();

    f.tick();
    EXPECT_EQ(f.w.messages.shown.size(), 1u) << "the elevated tool still runs";
    f.tick();
    EXPECT_EQ(f.w.messages.shown, (Messages{kRetryAsAdministrator, kLinkCreated})) << denied;
    f.expectIdle();
  }
}

TEST(LinkCreationRetryTest, EveryWayOutOfTheRetryEndsIdle) {
  using Consent = fakes::FakeProcesses::Consent;
  struct Row {
    const char* what;
    bool yes;
    Consent consent;
    std::optional<ToolRun> elevatedRun;
    Messages after;  // what follows the question
    std::size_t elevatedRuns;
  };
  const Row rows[] = {
      {"No", false, Consent::Given, std::nullopt, {}, 0},
      {"the consent prompt declined", true, Consent::Declined, std::nullopt, {}, 1},
      {"the elevated start fails", true, Consent::Fails, std::nullopt, {failedWith(2)}, 1},
      {"refused again as administrator: not asked twice",
       true,
       Consent::Given,
       ToolRun{.exitCode = 5, .makesLink = false},
       {failedWith(5)},
       1},
  };
  for (const Row& row : rows) {
    struct Fixture : LinkCreationTest {
      void TestBody() override {}
    } f;
    f.SetUp();
    f.toolRuns({.exitCode = 5, .makesLink = false});
    if (row.elevatedRun) f.toolRuns(*row.elevatedRun);
    f.w.messages.answers = {row.yes};
    f.w.processes.consent = row.consent;
    f.click();
    f.tick();
    if (row.elevatedRun) f.tick();
    Messages expected{kRetryAsAdministrator};
    expected.insert(expected.end(), row.after.begin(), row.after.end());
    EXPECT_EQ(f.w.messages.shown, expected) << row.what;
    EXPECT_EQ(f.w.processes.elevated.size(), row.elevatedRuns) << row.what;
    f.expectIdle();
  }
}

TEST_F(LinkCreationTest, CustomModeIsNeverJudgedNorElevated) {
  w.check1.clickWithValue(1);
  w.messages.shown.clear();
  toolRuns({.exitCode = 5, .makesLink = false});
  click();
  tick();
  EXPECT_EQ(w.messages.shown, Messages{kSubmitted});
  EXPECT_TRUE(w.processes.elevated.empty());
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
      {"the link path's volume decides, not the drive list's",
       [](fakes::MainWindow& w) {
         w.volume.setName(L"e:", u"FAT32");
         w.files.addFolder(L"E:\\Games");
         ASSERT_TRUE(w.dir1.setPath(L"E:\\Games"));
         w.drive1.selectDriveOf(L"D:\\");
       },
       kNotNtfs},
      {"target on a mapped network drive, also a root",
       [](fakes::MainWindow& w) {
         w.files.networkDrives = L"E";
         ASSERT_TRUE(w.dir2.setPath(L"E:\\"));
       },
       kOnNetwork},
      {"target reached through a junction to a share",
       [](fakes::MainWindow& w) { w.files.addJunction(L"C:\\Data\\Saves", L"\\\\srv\\s"); },
       kOnNetwork},
      {"link location on a mapped network drive",
       [](fakes::MainWindow& w) { w.files.networkDrives = L"D"; }, kOnNetwork},
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
      {"link location is the target",
       [](fakes::MainWindow& w) { ASSERT_TRUE(w.dir1.setPath(L"C:\\Data\\Saves")); },
       kInsideTarget},
      {"link location below the target, in other letter case",
       [](fakes::MainWindow& w) {
         w.files.addFolder(L"C:\\Data\\Saves\\Slot1");
         ASSERT_TRUE(w.dir1.setPath(L"c:\\data\\SAVES\\Slot1"));
       },
       kInsideTarget},
      {"link location reaches the target through a junction",
       [](fakes::MainWindow& w) { w.files.addJunction(L"D:\\Links", L"C:\\Data\\Saves\\Old"); },
       kInsideTarget},
      {"target is a junction to a folder holding the link location",
       [](fakes::MainWindow& w) { w.files.addJunction(L"C:\\Data\\Saves", L"D:\\"); },
       kInsideTarget},
      {"a link path that exists stops before the loop check",
       [](fakes::MainWindow& w) {
         ASSERT_TRUE(w.dir1.setPath(L"C:\\Data"));
         ASSERT_TRUE(w.dir2.setPath(L"C:\\Data"));
         w.files.addFolder(L"C:\\Data\\Data");
       },
       kSameName},
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
  toolRuns({});
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
  toolRuns({});
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
    const std::size_t run = w.processes.keptCount();
    w.command1.click();
    w.files.addFolder(std::wstring(L"D:\\Links\\") + (wcsrchr(target, L'\\') + 1));
    w.processes.kept(run)->exitCode = 0;
    w.timer1.fire();
    EXPECT_EQ(w.messages.shown, Messages{kLinkCreated}) << target;
    expectIdle();
  }
}

}  // namespace
}  // namespace mirafold
