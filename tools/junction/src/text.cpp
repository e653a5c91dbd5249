#include "junction/text.h"

namespace junction {

std::u16string toUtf16(std::wstring_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (wchar_t c : text) {
    const auto point = static_cast<char32_t>(c);
    if (point > 0xFFFF) {
      const char32_t v = point - 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (v >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (v & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(point));
    }
  }
  return out;
}

std::wstring fromUtf16(std::u16string_view text) {
  std::wstring out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    const bool pair = sizeof(wchar_t) > 2 && unit >= 0xD800 && unit < 0xDC00 &&
                      i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000;
    if (pair) {
      const char32_t point = 0x10000 + ((char32_t{unit} - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      out.push_back(static_cast<wchar_t>(point));
      ++i;
    } else {
      out.push_back(static_cast<wchar_t>(unit));
    }
  }
  return out;
}

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
