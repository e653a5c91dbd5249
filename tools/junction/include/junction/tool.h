#pragma once
// The tool's behaviour for each command, on whatever system it is handed.

#include "junction/arguments.h"
#include "junction/system.h"

namespace junction {

// Returns the process exit code: 0 on success only.
int run(const Arguments& arguments, System& system, Console& console);

}  // namespace junction
