#pragma once

#include <string>
#include <string_view>

namespace mirafold::app {

// A folder handed over by the shell arrives quoted: every double quote is dropped, wherever it
// stands; nothing else is changed.
std::wstring withoutQuotes(std::wstring_view text);

}  // namespace mirafold::app
