#pragma once
// What a WM_DROPFILES carries: the dropped paths and where they were dropped.

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace mirafold::win32 {

struct DroppedFiles {
  std::vector<std::wstring> paths;  // full paths, of any length, in the source's order
  POINT point{};                    // in the client area of the window that received it
  bool inClientArea = false;
};

// Reads the list; its owner (the WM_DROPFILES handler) releases it.
DroppedFiles readDroppedFiles(HDROP drop);

}  // namespace mirafold::win32
