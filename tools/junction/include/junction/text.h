#pragma once
// Text helpers shared by the tool's rules: UTF-16 code units whatever the width of wchar_t.

#include <string>
#include <string_view>

namespace junction {

// On Windows wchar_t is already UTF-16; elsewhere it holds code points, paired here as surrogates.
std::u16string toUtf16(std::wstring_view text);
std::wstring fromUtf16(std::u16string_view text);

// System messages end in CR LF and may span lines; the tool prints one line per message.
std::wstring oneLine(std::wstring_view text);

// Options are matched without regard to ASCII case, as Windows tools do.
bool equalsIgnoringAsciiCase(std::wstring_view a, std::wstring_view b);

}  // namespace junction
