#include <gtest/gtest.h>

#include "fakes/main_window.h"

namespace mirafold {
namespace {

constexpr auto kNoSuchFolder = L"目录不存在";
using Messages = std::vector<std::wstring>;

class TypedPathEntryTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(w.load());
    w.files.addFile(L"C:\\Data\\notes.txt");
  }
  void typeInto(fakes::FakeTextBox& box, const std::wstring& text) {
    box.type(L"");
    for (wchar_t c : text) box.press(c);
  }
  fakes::MainWindow w;
};

TEST_F(TypedPathEntryTest, EnterOrTheArrowGoesToAnExistingFolder) {
  typeInto(w.text1, L"E:\\Games\\");
  EXPECT_EQ(w.dir1.path(), L"D:\\Tools") << "typing alone moves nothing";
  w.text1.press(L'\r');
  EXPECT_EQ(w.dir1.path(), L"E:\\Games");
  EXPECT_EQ(w.text1.text(), L"E:\\Games") << "the list's own form of the path";
  EXPECT_EQ(w.comd.text(), L"D:\\Tools\\junction.exe \"E:\\Games\\Tools\" \"D:\\Tools\"");

  typeInto(w.text2, L"C:\\Data");
  w.command5.click();
  EXPECT_EQ(w.dir2.path(), L"C:\\Data");
  EXPECT_EQ(w.comd.text(), L"D:\\Tools\\junction.exe \"E:\\Games\\Data\" \"C:\\Data\"");
  EXPECT_TRUE(w.messages.shown.empty());
}

TEST_F(TypedPathEntryTest, ARootOfAnotherDriveTakesTheRootFormAndLeavesTheDriveList) {
  typeInto(w.text1, L"E:\\");
  w.command4.click();
  EXPECT_EQ(w.dir1.path(), L"E:\\");
  EXPECT_EQ(w.comd.text(), L"D:\\Tools\\junction.exe \"E:\\Tools\" \"D:\\Tools\"");
  EXPECT_EQ(w.drive1.drive(), L"d: [Data]");
}

TEST_F(TypedPathEntryTest, ARefusedLinkLocationResetsTheBoxAndTheLine) {
  for (const wchar_t* typed : {L"D:\\Missing", L"C:\\Data\\notes.txt", L"", L"\"D:\\Links\""}) {
    w.check1.clickWithValue(1);
    w.comd.type(L"edited by hand");
    w.messages.shown.clear();
    typeInto(w.text1, typed);
    w.text1.press(L'\r');
    EXPECT_EQ(w.messages.shown, Messages{kNoSuchFolder}) << typed;
    EXPECT_EQ(w.dir1.path(), L"D:\\Tools") << typed;
    EXPECT_EQ(w.text1.text(), L"D:\\Tools") << typed;
    EXPECT_EQ(w.comd.text(), L"D:\\Tools\\junction.exe \"D:\\Tools\\Tools\" \"D:\\Tools\"")
        << "the hand edit is replaced: " << typed;
  }
}

TEST_F(TypedPathEntryTest, ARefusedTargetResetsTheBoxButKeepsTheLine) {
  w.check1.clickWithValue(1);
  w.comd.type(L"edited by hand");
  w.messages.shown.clear();
  typeInto(w.text2, L"C:\\Data\\notes.txt");
  w.command5.click();
  EXPECT_EQ(w.messages.shown, Messages{kNoSuchFolder});
  EXPECT_EQ(w.text2.text(), L"D:\\Tools");
  EXPECT_EQ(w.dir2.path(), L"D:\\Tools");
  EXPECT_EQ(w.comd.text(), L"edited by hand");
}

TEST_F(TypedPathEntryTest, KeysOtherThanEnterNeverMoveAList) {
  for (wchar_t key : {L'\n', L'\t', L'\x1b', L' ', L'a'}) {
    w.text2.type(L"C:\\Data");
    w.text2.press(key);
  }
  EXPECT_EQ(w.dir2.path(), L"D:\\Tools");
  EXPECT_TRUE(w.messages.shown.empty());
}

}  // namespace
}  // namespace mirafold
