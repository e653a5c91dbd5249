// The drive list as a window: its rows, the selection it starts with and moves to, and the change
// handler raised only by the user's choice.

#include "platform/win32/ui/drive_list.h"

#include <gtest/gtest.h>

#include <bit>
#include <chrono>
#include <condition_variable>
#include <cwctype>
#include <mutex>

#include "forwarding_parent.h"
#include "temp_tree.h"

namespace mirafold::win32 {
namespace {

using testing::CurrentFolder;
using testing::ForwardingParent;

constexpr int kId = 2001;
constexpr RECT kBox{10, 10, 351, 35};

std::wstring windowText(HWND hwnd) {
  wchar_t text[512] = {};
  ::GetWindowTextW(hwnd, text, 512);
  return text;
}

// "x:" or "x: [label]" with a lower-case letter.
bool looksLikeDriveText(const std::wstring& text) {
  if (text.size() < 2 || !std::iswlower(text[0]) || text[1] != L':') return false;
  if (text.size() == 2) return true;
  return text.size() > 5 && text.substr(2, 2) == L" [" && text.back() == L']';
}

class DriveListTest : public ::testing::Test {
 protected:
  // Shown, as the form shows it, unless `shown` is false.
  std::unique_ptr<Win32DriveList> makeList(bool shown = true) {
    auto list = Win32DriveList::create(parent.hwnd(), kId, kBox,
                                       static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)));
    if (list) {
      parent.forwardTo(list.get());
      list->onChange([this] { ++changes; });
      if (shown) list->onShown();
    }
    return list;
  }

  ForwardingParent parent;
  int changes = 0;
};

TEST_F(DriveListTest, ListsEveryDriveInLetterOrder) {
  const auto list = makeList();
  ASSERT_TRUE(list);
  const DWORD drives = ::GetLogicalDrives();
  const auto& rows = list->rows();
  ASSERT_EQ(rows.size(), static_cast<std::size_t>(std::popcount(drives)));
  ASSERT_EQ(::SendMessageW(list->hwnd(), CB_GETCOUNT, 0, 0), static_cast<LRESULT>(rows.size()));
  std::size_t row = 0;
  for (int i = 0; i < 26; ++i) {
    if ((drives & (1u << i)) == 0) continue;
    EXPECT_TRUE(looksLikeDriveText(rows[row])) << ::testing::PrintToString(rows[row]);
    EXPECT_EQ(rows[row][0], static_cast<wchar_t>(L'a' + i));
    wchar_t shown[512] = {};
    ::SendMessageW(list->hwnd(), CB_GETLBTEXT, row, reinterpret_cast<LPARAM>(shown));
    EXPECT_EQ(std::wstring(shown), rows[row]);
    ++row;
  }
}

TEST_F(DriveListTest, StartsAtTheCurrentDriveAndAnswersWmGetText) {
  const testing::TempTree tree;
  const CurrentFolder here(tree.path());
  const auto list = makeList();
  ASSERT_TRUE(list);
  ASSERT_FALSE(list->drive().empty());
  EXPECT_EQ(list->drive()[0], std::towlower(tree.path()[0]));
  EXPECT_EQ(windowText(list->hwnd()), list->drive());
}

// Before the form shows, the current drive alone; asked for another, every drive is read.
TEST_F(DriveListTest, BeforeItShowsAnotherDriveAskedForIsReadThenSelected) {
  const testing::TempTree tree;
  const CurrentFolder here(tree.path());
  const auto list = makeList(false);
  ASSERT_TRUE(list);
  const wchar_t current = static_cast<wchar_t>(std::towlower(tree.path()[0]));
  ASSERT_EQ(list->rows().size(), 1u);
  EXPECT_EQ(list->drive(), (std::wstring{current, L':'}));
  const DWORD drives = ::GetLogicalDrives();
  int other = 0;
  while (other < 26 && ((drives & (1u << other)) == 0 || L'a' + other == current)) ++other;
  if (other == 26) GTEST_SKIP() << "one drive only";
  list->selectDriveOf(std::wstring{static_cast<wchar_t>(L'A' + other), L':', L'\\'});
  EXPECT_EQ(list->drive()[0], static_cast<wchar_t>(L'a' + other));
  EXPECT_EQ(list->rows().size(), static_cast<std::size_t>(std::popcount(drives)));
  EXPECT_EQ(changes, 0);
}

TEST_F(DriveListTest, SelectDriveOfMovesQuietly) {
  const auto list = makeList();
  ASSERT_TRUE(list);
  const auto rows = list->rows();
  for (const std::wstring& row : rows) {
    const wchar_t upper = static_cast<wchar_t>(std::towupper(row[0]));
    list->selectDriveOf(std::wstring{upper, L':', L'\\'} + L"some\\folder");
    EXPECT_EQ(list->drive(), row);
    EXPECT_EQ(windowText(list->hwnd()), row);
  }
  const std::wstring before = list->drive();
  const DWORD drives = ::GetLogicalDrives();
  for (int i = 25; i >= 0; --i) {
    if ((drives & (1u << i)) == 0) {
      list->selectDriveOf(std::wstring{static_cast<wchar_t>(L'a' + i), L':', L'\\'});
      break;
    }
  }
  for (const wchar_t* path : {L"", L"\\\\server\\share\\folder", L"relative\\folder", L"1:\\"}) {
    list->selectDriveOf(path);
  }
  EXPECT_EQ(list->drive(), before);
  EXPECT_EQ(changes, 0);
}

TEST_F(DriveListTest, UserSelectionRaisesTheChangeHandler) {
  const auto list = makeList();
  ASSERT_TRUE(list);
  if (list->rows().size() < 2) GTEST_SKIP() << "one drive only";
  list->selectDriveOf(list->rows()[0]);
  // The keyboard moves the selection as a user does; the box tells its parent, which forwards.
  ::SendMessageW(list->hwnd(), WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(list->drive(), list->rows()[1]);
  EXPECT_EQ(changes, 1);
}

TEST_F(DriveListTest, ReadingDrivesAfreshOnDropDownKeepsTheSelection) {
  const auto list = makeList();
  ASSERT_TRUE(list);
  const std::wstring chosen = list->rows().back();
  list->selectDriveOf(chosen);
  ::SendMessageW(list->hwnd(), CB_SHOWDROPDOWN, TRUE, 0);
  ::SendMessageW(list->hwnd(), CB_SHOWDROPDOWN, FALSE, 0);
  EXPECT_EQ(list->drive(), chosen);
  EXPECT_EQ(changes, 0);
}

// A drive that never answers (a network drive whose server is gone) holds neither the window nor
// the other drives' labels; asked again while it still hangs, it is not asked twice.
TEST_F(DriveListTest, LabelsArriveAfterTheWindowWithoutWaitingForADriveThatNeverAnswers) {
  struct Blocked {
    std::mutex lock;
    std::condition_variable released;
    bool open = false;
    int askedFirst = 0;
  };
  const auto blocked = std::make_shared<Blocked>();
  DriveLabels labels([blocked](const std::wstring& root) -> std::wstring {
    const auto letter = static_cast<wchar_t>(std::towlower(root[0]));
    if (letter != L'c') return std::wstring{L'L', letter};
    std::unique_lock hold(blocked->lock);
    ++blocked->askedFirst;
    blocked->released.wait(hold, [&] { return blocked->open; });
    return L"late";
  });
  auto list = Win32DriveList::create(
      parent.hwnd(), kId, kBox, static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)), labels);
  ASSERT_TRUE(list);
  parent.forwardTo(list.get());

  const auto start = std::chrono::steady_clock::now();
  list->onShown();
  ASSERT_GE(list->rows().size(), 2u);
  ::SendMessageW(list->hwnd(), CB_SHOWDROPDOWN, TRUE, 0);  // reads again: c: is still asked once
  ::SendMessageW(list->hwnd(), CB_SHOWDROPDOWN, FALSE, 0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
  EXPECT_EQ(list->rows()[0], L"c:");

  const auto& last = list->rows().back();
  const std::wstring expected = std::wstring{last[0], L':'} + L" [L" + last[0] + L"]";
  for (int i = 0; i < 200 && list->rows().back() != expected; ++i) {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    ::Sleep(10);
  }
  EXPECT_EQ(list->rows().back(), expected);
  EXPECT_EQ(list->rows()[0], L"c:");
  {
    const std::lock_guard hold(blocked->lock);
    EXPECT_EQ(blocked->askedFirst, 1);
    blocked->open = true;
  }
  blocked->released.notify_all();
}

TEST(DriveRowText, LetterColonAndLabelInBrackets) {
  struct Case {
    wchar_t letter;
    const wchar_t* label;
    const wchar_t* shown;
  };
  const Case cases[] = {
      {L'C', L"System", L"c: [System]"},
      {L'c', L"System", L"c: [System]"},
      {L'D', L"", L"d:"},
      {L'Z', L"数据 盘", L"z: [数据 盘]"},
  };
  for (const Case& c : cases) EXPECT_EQ(driveRowText(c.letter, c.label), c.shown);
}

}  // namespace
}  // namespace mirafold::win32
