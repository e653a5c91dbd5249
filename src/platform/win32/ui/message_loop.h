#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <optional>

namespace mirafold::win32 {

// One message of a loop: Tab and arrow keys move between the controls of the window it is for.
void dispatchMessage(MSG& msg);

// A modal window's loop: dispatches the thread's messages until `done` holds. A WM_QUIT met on the
// way ends it early and its code is returned, for the caller to post again once its window is
// gone.
std::optional<int> runModalLoop(const std::function<bool()>& done);

// Returns once `done` holds (asked at least every 50 ms) or at `deadline`, saying whether it held;
// meanwhile the calling thread's windows are drawn and answer, but take no input (disabled as
// under a modal box), so that a wait for another process neither freezes the window nor lets a
// second command start inside the first. A WM_QUIT that arrives is posted again for the loop.
bool waitWithWindowsDrawn(const std::function<bool()>& done,
                          std::chrono::steady_clock::time_point deadline);

// Runs until the main window is gone; Tab and arrow keys move between controls of every window.
int runMessageLoop();

}  // namespace mirafold::win32
