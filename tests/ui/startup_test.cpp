// Starting the program: with and without the tool beside it, with and without a folder argument.

#include <gtest/gtest.h>

#include "app/main_layout.h"
#include "driver/driver.h"

namespace mirafold::ui {
namespace {

namespace id = app::id;

constexpr auto kToolMissing = L"junction.exe不存在，请把它与本程序放在同一文件夹";
constexpr auto kNotAFolder = L"目录不存在，请注意你只能对文件夹执行此操作";
constexpr auto kChooseLocation = L"请在左侧列表中选择你要在哪里创建此文件夹的链接";

class StartupTest : public testing::Test {
 protected:
  void SetUp() override {
    program = root.makeFolder(L"program");
    start = root.makeFolder(L"start");
  }
  std::wstring lineFor(const std::wstring& location, const std::wstring& target) {
    return program + L"\\junction.exe \"" + location + L"\\" +
           target.substr(target.rfind(L'\\') + 1) + L"\" \"" + target + L"\"";
  }
  TestFolder root;
  std::wstring program, start;
};

TEST_F(StartupTest, WithoutTheToolOnlyItsMessageThenTheProgramEnds) {
  installProgram(program, /*withJunction=*/false);
  App app(program, L"\"" + start + L"\"", start);
  EXPECT_EQ(app.waitForMessage().value_or(L"<none>"), kToolMissing);
  EXPECT_EQ(app.waitForMainWindow(0ms), nullptr);
  EXPECT_EQ(app.acknowledge().value_or(L""), kToolMissing);
  const auto code = app.waitForExit();
  ASSERT_TRUE(code);
  EXPECT_NE(*code, 0u);
  EXPECT_FALSE(app.messageBoxOpen()) << "the argument must not have been looked at";
}

TEST_F(StartupTest, WithoutArgumentBothFramesShowTheStartFolder) {
  installProgram(program);
  App app(program, L"", start);
  ASSERT_NE(app.waitForMainWindow(), nullptr);
  EXPECT_FALSE(app.messageBoxOpen());
  EXPECT_EQ(app.text(id::kText1), start);
  EXPECT_EQ(app.text(id::kText2), start);
  EXPECT_EQ(app.text(id::kDir1), start);
  EXPECT_EQ(app.text(id::kComd), lineFor(start, start));
  EXPECT_EQ(app.text(id::kLabel2), L"版本：v1.04 (Build 52) (2018.10.7)");
  EXPECT_TRUE(app.visible(id::kFrame2));
  EXPECT_TRUE(app.visible(id::kDir2));
  EXPECT_FALSE(app.enabled(id::kComd));
  EXPECT_EQ(app.focusedControlId(), id::kDrive1);
}

TEST_F(StartupTest, AQuotedFolderArgumentBecomesTheTarget) {
  installProgram(program);
  const std::wstring target = root.makeFolder(L"My Data");
  App app(program, L"\"" + target + L"\"", start);
  EXPECT_EQ(app.waitForMessage().value_or(L"<none>"), kChooseLocation);
  EXPECT_EQ(app.waitForMainWindow(0ms), nullptr) << "the window shows only after the message";
  app.acknowledge();
  ASSERT_NE(app.waitForMainWindow(), nullptr);
  EXPECT_FALSE(app.visible(id::kFrame2));
  EXPECT_FALSE(app.visible(id::kDir2));
  EXPECT_FALSE(app.visible(id::kText2));
  EXPECT_TRUE(app.visible(id::kFrame1));
  EXPECT_EQ(app.text(id::kText2), target);
  EXPECT_EQ(app.text(id::kComd), lineFor(start, target));
}

TEST_F(StartupTest, AnArgumentThatIsNoFolderEndsTheProgram) {
  installProgram(program);
  const std::wstring file = root.makeFile(L"plain.txt");
  for (const std::wstring& argument :
       {file, root / L"missing", L"\"" + start + L"\" \"" + program + L"\""}) {
    App app(program, argument, start);
    EXPECT_EQ(app.acknowledge().value_or(L"<none>"), kNotAFolder) << argument;
    const auto code = app.waitForExit();
    ASSERT_TRUE(code) << argument;
    EXPECT_NE(*code, 0u);
    EXPECT_EQ(app.waitForMainWindow(0ms), nullptr);
  }
}

// Where each control stands is checked against the design's own numbers by the scaling tests.
TEST_F(StartupTest, TheWindowCannotBeResizedOrMaximised) {
  installProgram(program);
  App app(program, L"", start);
  HWND window = app.waitForMainWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(::GetWindowLongW(window, GWL_STYLE) & (WS_THICKFRAME | WS_MAXIMIZEBOX));
}

class MainWindowTest : public StartupTest {
 protected:
  void SetUp() override {
    StartupTest::SetUp();
    installProgram(program);
    root.makeFolder(L"start\\alpha");
    root.makeFolder(L"start\\beta");
    app = std::make_unique<App>(program, L"", start);
    ASSERT_NE(app->waitForMainWindow(), nullptr);
  }
  std::unique_ptr<App> app;
};

TEST_F(MainWindowTest, OpeningAFolderInTheLinkLocationListRebuildsTheLine) {
  ASSERT_TRUE(app->openSubfolder(id::kDir1, 1));
  const std::wstring beta = start + L"\\beta";
  EXPECT_TRUE(app->waitForText(id::kText1, beta));
  EXPECT_EQ(app->text(id::kDir1), beta);
  EXPECT_EQ(app->text(id::kComd), lineFor(beta, start));

  ASSERT_TRUE(app->openSubfolder(id::kDir2, 0));
  const std::wstring alpha = start + L"\\alpha";
  EXPECT_TRUE(app->waitForText(id::kText2, alpha));
  EXPECT_EQ(app->text(id::kComd), lineFor(beta, alpha));
}

TEST_F(MainWindowTest, CustomModeOnAndOff) {
  const std::wstring composed = app->text(id::kComd);
  app->click(id::kCheck1);
  EXPECT_EQ(app->waitForMessage().value_or(L"<none>"),
            L"勾选该选项可让你修改命令行，但这种情况下本程序将不会为您检查链接是否创建成功");
  EXPECT_FALSE(app->enabled(id::kComd)) << "enabled only once the notice is closed";
  app->acknowledge();
  ASSERT_TRUE(app->waitForText(id::kComd, composed));
  for (int i = 0; i < 100 && !app->enabled(id::kComd); ++i) ::Sleep(50);
  EXPECT_TRUE(app->enabled(id::kComd));

  app->setText(id::kComd, L"edited by hand");
  app->click(id::kCheck1);
  EXPECT_TRUE(app->waitForText(id::kComd, composed));
  EXPECT_FALSE(app->enabled(id::kComd));
  EXPECT_FALSE(app->messageBoxOpen());
}

}  // namespace
}  // namespace mirafold::ui
