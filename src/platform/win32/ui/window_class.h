#pragma once
#include <windows.h>

namespace mirafold::win32 {

// A class for one of the program's own windows: the arrow cursor and the dialog colour behind
// its controls. Registering it again does nothing.
void registerWindowClass(const wchar_t* name, WNDPROC procedure);

}  // namespace mirafold::win32
