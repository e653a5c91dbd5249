#pragma once
// A drag from a program on the host (a Linux file manager) into the program's window. Wine carries
// no WM_DROPFILES from another Windows process (the list's memory handle arrives unmapped, so it
// names nothing there), but it turns an XDND drop from an X client into a WM_DROPFILES made inside
// the receiving process, which is the road a user's drag takes under Wine.

#include <windows.h>

#include <string>
#include <vector>

namespace mirafold::ui {

// Drops the paths on the middle of a window. 0 once the window there has taken them; else 2 it
// refused them, 3 no window there takes drops, 4 it did not answer in time, 1 the drop never began.
DWORD hostDrop(HWND onto, const std::vector<std::wstring>& paths);

}  // namespace mirafold::ui
