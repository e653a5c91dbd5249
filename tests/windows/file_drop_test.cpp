// Dropped files as WM_DROPFILES delivers them, made in this process as the shell makes them: the
// paths read back at any length, and the drop handed to the frame under its point at every DPI.

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "app/main_layout.h"
#include "base/win32/handles.h"
#include "platform/controls.h"
#include "platform/win32/ui/dropped_files.h"
#include "platform/win32/ui/layout_window.h"

namespace mirafold::win32 {
namespace {

using Paths = std::vector<std::wstring>;

// A DROPFILES block with wide names, each ended by a null and the list by one more.
HDROP makeDrop(const Paths& paths, POINT point, bool nonClient = false) {
  std::size_t chars = 1;
  for (const auto& p : paths) chars += p.size() + 1;
  HGLOBAL memory = ::GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
  auto* header = static_cast<DROPFILES*>(::GlobalLock(memory));
  header->pFiles = sizeof(DROPFILES);
  header->pt = point;
  header->fNC = nonClient;
  header->fWide = TRUE;
  auto* names = reinterpret_cast<wchar_t*>(header + 1);
  for (const auto& p : paths) {
    std::memcpy(names, p.c_str(), (p.size() + 1) * sizeof(wchar_t));
    names += p.size() + 1;
  }
  ::GlobalUnlock(memory);
  return static_cast<HDROP>(memory);
}

std::wstring longPath(std::size_t length) {
  std::wstring path = L"C:\\users\\长路径";
  while (path.size() < length) path += L"\\folder";
  return path;
}

TEST(FileDropTest, EveryPathIsReadWholeAndThePointWithIt) {
  const Paths paths{longPath(1000), L"D:\\", longPath(261), L"C:\\a.txt"};
  const base::win32::UniqueDrop drop(makeDrop(paths, {123, 45}));
  const DroppedFiles read = readDroppedFiles(drop.get());
  EXPECT_EQ(read.paths, paths);
  EXPECT_EQ(read.point.x, 123);
  EXPECT_EQ(read.point.y, 45);
  EXPECT_TRUE(read.inClientArea);

  const base::win32::UniqueDrop onTitle(makeDrop({L"C:\\"}, {10, 10}, true));
  EXPECT_FALSE(readDroppedFiles(onTitle.get()).inClientArea);
}

int px(int twips, int dpi) { return ::MulDiv(twips, dpi, 1440); }

class FrameDropTest : public testing::Test {
 protected:
  FrameDropTest() : window_(app::mainWindowLayout(), ::GetModuleHandleW(nullptr), 0) {
    window_.control<platform::Frame>(L"Frame1").onDrop([this](const Paths& p) { got_ = {1, p}; });
    window_.control<platform::Frame>(L"Frame2").onDrop([this](const Paths& p) { got_ = {2, p}; });
    window_.show();
  }

  // Which frame took a drop at a point given in twips of the client area, at the window's DPI.
  std::optional<int> dropAt(int x, int y, const Paths& paths = {L"C:\\windows"}) {
    got_ = {};
    const POINT point{px(x, window_.dpi()), px(y, window_.dpi())};
    ::SendMessageW(window_.hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(makeDrop(paths, point)),
                   0);
    if (got_.frame == 0) return std::nullopt;
    EXPECT_EQ(got_.paths, paths);
    return got_.frame;
  }

  void moveToDpi(int dpi) {
    const platform::WindowLayout& form = app::mainWindowLayout();
    RECT suggested{40, 30, 40 + px(form.clientWidth, dpi) + 8,
                   30 + px(form.clientHeight, dpi) + 30};
    ::SendMessageW(window_.hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                   reinterpret_cast<LPARAM>(&suggested));
    ASSERT_EQ(window_.dpi(), dpi);
  }

  LayoutWindow window_;
  struct {
    int frame = 0;
    Paths paths;
  } got_;
};

// Twips of the client area; the frames are 150..5565 and 5700..11115 across, 150..5640 down.
struct Spot {
  const char* what;
  int x, y;
  std::optional<int> frame;
};
// clang-format off
const Spot kSpots[] = {
  {"Frame1's caption",          300,  160, 1},
  {"Drive1",                   1000, 1000, 1},
  {"Dir1",                     2000, 3000, 1},
  {"Frame1's lower right",     5550, 5620, 1},
  {"Text2",                    6500,  600, 2},
  {"Dir2",                     8000, 3000, 2},
  {"Frame2's left edge",       5710, 3000, 2},
  {"between the frames",       5630, 3000, std::nullopt},
  {"above the frames",         3000,   60, std::nullopt},
  {"comd, below the frames",   3000, 5850, std::nullopt},
  {"Command1",                 9500, 6500, std::nullopt},
};
// clang-format on

TEST_F(FrameDropTest, ADropGoesToTheFrameUnderItsPointAtEveryDpi) {
  for (const int dpi : {96, 144, 120, 192}) {
    moveToDpi(dpi);
    for (const Spot& spot : kSpots) {
      EXPECT_EQ(dropAt(spot.x, spot.y), spot.frame) << spot.what << " at " << dpi << " dpi";
    }
  }
  EXPECT_EQ(dropAt(2000, 3000, {longPath(700), L"D:\\x.txt"}), 1) << "every path, in order";
}

TEST_F(FrameDropTest, NoDropOnAHiddenFrameOrAWindowThatTakesNoInput) {
  window_.control<platform::Frame>(L"Frame2").setVisible(false);
  EXPECT_EQ(dropAt(8000, 3000), std::nullopt) << "the hidden frame";
  EXPECT_EQ(dropAt(2000, 3000), 1) << "the other frame still takes drops";

  ::EnableWindow(window_.hwnd(), FALSE);
  EXPECT_EQ(dropAt(2000, 3000), std::nullopt) << "a modal box is open over the window";
}

}  // namespace
}  // namespace mirafold::win32
