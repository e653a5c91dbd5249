// A form moved to a monitor of another DPI: every control, font and row is made again for it.

#include "platform/win32/ui/layout_window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "app/main_layout.h"
#include "platform/win32/ui/dpi.h"

namespace mirafold::win32 {
namespace {

int px(int twips, int dpi) { return ::MulDiv(twips, dpi, 1440); }

constexpr int kIcon = 1;  // in this test's resources

// The side in pixels of the window's icon of that kind; 0 when it has none.
int iconSide(HWND window, WPARAM kind) {
  const auto icon = reinterpret_cast<HICON>(::SendMessageW(window, WM_GETICON, kind, 0));
  ICONINFO info{};
  if (!icon || !::GetIconInfo(icon, &info)) return 0;
  BITMAP bitmap{};
  ::GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
  if (info.hbmColor) ::DeleteObject(info.hbmColor);
  ::DeleteObject(info.hbmMask);
  return bitmap.bmWidth;
}

void expectIconsAt(HWND window, int dpi) {
  EXPECT_EQ(iconSide(window, ICON_BIG), systemMetric(SM_CXICON, dpi)) << dpi;
  EXPECT_EQ(iconSide(window, ICON_SMALL), systemMetric(SM_CXSMICON, dpi)) << dpi;
}

TEST(LayoutWindowTest, WmDpiChangedLaysTheWindowOutAgainAtTheNewDpi) {
  const platform::WindowLayout& form = app::mainWindowLayout();
  LayoutWindow window(form, ::GetModuleHandleW(nullptr), kIcon);
  expectIconsAt(window.hwnd(), window.dpi());
  for (const int dpi : {144, 120, 192, 96}) {
    RECT suggested{40, 30, 40 + px(form.clientWidth, dpi) + 8,
                   30 + px(form.clientHeight, dpi) + 30};
    ::SendMessageW(window.hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                   reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(window.dpi(), dpi);
    RECT outer{};
    ::GetWindowRect(window.hwnd(), &outer);
    EXPECT_TRUE(::EqualRect(&outer, &suggested)) << "the suggested rectangle is taken, " << dpi;
    expectIconsAt(window.hwnd(), dpi);

    for (const platform::Control& c : form.controls) {
      int left = c.left, top = c.top;
      for (const platform::Control& frame : form.controls) {
        if (frame.name == c.frame) left += frame.left, top += frame.top;
      }
      HWND control = ::GetDlgItem(window.hwnd(), c.id);
      ASSERT_NE(control, nullptr);
      RECT r{};
      ::GetWindowRect(control, &r);
      ::MapWindowPoints(nullptr, window.hwnd(), reinterpret_cast<POINT*>(&r), 2);
      const std::string name =
          std::string(c.name.begin(), c.name.end()) + " at " + std::to_string(dpi);
      EXPECT_NEAR(r.left, px(left, dpi), 1) << name;
      EXPECT_NEAR(r.top, px(top, dpi), 1) << name;
      EXPECT_NEAR(r.right - r.left, px(c.width, dpi), 1) << name;

      // Points stay points: 9 pt is 12 px at 96 dpi and 18 px at 144.
      LOGFONTW font{};
      const auto handle = reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
      ASSERT_NE(handle, nullptr) << name;
      ASSERT_NE(::GetObjectW(handle, sizeof font, &font), 0) << name;
      EXPECT_EQ(font.lfHeight, -::MulDiv(c.font.points, dpi, 72)) << name;
      if (c.kind == platform::ControlKind::FolderList) {
        const LRESULT row = ::SendMessageW(control, LB_GETITEMHEIGHT, 0, 0);
        EXPECT_GE(row, ::MulDiv(16, dpi, 96)) << "the folder icon fits, " << name;
      }
    }
  }
}

// Each frame lies below the controls it holds, so that it never paints over them; the tab stops
// come in the table's tab order.
TEST(LayoutWindowTest, FramesLieBelowWhatTheyHoldAndTabStopsKeepTheTableOrder) {
  const platform::WindowLayout& form = app::mainWindowLayout();
  LayoutWindow window(form, ::GetModuleHandleW(nullptr), 0);
  std::vector<int> zOrder;
  for (HWND c = ::GetWindow(window.hwnd(), GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
    zOrder.push_back(::GetDlgCtrlID(c));
  }
  const auto place = [&](int id) { return std::find(zOrder.begin(), zOrder.end(), id); };
  std::vector<const platform::Control*> stops;
  for (const platform::Control& c : form.controls) {
    if (!c.frame.empty()) {
      const auto frame =
          std::find_if(form.controls.begin(), form.controls.end(),
                       [&](const platform::Control& f) { return f.name == c.frame; });
      EXPECT_LT(place(c.id), place(frame->id)) << std::string(c.name.begin(), c.name.end());
    }
    const LONG style = ::GetWindowLongW(::GetDlgItem(window.hwnd(), c.id), GWL_STYLE);
    if ((style & WS_TABSTOP) && !(style & WS_DISABLED)) stops.push_back(&c);
  }
  std::stable_sort(stops.begin(), stops.end(),
                   [](auto* a, auto* b) { return a->tabIndex < b->tabIndex; });
  HWND at = nullptr;
  for (const platform::Control* stop : stops) {
    at = ::GetNextDlgTabItem(window.hwnd(), at, FALSE);
    EXPECT_EQ(::GetDlgCtrlID(at), stop->id) << std::string(stop->name.begin(), stop->name.end());
  }
}

}  // namespace
}  // namespace mirafold::win32
