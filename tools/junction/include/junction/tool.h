#pragma once
// The tool's behaviour for each command, on whatever system it is handed.

#include <cstdint>

#include "junction/arguments.h"
#include "junction/system.h"

namespace junction {

// Returns the process exit code: 0 on success, else the Win32 error code of the step that failed,
// or exit_code::kUsage when the arguments were not understood.
std::uint32_t run(const Arguments& arguments, System& system, Console& console);

}  // namespace junction
