// A form moved to a monitor of another DPI: every control, font and row is made again for it.

#include "platform/win32/ui/layout_window.h"

#include <gtest/gtest.h>

#include "app/main_layout.h"

namespace mirafold::win32 {
namespace {

int px(int twips, int dpi) { return ::MulDiv(twips, dpi, 1440); }

TEST(LayoutWindowTest, WmDpiChangedLaysTheWindowOutAgainAtTheNewDpi) {
  const platform::WindowLayout& form = app::mainWindowLayout();
  LayoutWindow window(form, ::GetModuleHandleW(nullptr), 0);
  for (const int dpi : {144, 120, 192, 96}) {
    RECT suggested{40, 30, 40 + px(form.clientWidth, dpi) + 8,
                   30 + px(form.clientHeight, dpi) + 30};
    ::SendMessageW(window.hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                   reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(window.dpi(), dpi);
    RECT outer{};
    ::GetWindowRect(window.hwnd(), &outer);
    EXPECT_TRUE(::EqualRect(&outer, &suggested)) << "the suggested rectangle is taken, " << dpi;

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

}  // namespace
}  // namespace mirafold::win32
