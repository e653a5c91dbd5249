#pragma once
// The DPI a window is drawn at, and the system sizes and window frames for a given DPI. The
// per-monitor calls of Windows 10 are looked up at run time, so the program still starts on older
// systems (and on Wine versions without them), which then get the DPI of the screen's DC.

#include <windows.h>

#include "base/win32/handles.h"

namespace mirafold::win32 {

inline constexpr int kDefaultDpi = 96;

int windowDpi(HWND window);
// GetSystemMetrics at that DPI: SM_CXSMICON, SM_CXICON and the like.
int systemMetric(int index, int dpi);
// The outer rectangle of a window whose client area is `client`, at that DPI.
RECT windowRectFor(const RECT& client, DWORD style, DWORD exStyle, int dpi);
// Pixels at a DPI for a length in units of which `perInch` make an inch.
inline int scaled(int length, int dpi, int perInch) { return ::MulDiv(length, dpi, perInch); }

// The system's message font at 9 points for that DPI, as the program's own windows draw their
// texts.
base::win32::UniqueFont messageFont(int dpi);

}  // namespace mirafold::win32
