// The Send To dialog, opened from the main window: adding and removing the entry, and the entry
// starting the program with a folder, as the shell's Send To menu does.

#include <gtest/gtest.h>

#include <tuple>

#include "app/main_layout.h"
#include "driver/driver.h"
#include "sendto/sendto_layout.h"

namespace mirafold::ui {
namespace {

namespace id = sendto::id;

constexpr auto kTitle = L"添加右键菜单";
constexpr auto kText1 =
    L"如果你比较经常使用此程序，你可以尝试把它添加到文件右键菜单的“发送到”选项里";
constexpr auto kAdded = L"右键菜单已添加";
constexpr auto kAlreadyAdded = L"此右键菜单已经被添加过，请勿重复添加";
constexpr auto kRemoved = L"右键菜单已移除";
constexpr auto kChooseLocation = L"请在左侧列表中选择你要在哪里创建此文件夹的链接";
constexpr auto kCustomModeNotice =
    L"勾选该选项可让你修改命令行，但这种情况下本程序将不会为您检查链接是否创建成功";

template <typename Condition>
bool eventually(Condition condition) {
  for (int i = 0; i < 200; ++i) {
    if (condition()) return true;
    ::Sleep(50);
  }
  return condition();
}

class SendToTest : public testing::Test {
 protected:
  void SetUp() override {
    program = root.makeFolder(L"Mira Fold");
    installProgram(program);
    ASSERT_FALSE(sendToFolder().empty());
    entry = sendToFolder() + L"\\NTFS链接（仅文件夹）.lnk";
    ::DeleteFileW(entry.c_str());
  }
  void TearDown() override { ::DeleteFileW(entry.c_str()); }

  HWND openDialog(App& app) {
    app.clickLabel(app::id::kLabel5);
    return app.waitForWindow(kTitle);
  }
  // Clicks a dialog button and answers the box it opens; the box's text.
  std::wstring press(App& app, HWND dialog, int button) {
    app.clickIn(dialog, button);
    return app.acknowledge().value_or(L"<none>");
  }

  TestFolder root;
  std::wstring program, entry;
};

TEST_F(SendToTest, AddAddAgainRemoveThenCloseAndReopen) {
  App app(program, L"", program);
  HWND main = app.waitForMainWindow();
  ASSERT_NE(main, nullptr);
  HWND dialog = openDialog(app);
  ASSERT_NE(dialog, nullptr);
  EXPECT_FALSE(::IsWindowEnabled(main));
  EXPECT_EQ(app.textIn(dialog, id::kLabel1), kText1);
  // Both pictures decoded and shown at their own size (the display runs at 96 dpi).
  for (const auto& [picture, width, height] :
       {std::tuple{id::kImage1, 300L, 284L}, std::tuple{id::kImage2, 350L, 277L}}) {
    HWND control = ::GetDlgItem(dialog, picture);
    RECT r{};
    ::GetClientRect(control, &r);
    EXPECT_EQ(r.right, width) << picture;
    EXPECT_EQ(r.bottom, height) << picture;
    EXPECT_NE(::SendMessageW(control, STM_GETIMAGE, IMAGE_BITMAP, 0), 0) << picture;
  }

  app.clickIn(dialog, id::kCommand1);
  EXPECT_EQ(app.waitForMessage().value_or(L"<none>"), kAdded);
  EXPECT_FALSE(::IsWindowEnabled(dialog)) << "the box is the dialog's";
  app.acknowledge();
  const auto shortcut = readShortcut(entry);
  ASSERT_TRUE(shortcut);
  EXPECT_EQ(shortcut->target, program + L"\\mirafold.exe");
  EXPECT_EQ(shortcut->icon, program + L"\\mirafold.exe");
  EXPECT_EQ(shortcut->hotkey, 0);

  const std::string written = contentOf(entry);
  EXPECT_EQ(press(app, dialog, id::kCommand1), kAlreadyAdded);
  EXPECT_EQ(contentOf(entry), written);

  EXPECT_EQ(press(app, dialog, id::kCommand2), kRemoved);
  EXPECT_FALSE(exists(entry));
  EXPECT_EQ(press(app, dialog, id::kCommand2), kRemoved) << "with nothing left to remove";
  EXPECT_TRUE(::IsWindowVisible(dialog)) << "neither button closes the dialog";

  app.closeWindow(dialog);
  EXPECT_TRUE(eventually([&] { return !::IsWindowVisible(dialog); }));
  EXPECT_TRUE(eventually([&] { return ::IsWindowEnabled(main) != FALSE; }));
  EXPECT_FALSE(app.messageBoxOpen());

  HWND again = openDialog(app);
  EXPECT_EQ(again, dialog) << "one dialog serves every opening";
  EXPECT_FALSE(::IsWindowEnabled(main));
  EXPECT_EQ(app.textIn(again, id::kLabel1), kText1);
  EXPECT_EQ(press(app, again, id::kCommand1), kAdded);
  EXPECT_TRUE(exists(entry));
  app.closeWindow(again);
  EXPECT_TRUE(eventually([&] { return ::IsWindowEnabled(main) != FALSE; }));
}

TEST_F(SendToTest, WhileTheDialogIsOpenTheMainWindowTakesNoClicks) {
  App app(program, L"", program);
  HWND main = app.waitForMainWindow();
  ASSERT_NE(main, nullptr);
  HWND check = app.control(app::id::kCheck1);
  HWND dialog = openDialog(app);
  ASSERT_NE(dialog, nullptr);
  // Out of the way, so that the pointer lands on the main window's own control.
  ::SetWindowPos(dialog, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  RECT dialogRect{}, checkRect{}, overlap{};
  ASSERT_TRUE(eventually([&] {
    ::GetWindowRect(dialog, &dialogRect);
    ::GetWindowRect(check, &checkRect);
    return !::IntersectRect(&overlap, &dialogRect, &checkRect);
  }));

  mouseClick(check);
  ::Sleep(1000);
  EXPECT_FALSE(app.messageBoxOpen());
  EXPECT_EQ(::SendMessageW(check, BM_GETCHECK, 0, 0), BST_UNCHECKED);

  // The same click reaches the window once the dialog is closed.
  app.closeWindow(dialog);
  ASSERT_TRUE(eventually([&] { return ::IsWindowEnabled(main) != FALSE; }));
  mouseClick(check);
  EXPECT_EQ(app.acknowledge().value_or(L"<none>"), kCustomModeNotice);
}

TEST_F(SendToTest, TheEntryStartsTheProgramWithTheFolderAsItsTarget) {
  // A renamed copy: the entry must point at the program that made it.
  const std::wstring renamed = program + L"\\mirafold-copy.exe";
  ASSERT_TRUE(::CopyFileW((program + L"\\mirafold.exe").c_str(), renamed.c_str(), FALSE));
  {
    App app(ProgramFile{renamed}, L"", program);
    ASSERT_NE(app.waitForMainWindow(), nullptr);
    HWND dialog = openDialog(app);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(press(app, dialog, id::kCommand1), kAdded);
  }
  const auto shortcut = readShortcut(entry);
  ASSERT_TRUE(shortcut);
  EXPECT_EQ(shortcut->target, renamed);

  // The shell's Send To starts the entry's target with the chosen folder, quoted.
  const std::wstring target = root.makeFolder(L"My Data");
  App sent(ProgramFile{shortcut->target}, L"\"" + target + L"\"", root.path());
  EXPECT_EQ(sent.acknowledge().value_or(L"<none>"), kChooseLocation);
  ASSERT_NE(sent.waitForMainWindow(), nullptr);
  EXPECT_FALSE(sent.visible(app::id::kFrame2));
  EXPECT_EQ(sent.text(app::id::kText2), target);
}

}  // namespace
}  // namespace mirafold::ui
