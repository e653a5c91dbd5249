// The progress window as a window: moved to a monitor of another scale, it takes the size the
// system suggests and lays its controls out again for that scale.

#include "platform/win32/ui/progress_dialog.h"

#include <gtest/gtest.h>

namespace mirafold::win32 {
namespace {

HWND progressWindowOfThisProcess() {
  struct Search {
    HWND found = nullptr;
  } search;
  ::EnumWindows(
      [](HWND hwnd, LPARAM data) -> BOOL {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(hwnd, &pid);
        wchar_t name[64] = {};
        ::GetClassNameW(hwnd, name, 64);
        if (pid != ::GetCurrentProcessId() || std::wstring(name) != L"MirafoldProgress")
          return TRUE;
        reinterpret_cast<Search*>(data)->found = hwnd;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

SIZE sizeOf(HWND hwnd) {
  RECT r{};
  ::GetWindowRect(hwnd, &r);
  return {r.right - r.left, r.bottom - r.top};
}

TEST(ProgressDialogTest, FollowsAChangeOfScale) {
  Win32ProgressDialog dialog(nullptr, {.title = L"正在移动", .cancel = L"取消"});
  SIZE bar96{}, bar144{}, button144{}, window144{};
  const RECT suggested{40, 50, 40 + 700, 50 + 290};
  dialog.run(
      [&](const platform::ProgressReport&) {
        // On the worker's thread: the window's thread handles what is sent while it waits.
        const HWND window = progressWindowOfThisProcess();
        ASSERT_NE(window, nullptr);
        bar96 = sizeOf(::GetDlgItem(window, kProgressBarId));
        ::SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(144, 144),
                       reinterpret_cast<LPARAM>(&suggested));
        bar144 = sizeOf(::GetDlgItem(window, kProgressBarId));
        button144 = sizeOf(::GetDlgItem(window, IDCANCEL));
        window144 = sizeOf(window);
      },
      [] {});
  EXPECT_EQ(bar96.cx, 396);
  EXPECT_EQ(bar144.cx, 594);
  EXPECT_EQ(bar144.cy, 27);
  EXPECT_EQ(button144.cx, 135);
  EXPECT_EQ(window144.cx, 700);
  EXPECT_EQ(window144.cy, 290);
}

std::wstring textOf(HWND hwnd) {
  wchar_t text[256] = {};
  ::GetWindowTextW(hwnd, text, 256);
  return text;
}

// Polled from the worker's thread while the window's thread shows what was reported.
bool becomes(HWND hwnd, const std::wstring& text) {
  for (int waited = 0; waited < 200; ++waited) {
    if (textOf(hwnd) == text) return true;
    ::Sleep(10);
  }
  return false;
}

// Work of several parts names the part under way in the title; a report without one keeps it.
TEST(ProgressDialogTest, TheTitleNamesThePartUnderWay) {
  Win32ProgressDialog dialog(nullptr, {.title = L"正在移动", .cancel = L"取消"});
  bool titled = false, kept = false;
  dialog.run(
      [&](const platform::ProgressReport& report) {
        const HWND window = progressWindowOfThisProcess();
        ASSERT_NE(window, nullptr);
        report({.counts = L"1", .title = L"正在移动 2 / 3：二 Two"});
        titled = becomes(window, L"正在移动 2 / 3：二 Two");
        report({.counts = L"2"});
        kept = becomes(::GetDlgItem(window, kProgressCountsId), L"2") &&
               textOf(window) == L"正在移动 2 / 3：二 Two";
      },
      [] {});
  EXPECT_TRUE(titled);
  EXPECT_TRUE(kept);
}

}  // namespace
}  // namespace mirafold::win32
