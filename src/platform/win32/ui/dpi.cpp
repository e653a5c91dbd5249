#include "platform/win32/ui/dpi.h"

namespace mirafold::win32 {
namespace {

// An export of user32 by name, or null on systems that lack it.
template <typename Function>
Function user32Export(const char* name) {
  static const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
  return user32
             ? reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(user32, name)))
             : nullptr;
}

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
  static const auto forWindow = user32Export<GetDpiForWindowFn>("GetDpiForWindow");
  if (forWindow && window) {
    if (const UINT dpi = forWindow(window)) return static_cast<int>(dpi);
  }
  return screenDpi();
}

int systemMetric(int index, int dpi) {
  static const auto forDpi = user32Export<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
  if (forDpi) return forDpi(index, static_cast<UINT>(dpi));
  // Without the call the system's sizes are those of the screen's DPI.
  return ::MulDiv(::GetSystemMetrics(index), dpi, screenDpi());
}

RECT windowRectFor(const RECT& client, DWORD style, DWORD exStyle, int dpi) {
  static const auto forDpi = user32Export<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
  RECT r = client;
  if (forDpi) {
    forDpi(&r, style, FALSE, exStyle, static_cast<UINT>(dpi));
  } else {
    ::AdjustWindowRectEx(&r, style, FALSE, exStyle);
  }
  return r;
}

}  // namespace mirafold::win32
