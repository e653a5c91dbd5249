#pragma once
// The project's handle owners, under the names the tool uses.

#include "platform/win32/unique_handle.h"

namespace junction::win32 {

using mirafold::win32::UniqueKernelHandle;             // processes, pipes
using UniqueFile = mirafold::win32::UniqueFileHandle;  // CreateFileW
using UniqueFind = mirafold::win32::UniqueFindHandle;  // FindFirstFileExW

}  // namespace junction::win32
