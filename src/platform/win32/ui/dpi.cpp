#include "platform/win32/ui/dpi.h"

#include "base/win32/exported.h"

namespace mirafold::win32 {
namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

int screenDpi() {
  int dpi = kDefaultDpi;
  if (HDC screen = ::GetDC(nullptr)) {
    dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
    ::ReleaseDC(nullptr, screen);
  }
  return dpi > 0 ? dpi : kDefaultDpi;
}

}  // namespace

int windowDpi(HWND window) {
  static const auto forWindow =
      base::win32::exportedFunction<GetDpiForWindowFn>(L"user32.dll", "GetDpiForWindow");
  if (forWindow && window) {
    if (const UINT dpi = forWindow(window)) return static_cast<int>(dpi);
  }
  return screenDpi();
}

int systemMetric(int index, int dpi) {
  static const auto forDpi = base::win32::exportedFunction<GetSystemMetricsForDpiFn>(
      L"user32.dll", "GetSystemMetricsForDpi");
  if (forDpi) return forDpi(index, static_cast<UINT>(dpi));
  // Without the call the system's sizes are those of the screen's DPI.
  return ::MulDiv(::GetSystemMetrics(index), dpi, screenDpi());
}

RECT windowRectFor(const RECT& client, DWORD style, DWORD exStyle, int dpi) {
  static const auto forDpi = base::win32::exportedFunction<AdjustWindowRectExForDpiFn>(
      L"user32.dll", "AdjustWindowRectExForDpi");
  RECT r = client;
  if (forDpi) {
    forDpi(&r, style, FALSE, exStyle, static_cast<UINT>(dpi));
  } else {
    ::AdjustWindowRectEx(&r, style, FALSE, exStyle);
  }
  return r;
}

base::win32::UniqueFont messageFont(int dpi) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return {};
  metrics.lfMessageFont.lfHeight = -scaled(9, dpi, 72);
  return base::win32::UniqueFont(::CreateFontIndirectW(&metrics.lfMessageFont));
}

}  // namespace mirafold::win32
