// The folder list as a window: its rows, its own form of paths, refusals, opening rows by mouse
// and keyboard, and its text for UI tests.

#include "platform/win32/ui/folder_list.h"

#include <oleacc.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <vector>

#include "base/win32/exported.h"
#include "forwarding_parent.h"
#include "host_script.h"
#include "junction_links.h"
#include "temp_tree.h"

namespace mirafold::win32 {
namespace {

using testing::CurrentFolder;
using testing::ForwardingParent;
using testing::TempTree;

constexpr int kId = 1001;

// The folder and each of its ancestors, root first ("C:\", "users", ...).
std::vector<std::wstring> componentsOf(const std::wstring& path) {
  std::vector<std::wstring> parts{path.substr(0, 3)};
  std::wstring part;
  for (std::size_t i = 3; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == L'\\') {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part += path[i];
    }
  }
  return parts;
}

std::vector<std::wstring> labels(const platform::FolderRowModel& rows) {
  std::vector<std::wstring> out;
  for (std::size_t i = 0; i < rows.size(); ++i) out.push_back(rows.label(i));
  return out;
}

std::wstring windowText(HWND hwnd) {
  const auto length = ::SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const auto copied =
      ::SendMessageW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(copied));
  return text;
}

std::wstring unusedDrive() {
  const DWORD drives = ::GetLogicalDrives();
  for (int i = 25; i >= 3; --i) {
    if ((drives & (1u << i)) == 0) return std::wstring{static_cast<wchar_t>(L'A' + i), L':'};
  }
  return {};
}

class FolderListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tree.folder(L"beta");
    tree.folder(L"Alpha");
    tree.folder(L"gamma");
    tree.folder(L"Beta2");
    tree.folder(L"Delta");
    tree.folder(L"hidden", FILE_ATTRIBUTE_HIDDEN);
    tree.folder(L"system", FILE_ATTRIBUTE_SYSTEM);
    tree.file(L"file.txt");
    tree.folder(L"gamma\\inner");
    list = Win32FolderList::create(parent.hwnd(), kId, RECT{10, 10, 350, 263},
                                   static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)), 96,
                                   Win32FolderList::startRows());
    ASSERT_TRUE(list);
    parent.forwardTo(list.get());
    list->onChange([this] {
      ++changes;
      pathSeenByHandler = list->path();
    });
  }

  LRESULT send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return ::SendMessageW(list->hwnd(), message, wParam, lParam);
  }
  std::size_t selectedRow() { return static_cast<std::size_t>(send(LB_GETCURSEL)); }
  void selectRowLabelled(const std::wstring& label) {
    const auto all = labels(list->rows());
    for (std::size_t i = 0; i < all.size(); ++i) {
      if (all[i] == label) {
        send(LB_SETCURSEL, i);
        return;
      }
    }
    FAIL() << "no row " << ::testing::PrintToString(label);
  }

  TempTree tree;
  ForwardingParent parent;
  std::unique_ptr<Win32FolderList> list;
  int changes = 0;
  std::wstring pathSeenByHandler;
};

TEST_F(FolderListTest, StartsAtTheCurrentFolder) {
  const CurrentFolder here(tree.at(L"gamma"));
  const auto started = Win32FolderList::create(parent.hwnd(), kId + 1, RECT{0, 0, 100, 100},
                                               nullptr, 96, Win32FolderList::startRows());
  ASSERT_TRUE(started);
  EXPECT_EQ(started->path(), tree.at(L"gamma"));
  EXPECT_EQ(windowText(started->hwnd()), tree.at(L"gamma"));
}

TEST_F(FolderListTest, RowsAreAncestorsThenVisibleSubfoldersInNameOrder) {
  ASSERT_TRUE(list->setPath(tree.path()));
  std::vector<std::wstring> expected = componentsOf(tree.path());
  const std::size_t current = expected.size() - 1;
  for (const wchar_t* name : {L"Alpha", L"beta", L"Beta2", L"Delta", L"gamma"})
    expected.push_back(name);

  const platform::FolderRowModel& rows = list->rows();
  EXPECT_EQ(labels(rows), expected);
  EXPECT_EQ(static_cast<std::size_t>(send(LB_GETCOUNT)), expected.size());
  EXPECT_EQ(selectedRow(), current);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows.depth(i), std::min(i, current + 1)) << i;
    EXPECT_EQ(rows.isOpen(i), i <= current) << i;
  }
  EXPECT_EQ(rows.folder(0), tree.path().substr(0, 3));
  EXPECT_EQ(rows.folder(current), tree.path());
  EXPECT_EQ(rows.folder(current + 1), tree.at(L"Alpha"));
}

TEST_F(FolderListTest, RefusesWhatIsNotAnAccessibleFolder) {
  ASSERT_TRUE(list->setPath(tree.path()));
  changes = 0;
  const auto rowsBefore = send(LB_GETCOUNT);
  const std::wstring refused[] = {
      tree.at(L"file.txt"), tree.at(L"missing"),    unusedDrive() + L"\\", unusedDrive(), L"",
      tree.at(L"gam*"),     tree.at(L"file.txt\\"),
  };
  for (const std::wstring& text : refused) {
    EXPECT_FALSE(list->setPath(text)) << ::testing::PrintToString(text);
    EXPECT_EQ(list->path(), tree.path());
  }
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(send(LB_GETCOUNT), rowsBefore);
  EXPECT_EQ(windowText(list->hwnd()), tree.path());
}

TEST_F(FolderListTest, TakesRelativePathsAgainstTheCurrentFolder) {
  const CurrentFolder here(tree.path());
  EXPECT_TRUE(list->setPath(L"gamma"));
  EXPECT_EQ(list->path(), tree.at(L"gamma"));
  EXPECT_TRUE(list->setPath(L".\\gamma\\inner\\.."));
  EXPECT_EQ(list->path(), tree.at(L"gamma"));
}

TEST_F(FolderListTest, BareDriveMeansThatDrivesCurrentFolder) {
  const CurrentFolder here(tree.at(L"beta"));
  EXPECT_TRUE(list->setPath(tree.path().substr(0, 2)));
  EXPECT_EQ(list->path(), tree.at(L"beta"));
}

TEST_F(FolderListTest, OwnFormHasTrailingBackslashOnlyAtARoot) {
  const std::wstring root = tree.path().substr(0, 3);
  EXPECT_TRUE(list->setPath(root));
  EXPECT_EQ(list->path(), root);
  EXPECT_EQ(list->rows().label(0), root);
  EXPECT_EQ(list->rows().currentRow(), 0u);

  EXPECT_TRUE(list->setPath(tree.at(L"gamma\\")));
  EXPECT_EQ(list->path(), tree.at(L"gamma"));
  EXPECT_TRUE(list->setPath(tree.at(L"gamma/inner/")));
  EXPECT_EQ(list->path(), tree.at(L"gamma\\inner"));
}

TEST_F(FolderListTest, ChangeHandlerRunsBeforeSetPathReturns) {
  EXPECT_TRUE(list->setPath(tree.at(L"beta")));
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(pathSeenByHandler, tree.at(L"beta"));
  // The same folder again is a move like any other.
  EXPECT_TRUE(list->setPath(tree.at(L"beta")));
  EXPECT_EQ(changes, 2);
}

TEST_F(FolderListTest, AnswersWmGetTextWithItsPath) {
  ASSERT_TRUE(list->setPath(tree.at(L"gamma")));
  EXPECT_EQ(send(WM_GETTEXTLENGTH), static_cast<LRESULT>(tree.at(L"gamma").size()));
  EXPECT_EQ(windowText(list->hwnd()), tree.at(L"gamma"));

  wchar_t small[6];
  std::fill(std::begin(small), std::end(small), L'#');
  EXPECT_EQ(send(WM_GETTEXT, 4, reinterpret_cast<LPARAM>(small)), 3);
  EXPECT_EQ(std::wstring(small), tree.path().substr(0, 3));
  EXPECT_EQ(small[4], L'#');
}

TEST_F(FolderListTest, DoubleClickOpensTheSelectedRow) {
  ASSERT_TRUE(list->setPath(tree.path()));
  changes = 0;
  selectRowLabelled(L"gamma");
  send(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(20, 5));
  EXPECT_EQ(list->path(), tree.at(L"gamma"));
  EXPECT_EQ(changes, 1);

  // An ancestor row moves up.
  send(LB_SETCURSEL, list->rows().currentRow() - 1);
  send(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(20, 5));
  EXPECT_EQ(list->path(), tree.path());
}

TEST_F(FolderListTest, EnterOpensTheSelectedRowThroughDialogNavigation) {
  ASSERT_TRUE(list->setPath(tree.path()));
  selectRowLabelled(L"beta");
  ::SetFocus(list->hwnd());
  // The program's message loop runs every message through IsDialogMessageW.
  ::PostMessageW(list->hwnd(), WM_KEYDOWN, VK_RETURN, 1);
  ::PostMessageW(list->hwnd(), WM_CHAR, L'\r', 1);
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (!::IsDialogMessageW(parent.hwnd(), &msg)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }
  EXPECT_EQ(list->path(), tree.at(L"beta"));
  EXPECT_EQ(changes, 2);
}

TEST_F(FolderListTest, KeyboardMenuOpensOnTheSelectedRowFromEitherFormOfItsPosition) {
  ASSERT_TRUE(list->setPath(tree.path()));
  std::vector<std::wstring> asked;
  // No items: the menu is asked for but never shown, so that nothing waits on it.
  list->onContextMenu({.items =
                           [&](const std::wstring& folder) {
                             asked.push_back(folder);
                             return std::vector<platform::MenuItem>{};
                           },
                       .chosen = nullptr});
  selectRowLabelled(L"gamma");
  // DefWindowProc's own form on 64-bit Windows, and every bit set.
  for (const LPARAM keyboard : {static_cast<LPARAM>(MAKELPARAM(-1, -1)), LPARAM{-1}}) {
    send(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list->hwnd()), keyboard);
  }
  EXPECT_EQ(asked, (std::vector<std::wstring>{tree.at(L"gamma"), tree.at(L"gamma")}));
}

TEST_F(FolderListTest, RowWhoseFolderVanishedRefreshesInstead) {
  ASSERT_TRUE(list->setPath(tree.path()));
  changes = 0;
  selectRowLabelled(L"beta");
  ASSERT_TRUE(::RemoveDirectoryW(tree.at(L"beta").c_str()));
  send(WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(list->path(), tree.path());
  EXPECT_EQ(changes, 0);
  const auto shown = labels(list->rows());
  EXPECT_EQ(std::count(shown.begin(), shown.end(), L"beta"), 0);
  EXPECT_EQ(selectedRow(), list->rows().currentRow());
}

TEST_F(FolderListTest, LongPathsOpen) {
  std::wstring relative = L"gamma";
  while (tree.path().size() + relative.size() < 320) relative += L"\\a-rather-long-folder-name";
  const std::wstring deep = tree.folder(relative);
  tree.folder(relative + L"\\leaf");
  ASSERT_GT(deep.size(), static_cast<std::size_t>(MAX_PATH));
  EXPECT_TRUE(list->setPath(deep));
  EXPECT_EQ(list->path(), deep);
  EXPECT_EQ(list->rows().label(list->rows().size() - 1), L"leaf");
  EXPECT_EQ(windowText(list->hwnd()), deep);
  send(LB_SETCURSEL, list->rows().size() - 1);
  send(WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(list->path(), deep + L"\\leaf");
}

TEST_F(FolderListTest, FolderOfManySubfoldersOpensQuickly) {
  constexpr int kCount = 20000;
  // Wine finds a name by reading the whole folder, so making and removing this many folders
  // through Win32 takes minutes there; the host's own tools do it in seconds, out of Wine's sight.
  const std::wstring big = tree.at(L"big");
  if (base::win32::runningUnderWine()) {
    // Made outside the prefix and moved in whole, which Wine notices as one change.
    ASSERT_TRUE(testing::runOnHost(
        tree.path(), L"t=$(mktemp -d) && mkdir $t/big && cd $t/big && mkdir f{1.." +
                         std::to_wstring(kCount) + L"} && cd - && mv $t/big . && rmdir $t"));
  } else {
    tree.folder(L"big");
    for (int i = 1; i <= kCount; ++i) {
      ASSERT_TRUE(::CreateDirectoryW((big + L"\\f" + std::to_wstring(i)).c_str(), nullptr));
    }
  }
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(list->setPath(big));
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - start);
  EXPECT_EQ(list->rows().size(), list->rows().currentRow() + 1 + kCount);
  EXPECT_EQ(static_cast<std::size_t>(send(LB_GETCOUNT)), list->rows().size());
  EXPECT_EQ(list->rows().label(list->rows().currentRow() + 1), L"f1");
  EXPECT_LT(elapsed.count(), 3000);
  std::printf("opened %d subfolders in %lld ms\n", kCount, static_cast<long long>(elapsed.count()));
  if (base::win32::runningUnderWine()) {
    EXPECT_TRUE(testing::runOnHost(
        tree.path(), L"t=$(mktemp -d) && mv big $t && (rm -rf $t </dev/null >/dev/null 2>&1 &)"));
  }
}

// Draws one row into a bitmap and gives the first column that differs from the row's background.
class RowPicture {
 public:
  RowPicture(Win32FolderList& list, std::size_t row, bool selected) {
    dc_ = ::CreateCompatibleDC(nullptr);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), kWidth, -kHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    bitmap_ = ::CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    pixels_ = static_cast<const DWORD*>(bits);
    previous_ = ::SelectObject(dc_, bitmap_);
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_LISTBOX;
    item.CtlID = kId;
    item.itemID = static_cast<UINT>(row);
    item.itemAction = ODA_DRAWENTIRE;
    item.itemState = selected ? ODS_SELECTED : 0;
    item.hwndItem = list.hwnd();
    item.hDC = dc_;
    item.rcItem = RECT{0, 0, kWidth, kHeight};
    drawn_ = list.onParentMessage(WM_DRAWITEM, kId, reinterpret_cast<LPARAM>(&item)).has_value();
    ::GdiFlush();
  }
  ~RowPicture() {
    ::SelectObject(dc_, previous_);
    ::DeleteObject(bitmap_);
    ::DeleteDC(dc_);
  }
  bool drawn() const { return drawn_; }
  COLORREF at(int x, int y) const {
    const DWORD p = pixels_[y * kWidth + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
  int firstInk() const {
    const COLORREF background = at(kWidth - 1, 0);
    for (int x = 0; x < kWidth; ++x) {
      for (int y = 0; y < kHeight; ++y) {
        if (at(x, y) != background) return x;
      }
    }
    return -1;
  }

 private:
  static constexpr int kWidth = 300, kHeight = 20;
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ previous_;
  const DWORD* pixels_ = nullptr;
  bool drawn_ = false;
};

TEST_F(FolderListTest, DrawsRowsIndentedByDepthAndTheSelectionHighlighted) {
  ASSERT_TRUE(list->setPath(tree.path()));
  const platform::FolderRowModel& rows = list->rows();
  const std::size_t subfolder = rows.currentRow() + 1;

  const RowPicture root(*list, 0, false);
  const RowPicture sub(*list, subfolder, false);
  const RowPicture selected(*list, subfolder, true);
  ASSERT_TRUE(root.drawn() && sub.drawn() && selected.drawn());
  EXPECT_EQ(root.at(299, 0), ::GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(selected.at(299, 0), ::GetSysColor(COLOR_HIGHLIGHT));
  ASSERT_GE(root.firstInk(), 0);
  EXPECT_GT(sub.firstInk(), root.firstInk() + static_cast<int>(rows.depth(subfolder)) * 4);
  EXPECT_FALSE(list->onParentMessage(WM_DRAWITEM, kId + 5, 0).has_value());
}

// The name a screen reader hears for a row (1 being the first), asked in process.
std::wstring accessibleRowName(HWND list, std::size_t row) {
  const auto apartment = base::win32::joinApartment();  // the object comes marshalled through COM
  IAccessible* object = nullptr;
  if (FAILED(::AccessibleObjectFromWindow(list, static_cast<DWORD>(OBJID_CLIENT),
                                          __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&object))) ||
      !object) {
    return L"<no object>";
  }
  VARIANT child;
  ::VariantInit(&child);
  child.vt = VT_I4;
  child.lVal = static_cast<long>(row + 1);
  BSTR name = nullptr;
  std::wstring out = L"<none>";
  if (object->get_accName(child, &name) == S_OK && name) {
    out.assign(name, ::SysStringLen(name));
    ::SysFreeString(name);
  }
  object->Release();
  return out;
}

// Held shut until opened. Not std::latch: libstdc++ 12 without a futex (as on Windows) checks the
// count before it locks, so a count_down in between is never seen and the waiter sleeps for good.
// A wait gives up after a while, so that a fault fails the test instead of hanging it.
class Gate {
 public:
  void open() {
    {
      const std::lock_guard hold(lock_);
      open_ = true;
    }
    opened_.notify_all();
  }
  void wait() {
    std::unique_lock hold(lock_);
    opened_.wait_for(hold, std::chrono::seconds(20), [this] { return open_; });
  }

 private:
  std::mutex lock_;
  std::condition_variable opened_;
  bool open_ = false;
};

// The system's probe, except that the target of a link named "broken" is gone: Wine hides a host
// link whose target is gone from every listing, so none can be listed for real. With `held`, each
// link waits for it before its answer, as a slow disk would.
class GoneTargetProbe final : public platform::LinkProbe {
 public:
  explicit GoneTargetProbe(Gate* held = nullptr) : held_(held) {}
  std::atomic<int> entered = 0;
  std::optional<std::wstring> linkTarget(const std::wstring& link) override {
    return system_.linkTarget(link);
  }
  std::optional<std::wstring> storedTarget(const std::wstring& link) override {
    return system_.storedTarget(link);
  }
  bool isOnNetwork(const std::wstring& path) override { return system_.isOnNetwork(path); }
  bool folderExists(const std::wstring& path) override {
    ++entered;
    if (held_) held_->wait();
    return !path.ends_with(L"\\broken") && system_.folderExists(path);
  }

 private:
  Win32LinkProbe system_;
  Gate* held_;
};

// Runs the window's messages until every link's answer has come.
bool waitForMarks(const Win32FolderList& list) {
  const auto start = std::chrono::steady_clock::now();
  while (!list.marksKnown()) {
    if (std::chrono::steady_clock::now() - start > std::chrono::seconds(10)) return false;
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    ::Sleep(1);
  }
  return true;
}

TEST_F(FolderListTest, LinkRowsCarryTheirMarkAndSayItInTheirAccessibleName) {
  ASSERT_TRUE(testing::runJunctionTool({tree.at(L"link"), tree.at(L"gamma")}).ok());
  ASSERT_TRUE(testing::runJunctionTool({tree.at(L"broken"), tree.at(L"gamma")}).ok());
  list = Win32FolderList::create(parent.hwnd(), kId, RECT{10, 10, 350, 263},
                                 static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)), 96,
                                 Win32FolderList::startRows(), std::make_unique<GoneTargetProbe>());
  ASSERT_TRUE(list);
  parent.forwardTo(list.get());
  ASSERT_TRUE(list->setPath(tree.path()));
  ASSERT_TRUE(waitForMarks(*list));
  const platform::FolderRowModel& rows = list->rows();
  const auto all = labels(rows);
  const auto rowOf = [&](const wchar_t* label) {
    return static_cast<std::size_t>(std::find(all.begin(), all.end(), label) - all.begin());
  };
  const std::size_t link = rowOf(L"link"), broken = rowOf(L"broken"), real = rowOf(L"gamma"),
                    other = rowOf(L"Alpha");
  ASSERT_LT(std::max(link, broken), rows.size());
  for (std::size_t row = 0; row < rows.size(); ++row) {
    EXPECT_EQ(rows.kind(row), row == link     ? platform::RowKind::Link
                              : row == broken ? platform::RowKind::BrokenLink
                                              : platform::RowKind::Folder)
        << row;
  }
  EXPECT_EQ(accessibleRowName(list->hwnd(), link), L"link（链接）");
  EXPECT_EQ(accessibleRowName(list->hwnd(), broken), L"broken（链接，目标不存在）");
  EXPECT_EQ(accessibleRowName(list->hwnd(), real), L"gamma");

  // Rows of the same depth draw the same icon; a link's carries its mark, a broken one another.
  const RowPicture linkPicture(*list, link, false), brokenPicture(*list, broken, false),
      realPicture(*list, real, false), otherPicture(*list, other, false);
  ASSERT_TRUE(linkPicture.drawn() && brokenPicture.drawn() && realPicture.drawn() &&
              otherPicture.drawn());
  const int iconLeft = realPicture.firstInk();
  ASSERT_GE(iconLeft, 0);
  const auto iconDifferences = [&](const RowPicture& a, const RowPicture& b) {
    int count = 0;
    for (int x = iconLeft; x < iconLeft + 16; ++x) {
      for (int y = 0; y < 20; ++y) count += a.at(x, y) != b.at(x, y) ? 1 : 0;
    }
    return count;
  };
  EXPECT_EQ(iconDifferences(otherPicture, realPicture), 0);
  EXPECT_GT(iconDifferences(linkPicture, realPicture), 10);
  EXPECT_GT(iconDifferences(brokenPicture, realPicture), 10);
  EXPECT_GT(iconDifferences(brokenPicture, linkPicture), 10);
}

// The rows show before any link is answered; answers to a folder left meanwhile never mark the
// rows of the one shown now, whose own row at that place is a plain folder.
TEST_F(FolderListTest, RowsShowBeforeTheirLinksAreAnsweredAndOnlyTheLatestFolderIsMarked) {
  ASSERT_TRUE(testing::runJunctionTool({tree.at(L"broken"), tree.at(L"gamma")}).ok());
  for (const wchar_t* name : {L"a", L"b", L"c", L"d"}) tree.folder(L"gamma\\" + std::wstring(name));
  Gate held;
  // The list, and its probing thread, go before the gate on every path.
  struct Release {
    Gate& held;
    std::unique_ptr<Win32FolderList>& list;
    ~Release() {
      held.open();
      list.reset();
    }
  } const release{held, list};
  auto probe = std::make_unique<GoneTargetProbe>(&held);
  const std::atomic<int>& entered = probe->entered;
  list = Win32FolderList::create(parent.hwnd(), kId, RECT{10, 10, 350, 263},
                                 static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)), 96,
                                 Win32FolderList::startRows(), std::move(probe));
  ASSERT_TRUE(list);
  ASSERT_TRUE(list->setPath(tree.path()));
  const auto all = labels(list->rows());
  const std::size_t broken =
      static_cast<std::size_t>(std::find(all.begin(), all.end(), L"broken") - all.begin());
  ASSERT_LT(broken, all.size());
  EXPECT_EQ(list->rows().kind(broken), platform::RowKind::Link);
  EXPECT_FALSE(list->marksKnown());
  // The link is being probed (the list is not shown, so at once) when the list moves on.
  const auto start = std::chrono::steady_clock::now();
  while (entered == 0 && std::chrono::steady_clock::now() - start < std::chrono::seconds(10)) {
    ::Sleep(1);
  }
  ASSERT_GT(entered, 0);

  ASSERT_TRUE(list->setPath(tree.at(L"gamma")));
  ASSERT_LT(broken, list->rows().size());
  held.open();  // the answer for the folder left comes now
  ASSERT_TRUE(waitForMarks(*list));
  ::Sleep(50);  // an answer to the folder left would have come by now
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
  for (std::size_t row = 0; row < list->rows().size(); ++row) {
    EXPECT_EQ(list->rows().kind(row), platform::RowKind::Folder) << row;
  }

  ASSERT_TRUE(list->setPath(tree.path()));
  ASSERT_TRUE(waitForMarks(*list));
  EXPECT_EQ(list->rows().kind(broken), platform::RowKind::BrokenLink);
}

TEST_F(FolderListTest, OutlivesItsWindow) {
  ASSERT_TRUE(list->setPath(tree.at(L"gamma")));
  parent.destroy();
  EXPECT_EQ(list->path(), tree.at(L"gamma"));
  list.reset();
}

}  // namespace
}  // namespace mirafold::win32
