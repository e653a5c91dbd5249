// Typing paths into the path boxes, the about box and the website label.

#include <gtest/gtest.h>

#include "app/main_layout.h"
#include "driver/driver.h"

namespace mirafold::ui {
namespace {

namespace id = app::id;

class TypedEntryTest : public testing::Test {
 protected:
  void SetUp() override {
    program = root.makeFolder(L"program");
    start = root.makeFolder(L"start");
    other = root.makeFolder(L"other place");
    installProgram(program);
    app = std::make_unique<App>(program, L"", start);
    ASSERT_NE(app->waitForMainWindow(), nullptr);
  }
  std::wstring lineFor(const std::wstring& location, const std::wstring& target) {
    return program + L"\\junction.exe \"" + location + L"\\" +
           target.substr(target.rfind(L'\\') + 1) + L"\" \"" + target + L"\"";
  }
  TestFolder root;
  std::wstring program, start, other;
  std::unique_ptr<App> app;
};

TEST_F(TypedEntryTest, EnterInTheLinkLocationBoxGoesThere) {
  app->setText(id::kText1, other + L"\\");
  app->pressEnter(id::kText1);
  ASSERT_TRUE(app->waitForText(id::kText1, other)) << "the list's own form, without the backslash";
  EXPECT_EQ(app->text(id::kDir1), other);
  EXPECT_EQ(app->text(id::kComd), lineFor(other, start));
  EXPECT_FALSE(app->messageBoxOpen());
}

TEST_F(TypedEntryTest, AMissingTargetIsRefusedAndTheLineKept) {
  const std::wstring line = app->text(id::kComd);
  app->setText(id::kText2, root / L"missing");
  app->click(id::kCommand5);
  EXPECT_EQ(app->acknowledge().value_or(L"<none>"), L"目录不存在");
  EXPECT_TRUE(app->waitForText(id::kText2, start));
  EXPECT_EQ(app->text(id::kDir2), start);
  EXPECT_EQ(app->text(id::kComd), line);
}

TEST_F(TypedEntryTest, TheAboutBoxShowsTheWholeMessage) {
  app->clickLabel(id::kLabel7);
  const auto text = app->acknowledge();
  ASSERT_TRUE(text);
  EXPECT_TRUE(text->starts_with(L"Mirafold （文件夹映射工具）v1.04 (Build 52)\r\n")) << *text;
  EXPECT_NE(text->find(L"官方网站：https://mirafold.example\r\n"), std::wstring::npos);
  EXPECT_TRUE(text->ends_with(L"另外本软件为开源软件，各位可前往作者网站下载源代码"));
  EXPECT_EQ(app->text(id::kLabel3), L"作者网站：https://mirafold.example");
}

TEST_F(TypedEntryTest, TheWebsiteLabelLeavesTheWindowResponsive) {
  // An explorer.exe beside the program, where a download may put one, is not what starts.
  ASSERT_TRUE(::CopyFileW((buildFolder() + L"\\marker.exe").c_str(),
                          (program + L"\\explorer.exe").c_str(), FALSE));
  app->clickLabel(id::kLabel3);
  // The click returns at once: the window keeps answering and takes the next typed path.
  app->setText(id::kText1, other);
  app->pressEnter(id::kText1);
  EXPECT_TRUE(app->waitForText(id::kDir1, other, 5s));
  EXPECT_FALSE(app->messageBoxOpen());
  ::Sleep(2000);  // the time a start would take
  EXPECT_FALSE(exists(program + L"\\explorer.exe.ran"));
}

}  // namespace
}  // namespace mirafold::ui
