#pragma once
// Pictures stored in the program as JPEG resources.

#include <windows.h>

#include "base/win32/handles.h"

namespace mirafold::win32 {

// Decodes the RCDATA resource and scales it to width x height pixels; null when it cannot.
base::win32::UniqueBitmap loadJpegResource(HINSTANCE instance, int resource, int width, int height);

}  // namespace mirafold::win32
