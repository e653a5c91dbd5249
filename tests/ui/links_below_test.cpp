// The overview of the links below a folder, through the real program: opened from a row's menu,
// the tree walked, the links listed with their targets and states; sorted, a link deleted and a
// target opened from the table's rows. (A link whose target is gone cannot be made under Wine,
// which hides such a host link from every listing: the unit tests cover it.)

#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>

#include "app/main_layout.h"
#include "driver/driver.h"
#include "driver/host_side.h"
#include "move/move_handlers.h"
#include "overview/link_overview.h"
#include "platform/win32/ui/table_dialog.h"

// After windows.h, which the driver brings.
#include <commctrl.h>

namespace mirafold::ui {
namespace {

namespace id = app::id;
using win32::kTableSummaryId, win32::kTableId;

constexpr auto kTitle = L"本文件夹中的链接";

std::wstring folded(std::wstring text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](wchar_t c) { return std::towlower(c); });
  return text;
}

bool isLink(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// start\tree holds three links at three depths; the folder the first leads to holds a link of
// its own, which the walk must not find, since it never enters a link.
class LinksBelowTest : public testing::Test {
 protected:
  void SetUp() override {
    program = root.makeFolder(L"program");
    start = root.makeFolder(L"start");
    tree = root.makeFolder(L"start\\tree");
    root.makeFolder(L"start\\tree\\a\\b");
    for (const wchar_t* name : {L"one", L"two", L"three"})
      root.makeFolder(L"targets\\" + std::wstring(name));
    link(tree + L"\\a\\Live", root / L"targets\\one");
    link(tree + L"\\a\\b\\Deep", root / L"targets\\two");
    link(tree + L"\\Top", root / L"targets\\three");
    link(root / L"targets\\one\\Inner", root / L"targets\\two");
    installProgram(program);
    app = std::make_unique<App>(program, L"", start);
    ASSERT_NE(app->waitForMainWindow(), nullptr);
    ASSERT_TRUE(app->waitForText(id::kDir1, start));
  }
  void TearDown() override {
    app.reset();
    // Links go first, by the tool, so that clearing the test folders never walks through one.
    for (const std::wstring& made : links) {
      if (isLink(made)) {
        EXPECT_EQ(runJunction(L"-d \"" + made + L"\""), 0u);
      }
    }
  }
  void link(const std::wstring& at, const std::wstring& target) {
    ASSERT_EQ(runJunction(L"\"" + at + L"\" \"" + target + L"\""), 0u);
    links.push_back(at);
  }
  // The table as shown: one text a row, its three cells joined by " | ".
  std::vector<std::wstring> table(HWND window) {
    std::vector<std::wstring> rows;
    for (int row = 0; row < app->tableRows(window, kTableId); ++row) {
      std::wstring text;
      for (int column = 0; column < 3; ++column) {
        text += (column ? L" | " : L"") + app->tableCell(window, kTableId, row, column);
      }
      rows.push_back(folded(text));
    }
    return rows;
  }
  std::wstring row(const std::wstring& link, const std::wstring& target) {
    return folded(link + L" | " + root.path() + L"\\targets\\" + target + L" | 正常");
  }

  TestFolder root;
  std::wstring program, start, tree;
  std::vector<std::wstring> links;
  std::unique_ptr<App> app;
};

TEST_F(LinksBelowTest, ListsTheLinksBelowAndTheirRowsCommandsWork) {
  ASSERT_TRUE(app->chooseRowCommand(id::kDir1, 0, overview::kCommandLinksBelow));
  HWND window = app->waitForWindow(kTitle, 20s, win32::kTableClassName);
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(::IsWindowEnabled(app->waitForMainWindow()));
  EXPECT_EQ(table(window),
            (std::vector<std::wstring>{row(L"a\\b\\Deep", L"two"), row(L"a\\Live", L"one"),
                                       row(L"Top", L"three")}))
      << "sorted by link, case ignored";
  EXPECT_EQ(app->textIn(window, kTableSummaryId), L"“" + tree + L"”中共有 3 个链接");
  screenshotIfAsked();

  // A click on the header of 目标 sorts by it (the widths come without a pointer across).
  const HWND list = ::GetDlgItem(window, kTableId);
  const HWND header = reinterpret_cast<HWND>(::SendMessageW(list, LVM_GETHEADER, 0, 0));
  const auto width = [&](int column) {
    return static_cast<int>(::SendMessageW(list, LVM_GETCOLUMNWIDTH, column, 0));
  };
  const LPARAM at = MAKELPARAM(width(0) + width(1) / 2, 5);
  ::PostMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::PostMessageW(header, WM_LBUTTONUP, 0, at);
  const std::vector<std::wstring> byTarget{row(L"a\\Live", L"one"), row(L"Top", L"three"),
                                           row(L"a\\b\\Deep", L"two")};
  for (int i = 0; i < 100 && table(window) != byTarget; ++i) ::Sleep(50);
  EXPECT_EQ(table(window), byTarget);

  // Deleted from its row, after the question: the link goes, its target stays.
  app->selectTableRow(window, kTableId, 1);
  app->postCommand(window, overview::kOverviewDeleteLink);
  EXPECT_EQ(app->answer(true).value_or(L"<none>"),
            L"将删除链接“" + tree + L"\\Top”（指向“" + root.path() +
                L"\\targets\\three”），目标文件夹及其中的文件不受影响。是否继续？");
  EXPECT_EQ(table(window),
            (std::vector<std::wstring>{row(L"a\\Live", L"one"), row(L"a\\b\\Deep", L"two")}));
  EXPECT_FALSE(exists(tree + L"\\Top"));
  EXPECT_TRUE(exists(root / L"targets\\three"));
  EXPECT_FALSE(::IsWindowEnabled(app->waitForMainWindow())) << "still behind the table";

  // Pointed elsewhere from its row, through the folder dialog and the question: the row shows
  // the new target, and the table still holds the window.
  app->selectTableRow(window, kTableId, 1);
  app->postCommand(window, overview::kOverviewChangeTarget);
  HWND picker = app->waitForWindow(L"选择链接的新目标", 20s, L"#32770");
  ASSERT_NE(picker, nullptr) << "no folder dialog";
  ASSERT_TRUE(app->pickInFileDialog(picker, root / L"targets\\three"));
  EXPECT_EQ(app->answer(true).value_or(L"<none>"),
            L"将把链接“" + tree + L"\\a\\b\\Deep”改为指向“" + root.path() +
                L"\\targets\\three”（原为“" + root.path() + L"\\targets\\two”）。是否继续？");
  EXPECT_EQ(app->acknowledge().value_or(L"<none>"), L"链接目标已更改");
  const std::vector<std::wstring> changed{row(L"a\\Live", L"one"), row(L"a\\b\\Deep", L"three")};
  for (int i = 0; i < 100 && table(window) != changed; ++i) ::Sleep(50);
  EXPECT_EQ(table(window), changed);
  EXPECT_FALSE(::IsWindowEnabled(app->waitForMainWindow())) << "still behind the table";

  // Opened from its row with Enter, the keyboard back on the table after the question: the table
  // goes and the list shows the target.
  app->selectTableRow(window, kTableId, 0);
  app->pressEnterIn(window, kTableId);
  EXPECT_TRUE(app->waitForText(id::kDir1, root / L"targets\\one"));
  EXPECT_FALSE(::IsWindow(window));
  EXPECT_TRUE(::IsWindowEnabled(app->waitForMainWindow()));
}

}  // namespace
}  // namespace mirafold::ui
