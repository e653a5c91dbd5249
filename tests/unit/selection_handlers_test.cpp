#include <gtest/gtest.h>

#include "fakes/main_window.h"

namespace mirafold {
namespace {

constexpr auto kCustomModeNotice =
    L"勾选该选项可让你修改命令行，但这种情况下本程序将不会为您检查链接是否创建成功";

class SelectionHandlersTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(w.load()); }
  fakes::MainWindow w;
};

TEST_F(SelectionHandlersTest, OpeningAFolderInEitherListMirrorsItAndRecomposes) {
  ASSERT_TRUE(w.dir1.setPath(L"E:\\Games"));
  EXPECT_EQ(w.text1.text(), L"E:\\Games");
  EXPECT_EQ(w.comd.text(), L"D:\\Tools\\junction.exe \"E:\\Games\\Tools\" \"D:\\Tools\"");

  ASSERT_TRUE(w.dir2.setPath(L"C:\\Data\\Saves"));
  EXPECT_EQ(w.text2.text(), L"C:\\Data\\Saves");
  EXPECT_EQ(w.comd.text(), L"D:\\Tools\\junction.exe \"E:\\Games\\Saves\" \"C:\\Data\\Saves\"");
}

TEST_F(SelectionHandlersTest, TextTypedButNotConfirmedDoesNotChangeTheLine) {
  const std::wstring before = w.comd.text();
  w.text1.type(L"C:\\Data");
  w.text2.type(L"E:\\Games");
  ASSERT_TRUE(w.dir1.setPath(L"D:\\Tools"));
  EXPECT_EQ(w.comd.text(), before);
}

TEST_F(SelectionHandlersTest, SelectingADriveMovesItsFolderListThere) {
  w.drive1.select(L"e: [Games]");
  EXPECT_EQ(w.dir1.path(), L"E:\\");
  EXPECT_EQ(w.text1.text(), L"E:\\");
  EXPECT_EQ(w.comd.text(), L"D:\\Tools\\junction.exe \"E:\\Tools\" \"D:\\Tools\"");

  w.drive2.select(L"c: [System]");
  EXPECT_EQ(w.dir2.path(), L"C:\\");
  EXPECT_EQ(w.text2.text(), L"C:\\");
  // A root's backslash is doubled before the closing quote, or it would escape the quote.
  EXPECT_EQ(w.comd.text(), L"D:\\Tools\\junction.exe \"E:\\\\\" \"C:\\\\\"");
  EXPECT_TRUE(w.messages.shown.empty());
}

TEST_F(SelectionHandlersTest, AnUnreadableDriveIsReportedAndTheListGoesBack) {
  for (auto* side : {&w.drive1, &w.drive2}) {
    w.messages.shown.clear();
    const std::wstring line = w.comd.text();
    side->select(L"f:");
    EXPECT_EQ(w.messages.shown, std::vector<std::wstring>{L"无法读取该驱动器"});
    EXPECT_EQ(side->drive(), L"d:");
    EXPECT_EQ(w.dir1.path(), L"D:\\Tools");
    EXPECT_EQ(w.dir2.path(), L"D:\\Tools");
    EXPECT_EQ(w.comd.text(), line);
  }
}

TEST_F(SelectionHandlersTest, CustomModeOnKeepsTheLineAndEnablesItAfterTheNotice) {
  const std::wstring line = w.comd.text();
  EXPECT_FALSE(w.comd.enabled()) << "disabled until custom mode";
  bool enabledWhileNoticeOpen = true;
  w.messages.whileOpen = [&](const std::wstring&) { enabledWhileNoticeOpen = w.comd.enabled(); };

  w.check1.toggle();
  EXPECT_EQ(w.messages.shown, std::vector<std::wstring>{kCustomModeNotice});
  EXPECT_FALSE(enabledWhileNoticeOpen);
  EXPECT_TRUE(w.comd.enabled());
  EXPECT_EQ(w.comd.text(), line);
}

TEST_F(SelectionHandlersTest, CustomModeEditsLastUntilASelectionChanges) {
  w.check1.toggle();
  w.comd.type(L"cmd /c echo edited");
  w.drive2.select(L"d:");  // same folder list path: the fake still raises the change
  ASSERT_TRUE(w.dir2.setPath(L"C:\\Data"));
  EXPECT_EQ(w.comd.text(), L"D:\\Tools\\junction.exe \"D:\\Tools\\Data\" \"C:\\Data\"");
  EXPECT_TRUE(w.comd.enabled()) << "a selection does not end custom mode";
}

TEST_F(SelectionHandlersTest, CustomModeOffDisablesAndRecomposes) {
  w.check1.toggle();
  w.comd.type(L"edited");
  w.check1.toggle();
  EXPECT_FALSE(w.comd.enabled());
  EXPECT_EQ(w.comd.text(), L"D:\\Tools\\junction.exe \"D:\\Tools\\Tools\" \"D:\\Tools\"");
  EXPECT_EQ(w.messages.shown.size(), 1u) << "no notice when turning it off";
}

TEST_F(SelectionHandlersTest, TheNoticeComesEveryTimeCustomModeIsTurnedOn) {
  for (int i = 0; i < 3; ++i) {
    w.check1.toggle();
    w.check1.toggle();
  }
  EXPECT_EQ(w.messages.shown.size(), 3u);
}

TEST_F(SelectionHandlersTest, AGreyCheckBoxCountsAsOff) {
  w.check1.toggle();
  w.comd.type(L"edited");
  w.check1.clickWithValue(2);
  EXPECT_FALSE(w.comd.enabled());
  EXPECT_EQ(w.comd.text(), L"D:\\Tools\\junction.exe \"D:\\Tools\\Tools\" \"D:\\Tools\"");
  EXPECT_EQ(w.messages.shown.size(), 1u);
}

}  // namespace
}  // namespace mirafold
