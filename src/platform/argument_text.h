#pragma once
// The program's argument: the whole text after the program's name, taken as one text.

#include <string>
#include <string_view>

namespace mirafold::platform {

// The command line less the program's name and the blanks after it, split the way the system's
// own start-up code finds the end of the name (a quoted name ends at the next quote).
std::wstring argumentTextOf(std::wstring_view commandLine);

}  // namespace mirafold::platform
