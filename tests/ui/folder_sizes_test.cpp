// A folder's subfolders by size, through the real program: opened from a row's menu, each
// subfolder's size the room its files take on the disk, as the host's du counts it (a second name
// of a file counted once, a link neither entered nor counted), sorted from a header, and a long
// walk stopped with 取消. Three rows chosen and moved one after another to D: (the copy road): one
// failing, then a kill between two moves and the next start.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "app/main_layout.h"
#include "base/text.h"
#include "base/win32/handles.h"
#include "driver/driver.h"
#include "driver/host_side.h"
#include "move/messages.h"
#include "platform/win32/ui/table_dialog.h"
#include "sizes/size_overview.h"

// After windows.h, which the driver brings.
#include <commctrl.h>

namespace mirafold::ui {
namespace {

namespace id = app::id;
using win32::kTableId, win32::kTableSummaryId;

constexpr auto kTitle = L"文件夹大小";

bool isLink(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

class FolderSizesTest : public testing::Test {
 protected:
  void SetUp() override {
    program = root.makeFolder(L"program");
    start = root.makeFolder(L"start");
    top = root.makeFolder(L"start\\top");
    installProgram(program);
  }
  void TearDown() override {
    app.reset();
    // A big tree goes on the host at once, as it came.
    if (exists(top + L"\\10")) {
      EXPECT_TRUE(runOnHostIn(top, "/usr/bin/rm -rf [1-6][0-9]"));
    }
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
  // The program started on `start`, with the folder open on the right when one is given.
  HWND open(const std::wstring& right = {}) {
    if (!app) {
      app = std::make_unique<App>(program, L"", start);
      EXPECT_NE(app->waitForMainWindow(), nullptr);
      EXPECT_TRUE(app->waitForText(id::kDir1, start));
      if (!right.empty()) {
        app->setText(id::kText2, right);
        app->pressEnter(id::kText2);
        EXPECT_TRUE(app->waitForText(id::kDir2, right));
      }
    }
    EXPECT_TRUE(app->chooseRowCommand(id::kDir1, 0, sizes::kCommandFolderSizes));
    return app->waitForWindow(kTitle, 20s, win32::kTableClassName);
  }
  // The table as shown, the last change left out: one text a row, its cells joined by " | ".
  std::vector<std::wstring> table(HWND window) {
    std::vector<std::wstring> rows;
    for (int row = 0; row < app->tableRows(window, kTableId); ++row) {
      std::wstring text;
      for (int column : {0, 1, 2, 4}) {
        text += (column ? L" | " : L"") + app->tableCell(window, kTableId, row, column);
      }
      rows.push_back(text);
    }
    return rows;
  }
  bool walking(HWND window) { return app->textIn(window, IDCANCEL) == L"取消"; }
  // The room `files` (below top) take on the host's disk, as du counts it: whole blocks, a file of
  // several names once.
  std::uint64_t roomOnHost(const std::string& files) {
    if (!runOnHostIn(top, "/usr/bin/du -B1 -c " + files + " | /usr/bin/tail -n 1 > ../../room")) {
      return 0;
    }
    return std::stoull(contentOf(root / L"room"));
  }
  // top's subfolders A, B and C (largest first, as the window lists them) chosen all three and
  // moved to `destination`; the one question's text, answered Yes.
  std::wstring moveAllThree(const std::wstring& destination) {
    const HWND window = open(destination);
    EXPECT_NE(window, nullptr);
    EXPECT_TRUE(eventually([&] { return !walking(window); }));
    EXPECT_EQ(app->tableCell(window, kTableId, 1, 0), L"B");
    for (int row = 0; row < 3; ++row) app->selectTableRow(window, kTableId, row);
    for (const wchar_t* name : {L"A", L"B", L"C"}) links.push_back(top + L"\\" + name);
    app->postCommand(window, sizes::kSizesMoveAway);
    return app->answer(true).value_or(L"<none>");
  }
  // A line of the queue's end text.
  std::wstring line(const wchar_t* name, std::wstring_view said) {
    return L"\r\n“" + top + L"\\" + name + L"”：" + std::wstring(said);
  }

  TestFolder root;
  std::wstring program, start, top;
  std::vector<std::wstring> links;
  std::unique_ptr<App> app;
};

TEST_F(FolderSizesTest, EachSubfolderTakesTheRoomOfItsFilesAndSortsByEachColumn) {
  for (const wchar_t* folder : {L"start\\top\\Alpha\\deep", L"start\\top\\Beta", L"elsewhere"}) {
    root.makeFolder(folder);
  }
  root.makeFile(L"start\\top\\Alpha\\a.bin", std::string(600, 'a'));
  root.makeFile(L"start\\top\\Alpha\\deep\\b.bin", std::string(300, 'b'));
  ASSERT_TRUE(::CreateHardLinkW((top + L"\\Alpha\\twin.bin").c_str(),
                                (top + L"\\Alpha\\deep\\b.bin").c_str(), nullptr))
      << "a second name of b.bin: error " << ::GetLastError();
  root.makeFile(L"start\\top\\Beta\\c.bin", std::string(100, 'c'));
  root.makeFile(L"elsewhere\\far.bin", std::string(5000, 'f'));
  link(top + L"\\Linked", root / L"elsewhere");
  link(top + L"\\Alpha\\In", root / L"elsewhere");
  const std::uint64_t alpha = roomOnHost("Alpha/a.bin Alpha/deep/b.bin Alpha/twin.bin");
  const std::uint64_t beta = roomOnHost("Beta/c.bin");
  ASSERT_GT(alpha, beta) << "the host's blocks";

  const HWND window = open();
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(eventually([&] { return !walking(window); }));
  EXPECT_EQ(table(window),
            (std::vector<std::wstring>{L"Alpha | " + base::formatSize(alpha) + L" | 2 | ",
                                       L"Beta | " + base::formatSize(beta) + L" | 1 | ",
                                       L"Linked |  |  | 链接，不计入"}))
      << "largest first";
  EXPECT_EQ(app->textIn(window, kTableSummaryId),
            L"“" + top + L"”中有 3 个子文件夹，合计 " + base::formatSize(alpha + beta));
  EXPECT_FALSE(app->tableCell(window, kTableId, 0, 3).empty()) << "a last change";
  screenshotIfAsked();

  // A click on the header of 文件夹 sorts by it; the same again, the other way.
  const HWND list = ::GetDlgItem(window, kTableId);
  const HWND header = reinterpret_cast<HWND>(::SendMessageW(list, LVM_GETHEADER, 0, 0));
  const LPARAM at = MAKELPARAM(20, 5);
  for (const auto& expected : {std::vector<std::wstring>{L"Alpha", L"Beta", L"Linked"},
                               std::vector<std::wstring>{L"Linked", L"Beta", L"Alpha"}}) {
    ::PostMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::PostMessageW(header, WM_LBUTTONUP, 0, at);
    const auto names = [&] {
      std::vector<std::wstring> out;
      for (int row = 0; row < app->tableRows(window, kTableId); ++row) {
        out.push_back(app->tableCell(window, kTableId, row, 0));
      }
      return out;
    };
    EXPECT_TRUE(eventually([&] { return names() == expected; }, 5s)) << expected.front();
  }
  app->closeWindow(window);
  EXPECT_TRUE(eventually([&] { return !::IsWindow(window); }));
}

TEST_F(FolderSizesTest, ALongWalkStopsAtCancelAndTheWindowStays) {
  // 60 subfolders of 1,000 files of 10 bytes, made on the host at once (under Wine each file
  // made here would take milliseconds). Their room on the disk is the first test's; here only
  // their counts.
  ASSERT_TRUE(runOnHostIn(top,
                          "for d in $(/usr/bin/seq 10 69); do /usr/bin/mkdir $d && cd $d && "
                          "/usr/bin/seq 1000 | /usr/bin/xargs /usr/bin/truncate -s 10 && cd .. || "
                          "exit 1; done"));
  HWND window = open();
  ASSERT_NE(window, nullptr);
  // (How long the window takes to answer while a walk goes on is measured by scripts/bench.)
  ASSERT_TRUE(eventually([&] { return !walking(window); }));
  for (const std::wstring& row : table(window)) EXPECT_TRUE(row.ends_with(L" | 1000 | ")) << row;
  EXPECT_TRUE(
      app->textIn(window, kTableSummaryId).starts_with(L"“" + top + L"”中有 60 个子文件夹，合计 "));
  app->closeWindow(window);
  ASSERT_TRUE(eventually([&] { return !::IsWindow(window); }));

  // Again, stopped at once: 取消 stops the walk, not the window.
  window = open();
  ASSERT_NE(window, nullptr);
  app->clickIn(window, IDCANCEL);
  ASSERT_TRUE(eventually([&] { return !walking(window); }));
  ASSERT_TRUE(::IsWindow(window));
  EXPECT_EQ(app->textIn(window, IDCANCEL), L"关闭");
  EXPECT_TRUE(app->textIn(window, kTableSummaryId).starts_with(L"已取消：算完 "));
  const auto rows = table(window);
  EXPECT_EQ(rows.size(), 60u);
  EXPECT_TRUE(std::any_of(rows.begin(), rows.end(), [](const std::wstring& row) {
    return row.ends_with(L"已取消，未算完");
  }));
  for (const std::wstring& row : rows) {
    if (!row.ends_with(L"已取消，未算完")) {
      EXPECT_TRUE(row.ends_with(L" | 1000 | ")) << row;
    }
  }
  app->closeWindow(window);
}

// The second folder's file held open with no sharing: the copy cannot read it (on Windows the
// first rename would be refused instead), so that move undoes itself and the queue goes on.
TEST_F(FolderSizesTest, AQueueOfThreeMovesTheOthersWhenOneFailsAndSaysWhichMoved) {
  const OtherDriveFolder other;
  if (other.path().empty()) GTEST_SKIP() << "D: is not mapped";
  // Three, two and one blocks of the host's 4 KB: the window lists them A, B, C.
  for (const auto& [name, bytes] : {std::pair{L"A", 9000}, {L"B", 5000}, {L"C", 100}}) {
    root.makeFolder(std::wstring(L"start\\top\\") + name);
    root.makeFile(std::wstring(L"start\\top\\") + name + L"\\file.bin", std::string(bytes, 'x'));
  }
  base::win32::UniqueFileHandle held(::CreateFileW((top + L"\\B\\file.bin").c_str(), GENERIC_READ,
                                                   0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(held);
  EXPECT_TRUE(moveAllThree(other.path()).starts_with(L"将把 3 个文件夹（3 个文件，13.8 KB）"));
  const std::wstring end = app->acknowledge(120s).value_or(L"<none>");
  held.reset();

  EXPECT_EQ(end, L"已移动 2 / 3 个文件夹：" + line(L"A", move::kMoveDone) +
                     line(L"B", base::fillIn(
                                    move::kMoveFailedNothingChanged,
                                    {base::fillIn(move::kFileInUse, {top + L"\\B\\file.bin"})})) +
                     line(L"C", move::kMoveDone));
  for (const auto& [name, bytes] : {std::pair{L"A", 9000}, {L"C", 100}}) {
    EXPECT_TRUE(isLink(top + L"\\" + name)) << name;
    EXPECT_EQ(contentOf(top + L"\\" + name + L"\\file.bin"), std::string(bytes, 'x'))
        << "through the link";
    EXPECT_TRUE(isRealFolder(other.path() + L"\\" + name)) << name;
  }
  EXPECT_TRUE(isRealFolder(top + L"\\B"));
  EXPECT_EQ(contentOf(top + L"\\B\\file.bin"), std::string(5000, 'x'));
  EXPECT_FALSE(exists(other.path() + L"\\B"));
  EXPECT_FALSE(exists(other.path() + L"\\B.mirafold-partial"));
  EXPECT_FALSE(exists(top + L"\\B.mirafold-moving"));
}

// Killed while the second move copies: the next start recovers that move, then names the
// folder the queue never reached.
TEST_F(FolderSizesTest, AQueueKilledMidwayNamesAtTheNextStartTheFolderNotMoved) {
  const OtherDriveFolder other;
  if (other.path().empty()) GTEST_SKIP() << "D: is not mapped";
  for (const wchar_t* name : {L"A", L"B", L"C"})
    root.makeFolder(std::wstring(L"start\\top\\") + name);
  // Made on the host at once: B long enough to copy that the kill falls inside it; the room
  // allocated makes the window list them A, B, C.
  ASSERT_TRUE(runOnHostIn(top,
                          "/usr/bin/fallocate -l 40M A/a.bin && /usr/bin/fallocate -l 1K C/c.bin "
                          "&& /usr/bin/fallocate -l 8K B/0.bin && cd B && /usr/bin/seq 1500 | "
                          "/usr/bin/xargs /usr/bin/truncate -s 16K && cd .."));
  EXPECT_TRUE(moveAllThree(other.path()).starts_with(L"将把 3 个文件夹"));
  const HWND progress = app->waitForWindow(L"正在移动 2 / 3：B", 60s, L"MirafoldProgress");
  ASSERT_NE(progress, nullptr);
  ASSERT_TRUE(eventually([&] { return exists(other.path() + L"\\B.mirafold-partial"); }, 20s));
  app.reset();  // killed, as a power cut would end it

  app = std::make_unique<App>(program, L"", start);
  ASSERT_NE(app->waitForMainWindow(), nullptr);
  const std::wstring question = app->answer(true).value_or(L"<none>");
  EXPECT_TRUE(question.starts_with(L"上次的移动未完成："))
      << std::string(question.begin(), question.end());
  EXPECT_NE(question.find(top + L"\\B"), std::wstring::npos);
  EXPECT_EQ(app->acknowledge(120s).value_or(L"<none>"), move::kMoveDone);
  EXPECT_EQ(app->acknowledge().value_or(L"<none>"),
            std::wstring(move::kQueueCutShort) + L"\r\n" + std::wstring(move::kQueueCutShortMoved) +
                L"\r\n" + top + L"\\A\r\n" + std::wstring(move::kQueueCutShortNotMoved) + L"\r\n" +
                top + L"\\C");
  EXPECT_TRUE(isLink(top + L"\\A"));
  EXPECT_TRUE(isLink(top + L"\\B"));
  EXPECT_TRUE(isRealFolder(top + L"\\C"));
  EXPECT_FALSE(exists(other.path() + L"\\C"));
}

}  // namespace
}  // namespace mirafold::ui
