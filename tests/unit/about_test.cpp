#include "about/about.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "fakes/main_window.h"

namespace mirafold {
namespace {

std::vector<std::wstring> linesOf(const std::wstring& text) {
  std::vector<std::wstring> lines;
  std::size_t start = 0;
  for (;;) {
    const auto end = text.find(L"\r\n", start);
    lines.push_back(text.substr(start, end - start));
    if (end == std::wstring::npos) return lines;
    start = end + 2;
  }
}

TEST(AboutMessageTest, HasEighteenLinesWithTheBuildNumberInTheFirst) {
  const std::wstring text = about::aboutMessage(52);
  const auto lines = linesOf(text);
  ASSERT_EQ(lines.size(), 18u);
  EXPECT_EQ(lines[0], L"Mirafold （文件夹映射工具）v1.04 (Build 52)");
  EXPECT_TRUE(lines[1].starts_with(L"作者：") && lines[1].ends_with(L" "))
      << "the name and a space";
  EXPECT_TRUE(lines[2].starts_with(L"微信：") && lines[2].find(L" QQ：") != std::wstring::npos);
  EXPECT_EQ(lines[3], L"官方网站：https://mirafold.example");
  EXPECT_EQ(lines[4], L"本软件自带junction.exe，无需另外下载");
  EXPECT_EQ(lines[13], L"也因此本软件不需要在后台运行，即使被彻底退出，映射依然生效");
  EXPECT_EQ(lines[17], L"另外本软件为开源软件，各位可前往作者网站下载源代码");
  EXPECT_FALSE(text.ends_with(L"\n"));
  EXPECT_EQ(text.find(L'\n'), text.find(L"\r\n") + 1) << "only CRLF breaks";

  std::vector<std::size_t> empty;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].empty()) empty.push_back(i);
  }
  EXPECT_EQ(empty, (std::vector<std::size_t>{5, 14}));
}

TEST(AboutMessageTest, TheBuildNumberIsThatOfTheVersionRecord) {
  EXPECT_TRUE(
      about::aboutMessage(0).starts_with(L"Mirafold （文件夹映射工具）v1.04 (Build 0)\r\n"));
  EXPECT_TRUE(about::aboutMessage(65535).starts_with(
      L"Mirafold （文件夹映射工具）v1.04 (Build 65535)\r\n"));
}

TEST(AboutLabelsTest, ShowTheMessageAndOpenTheSameAddressAsTheCaption) {
  fakes::MainWindow w;
  ASSERT_TRUE(w.load());
  w.processes.started.clear();
  w.program.revisionNumber = 53;
  w.label7.click();
  ASSERT_EQ(w.messages.shown.size(), 1u);
  EXPECT_EQ(w.messages.shown[0], about::aboutMessage(53));

  w.label3.click();
  ASSERT_EQ(w.processes.started.size(), 1u);
  EXPECT_EQ(w.processes.started[0].commandLine,
            L"\"C:\\Windows\\explorer.exe\" https://mirafold.example");
  EXPECT_EQ(w.processes.started[0].show, platform::WindowShow::NormalWithFocus);
  EXPECT_EQ(w.messages.shown.size(), 1u);
}

}  // namespace
}  // namespace mirafold
