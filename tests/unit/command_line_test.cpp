#include "link/command_line.h"

#include <gtest/gtest.h>

#include "link/tool.h"

namespace mirafold::link {
namespace {

struct Composition {
  const wchar_t* programFolder;
  const wchar_t* location;
  const wchar_t* target;
  const wchar_t* expected;
};

class ComposeCommandLineTest : public testing::TestWithParam<Composition> {};

TEST_P(ComposeCommandLineTest, JoinsToolLinkPathAndTarget) {
  const Composition& c = GetParam();
  EXPECT_EQ(composeCommandLine(c.programFolder, c.location, c.target), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ComposeCommandLineTest,
    testing::Values(
        Composition{L"D:\\Tools", L"E:\\Games", L"C:\\Program Files\\Foo",
                    L"D:\\Tools\\junction.exe \"E:\\Games\\Foo\" \"C:\\Program Files\\Foo\""},
        Composition{L"D:\\Tools", L"E:\\Games", L"C:\\Data\\Saves",
                    L"D:\\Tools\\junction.exe \"E:\\Games\\Saves\" \"C:\\Data\\Saves\""},
        // A root as link location takes no second backslash.
        Composition{L"D:\\Tools", L"E:\\", L"C:\\Data\\Saves",
                    L"D:\\Tools\\junction.exe \"E:\\Saves\" \"C:\\Data\\Saves\""},
        // A root as target has an empty link name; the line is composed all the same, with the
        // backslash before each closing quote doubled so that it does not escape the quote.
        Composition{L"D:\\Tools", L"E:\\Games", L"C:\\",
                    L"D:\\Tools\\junction.exe \"E:\\Games\\\\\" \"C:\\\\\""},
        Composition{L"D:\\Tools", L"E:\\", L"C:\\",
                    L"D:\\Tools\\junction.exe \"E:\\\\\" \"C:\\\\\""},
        // The program folder is joined without a test, also at a root.
        Composition{L"E:\\", L"E:\\Games", L"C:\\Data",
                    L"E:\\\\junction.exe \"E:\\Games\\Data\" \"C:\\Data\""},
        Composition{L"D:\\Tools", L"D:\\Tools", L"D:\\Tools",
                    L"D:\\Tools\\junction.exe \"D:\\Tools\\Tools\" \"D:\\Tools\""},
        // A tool path with a space is quoted so that no other program can be started.
        Composition{L"D:\\My Tools", L"E:\\Games", L"C:\\Data",
                    L"\"D:\\My Tools\\junction.exe\" \"E:\\Games\\Data\" \"C:\\Data\""},
        Composition{L"C:\\程序 目录", L"D:\\链接", L"C:\\数据\\存档",
                    L"\"C:\\程序 目录\\junction.exe\" \"D:\\链接\\存档\" \"C:\\数据\\存档\""}));

TEST(LastPathComponentTest, IsTheTextAfterTheLastBackslash) {
  EXPECT_EQ(lastPathComponent(L"C:\\Games\\Steam"), L"Steam");
  EXPECT_EQ(lastPathComponent(L"C:\\"), L"");
  EXPECT_EQ(lastPathComponent(L"Steam"), L"Steam");
  EXPECT_EQ(lastPathComponent(L"\\\\server\\share"), L"share");
  EXPECT_EQ(lastPathComponent(L""), L"");
}

TEST(LinkPathOfTest, AddsASeparatorOnlyWhereNeeded) {
  EXPECT_EQ(linkPathOf(L"D:\\Links", L"E:\\Games\\Steam"), L"D:\\Links\\Steam");
  EXPECT_EQ(linkPathOf(L"D:\\", L"E:\\Games\\Steam"), L"D:\\Steam");
  EXPECT_EQ(linkPathOf(L"D:\\Links", L"E:\\"), L"D:\\Links\\");
}

TEST(ToolLineTest, ThePreliminaryRunAndTheParametersNameTheToolByItsFullPath) {
  EXPECT_EQ(preliminaryRun(L"D:\\Tools"), L"D:\\Tools\\junction.exe /accepteula");
  EXPECT_EQ(preliminaryRun(L"C:\\Program Files\\Mirafold"),
            L"\"C:\\Program Files\\Mirafold\\junction.exe\" /accepteula");

  for (const wchar_t* folder : {L"D:\\Tools", L"C:\\Program Files\\Mirafold", L"E:\\"}) {
    const std::wstring line = composeCommandLine(folder, L"E:\\Games", L"C:\\My Data");
    EXPECT_EQ(toolParameters(line, folder), L"\"E:\\Games\\My Data\" \"C:\\My Data\"") << folder;
  }
  EXPECT_EQ(toolParameters(L"cmd /c mklink /j x y", L"D:\\Tools"), std::nullopt);
  // Another folder's junction.exe is not ours to elevate.
  EXPECT_EQ(toolParameters(L"D:\\Other\\junction.exe \"a\" \"b\"", L"D:\\Tools"), std::nullopt);
}

}  // namespace
}  // namespace mirafold::link
