#pragma once

namespace mirafold::win32 {

// Runs until the main window is gone; Tab and arrow keys move between controls of every window.
int runMessageLoop();

}  // namespace mirafold::win32
