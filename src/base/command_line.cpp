#include "base/command_line.h"

namespace mirafold::base {

std::wstring quoteArgument(std::wstring_view argument) {
  std::wstring out = L"\"";
  std::size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    // Backslashes are literal unless a quote follows: then each is doubled and the quote escaped.
    const std::size_t copies = c == L'"' ? backslashes * 2 + 1 : backslashes;
    out.append(copies, L'\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, L'\\');  // they now stand before the closing quote
  out += L'"';
  return out;
}

std::wstring joinArguments(const std::vector<std::wstring>& arguments) {
  std::wstring out;
  for (const auto& argument : arguments) {
    if (!out.empty()) out += L' ';
    out += quoteArgument(argument);
  }
  return out;
}

}  // namespace mirafold::base
