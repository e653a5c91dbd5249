// Things going wrong under the program while it runs: each ends in a clear message, and nothing
// is lost.

#include <gtest/gtest.h>

#include "app/main_layout.h"
#include "driver/driver.h"
#include "sendto/sendto_layout.h"

namespace mirafold::ui {
namespace {

namespace id = app::id;

constexpr auto kToolMissing = L"junction.exe不存在，请把它与本程序放在同一文件夹";
constexpr auto kAddFailed = L"右键菜单添加失败：";

class FaultsTest : public testing::Test {
 protected:
  void SetUp() override {
    program = root.makeFolder(L"program");
    links = root.makeFolder(L"links");
    target = root.makeFolder(L"data\\Saves");
    root.makeFile(L"data\\Saves\\slot1.sav", "progress");
    installProgram(program);
    app = std::make_unique<App>(program, L"", links);
    ASSERT_NE(app->waitForMainWindow(), nullptr);
    app->setText(id::kText2, target);
    app->pressEnter(id::kText2);
    ASSERT_TRUE(app->waitForText(id::kDir2, target));
  }
  void TearDown() override {
    app.reset();
    EXPECT_TRUE(exists(target + L"\\slot1.sav")) << "the target's files are all there";
  }

  TestFolder root;
  std::wstring program, links, target;
  std::unique_ptr<App> app;
};

TEST_F(FaultsTest, AFolderInPlaceOfTheTool) {
  ASSERT_TRUE(deleteWhenReleased(program + L"\\junction.exe"));
  ASSERT_TRUE(::CreateDirectoryW((program + L"\\junction.exe").c_str(), nullptr));
  app->click(id::kCommand1);
  EXPECT_EQ(app->acknowledge().value_or(L"<none>"), kToolMissing);
  EXPECT_EQ(app->text(id::kCommand1), L"创建链接！");
  EXPECT_FALSE(exists(links + L"\\Saves"));
}

TEST_F(FaultsTest, TheShortcutCannotBeWritten) {
  // Root may write anywhere, so a read-only SendTo folder would not stop it here: a folder in the
  // shortcut's place makes the write fail instead.
  ASSERT_FALSE(sendToFolder().empty());
  const std::wstring entry = sendToFolder() + L"\\NTFS链接（仅文件夹）.lnk";
  ASSERT_TRUE(::CreateDirectoryW(entry.c_str(), nullptr));
  app->clickLabel(id::kLabel5);
  HWND dialog = app->waitForWindow(L"添加右键菜单");
  ASSERT_NE(dialog, nullptr);
  app->clickIn(dialog, sendto::id::kCommand1);
  const std::wstring message = app->acknowledge().value_or(L"<none>");
  EXPECT_TRUE(message.starts_with(kAddFailed)) << "a reason follows the message";
  EXPECT_GT(message.size(), std::wstring(kAddFailed).size());
  EXPECT_TRUE(::IsWindowVisible(dialog)) << "the dialog stays usable";
  EXPECT_EQ(::GetFileAttributesW(entry.c_str()) & FILE_ATTRIBUTE_DIRECTORY,
            static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY))
      << "what stood there is left as it was";
  ::RemoveDirectoryW(entry.c_str());
  app->closeWindow(dialog);
}

}  // namespace
}  // namespace mirafold::ui
