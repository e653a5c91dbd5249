#include "junction/text.h"

namespace junction {

std::wstring oneLine(std::wstring_view text) {
  std::wstring out;
  bool pendingSpace = false;
  for (wchar_t c : text) {
    const bool blank = c == L'\r' || c == L'\n' || c == L' ' || c == L'\t';
    if (blank) {
      pendingSpace = !out.empty();
      continue;
    }
    if (pendingSpace) out.push_back(L' ');
    pendingSpace = false;
    out.push_back(c);
  }
  return out;
}

bool equalsIgnoringAsciiCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  auto lower = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 32) : c; };
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

}  // namespace junction
