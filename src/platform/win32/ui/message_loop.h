#pragma once

#include <windows.h>

namespace mirafold::win32 {

// One message of a loop: Tab and arrow keys move between the controls of the window it is for.
void dispatchMessage(MSG& msg);

// Runs until the main window is gone; Tab and arrow keys move between controls of every window.
int runMessageLoop();

}  // namespace mirafold::win32
