#include <gtest/gtest.h>

#include "fakes/main_window.h"

namespace mirafold {
namespace {

using platform::WindowShow;

constexpr auto kToolMissing = L"junction.exe不存在，请把它与本程序放在同一文件夹";
constexpr auto kNotAFolder = L"目录不存在，请注意你只能对文件夹执行此操作";
constexpr auto kChooseLocation = L"请在左侧列表中选择你要在哪里创建此文件夹的链接";
constexpr auto kStartLine = L"D:\\Tools\\junction.exe \"D:\\Tools\\Tools\" \"D:\\Tools\"";

TEST(FormLoadTest, WithoutArgumentShowsBothFramesAndTheComposedLine) {
  fakes::MainWindow w;
  EXPECT_TRUE(w.load());
  EXPECT_TRUE(w.messages.shown.empty());
  EXPECT_EQ(w.text1.text(), L"D:\\Tools");
  EXPECT_EQ(w.text2.text(), L"D:\\Tools");
  EXPECT_EQ(w.comd.text(), kStartLine);
  EXPECT_EQ(w.label2.text(), L"版本：v1.04 (Build 52) (2018.10.7)");
  EXPECT_TRUE(w.frame2.visible());
  ASSERT_EQ(w.processes.started.size(), 1u);
  // By its full path: neither the current folder nor PATH can supply another tool.
  EXPECT_EQ(w.processes.started[0].commandLine, L"D:\\Tools\\junction.exe /accepteula");
  EXPECT_TRUE(w.processes.started[0].onceShown) << "the window is not held back by it";
  EXPECT_EQ(w.processes.started[0].show, WindowShow::MinimizedNoActivate);
}

TEST(FormLoadTest, VersionLabelTakesTheRevisionOfTheVersionRecord) {
  fakes::MainWindow w;
  w.program.revisionNumber = 7;
  ASSERT_TRUE(w.load());
  EXPECT_EQ(w.label2.text(), L"版本：v1.04 (Build 7) (2018.10.7)");
}

TEST(FormLoadTest, WithoutAPlainToolFileOnlyTheToolMessageIsShown) {
  struct Case {
    const char* what;
    void (*arrange)(fakes::FakeFileSystem&);
  };
  const Case cases[] = {
      {"missing", [](fakes::FakeFileSystem& f) { f.remove(L"D:\\Tools\\junction.exe"); }},
      {"a folder of that name",
       [](fakes::FakeFileSystem& f) { f.addFolder(L"D:\\Tools\\junction.exe"); }},
      {"hidden",
       [](fakes::FakeFileSystem& f) {
         f.addFile(L"D:\\Tools\\junction.exe", {.folder = false, .hidden = true});
       }},
      {"system", [](fakes::FakeFileSystem& f) {
         f.addFile(L"D:\\Tools\\junction.exe", {.folder = false, .system = true});
       }}};
  for (const Case& c : cases) {
    fakes::MainWindow w;
    c.arrange(w.files);
    w.program.argument = L"C:\\Data";
    EXPECT_FALSE(w.load()) << c.what;
    EXPECT_EQ(w.messages.shown, std::vector<std::wstring>{kToolMissing}) << c.what;
    EXPECT_TRUE(w.processes.started.empty()) << c.what;
    EXPECT_EQ(w.label2.text(), L"版本：v1.04") << c.what;
    EXPECT_EQ(w.dir2.path(), L"D:\\Tools") << "the argument is not read: " << c.what;
  }
}

TEST(FormLoadTest, QuotedFolderArgumentBecomesTheTargetAndHidesItsFrame) {
  fakes::MainWindow w;
  w.files.addFolder(L"D:\\My Data");
  w.program.argument = L"\"D:\\My Data\"";
  bool frameHiddenBeforeMessage = false;
  w.messages.whileOpen = [&](const std::wstring&) {
    frameHiddenBeforeMessage = !w.frame2.visible();
  };

  EXPECT_TRUE(w.load());
  EXPECT_EQ(w.messages.shown, std::vector<std::wstring>{kChooseLocation});
  EXPECT_TRUE(frameHiddenBeforeMessage);
  EXPECT_EQ(w.dir2.path(), L"D:\\My Data");
  EXPECT_EQ(w.text2.text(), L"D:\\My Data");
  EXPECT_EQ(w.comd.text(), L"D:\\Tools\\junction.exe \"D:\\Tools\\My Data\" \"D:\\My Data\"");
  EXPECT_TRUE(w.frame1.visible());
  EXPECT_EQ(w.drive2.drive(), L"d: [Data]");
}

TEST(FormLoadTest, ArgumentThatIsNoFolderEndsTheProgram) {
  const wchar_t* arguments[] = {L"D:\\Tools\\junction.exe", L"D:\\Missing",
                                L"\"C:\\Data\" \"E:\\Games\"", L"\"\""};
  for (const wchar_t* argument : arguments) {
    fakes::MainWindow w;
    w.program.argument = argument;
    EXPECT_FALSE(w.load()) << argument;
    EXPECT_EQ(w.messages.shown, std::vector<std::wstring>{kNotAFolder}) << argument;
    EXPECT_TRUE(w.frame2.visible()) << argument;
    // The preliminary run was asked for by then; with no window shown it never starts.
    EXPECT_EQ(w.processes.started.size(), 1u) << argument;
  }
}

TEST(FormLoadTest, APreliminaryRunThatCannotStartIsNotReported) {
  fakes::MainWindow w;
  w.processes.canStart = false;
  EXPECT_TRUE(w.load());
  EXPECT_TRUE(w.messages.shown.empty());
}

}  // namespace
}  // namespace mirafold
