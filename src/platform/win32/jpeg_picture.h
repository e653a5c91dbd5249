#pragma once
// Pictures stored in the program as JPEG resources.

#include <windows.h>

#include "platform/win32/unique_handle.h"

namespace mirafold::win32 {

// Decodes the RCDATA resource and scales it to width x height pixels; null when it cannot.
UniqueBitmap loadJpegResource(HINSTANCE instance, int resource, int width, int height);

}  // namespace mirafold::win32
