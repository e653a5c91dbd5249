#pragma once
// Builds command lines that the receiving program splits back into exactly the given arguments
// (the rules of CommandLineToArgvW and the C runtime, which Wine also follows for host programs).

#include <string>
#include <string_view>
#include <vector>

namespace mirafold::base {

std::wstring quoteArgument(std::wstring_view argument);

std::wstring joinArguments(const std::vector<std::wstring>& arguments);

}  // namespace mirafold::base
