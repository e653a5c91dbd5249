#pragma once
// Text helpers of the tool's rules.

#include <string>
#include <string_view>

namespace junction {

// System messages end in CR LF and may span lines; the tool prints one line per message.
std::wstring oneLine(std::wstring_view text);

// Options are matched without regard to ASCII case, as Windows tools do.
bool equalsIgnoringAsciiCase(std::wstring_view a, std::wstring_view b);

}  // namespace junction
