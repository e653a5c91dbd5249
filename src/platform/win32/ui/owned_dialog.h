#pragma once
// The frame the program's own modal windows share: a dialog frame centred over its owner, its
// client area laid out at 96 dpi and scaled to the owner's DPI.

#include <windows.h>

#include <string>

#include "base/win32/handles.h"

namespace mirafold::win32 {

// `creation` reaches the window procedure in WM_NCCREATE. Throws when the window cannot be made.
base::win32::UniqueWindow makeOwnedDialog(HWND owner, const wchar_t* className,
                                          const std::wstring& title, SIZE clientAt96,
                                          void* creation);

}  // namespace mirafold::win32
