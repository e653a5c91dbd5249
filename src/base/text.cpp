#include "base/text.h"

#include <array>
#include <cstdio>

namespace mirafold::base {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool isHighSurrogate(char32_t c) { return c >= 0xD800 && c < 0xDC00; }
bool isLowSurrogate(char32_t c) { return c >= 0xDC00 && c < 0xE000; }

void appendUtf8(std::string& out, char32_t point) {
  const auto byte = [&out](char32_t value) { out.push_back(static_cast<char>(value)); };
  if (point < 0x80) {
    byte(point);
  } else if (point < 0x800) {
    byte(0xC0 | point >> 6);
    byte(0x80 | (point & 0x3F));
  } else if (point < 0x10000) {
    byte(0xE0 | point >> 12);
    byte(0x80 | (point >> 6 & 0x3F));
    byte(0x80 | (point & 0x3F));
  } else {
    byte(0xF0 | point >> 18);
    byte(0x80 | (point >> 12 & 0x3F));
    byte(0x80 | (point >> 6 & 0x3F));
    byte(0x80 | (point & 0x3F));
  }
}

}  // namespace

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
    const bool pair = sizeof(wchar_t) > 2 && isHighSurrogate(unit) && i + 1 < text.size() &&
                      isLowSurrogate(text[i + 1]);
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

std::string toUtf8(std::wstring_view text) {
  const std::u16string units = toUtf16(text);
  std::string out;
  out.reserve(units.size());
  for (std::size_t i = 0; i < units.size(); ++i) {
    char32_t point = units[i];
    if (isHighSurrogate(point) && i + 1 < units.size() && isLowSurrogate(units[i + 1])) {
      point = 0x10000 + ((point - 0xD800) << 10) + (units[i + 1] - 0xDC00);
      ++i;
    } else if (isHighSurrogate(point) || isLowSurrogate(point)) {
      point = kReplacement;
    }
    appendUtf8(out, point);
  }
  return out;
}

std::wstring fromUtf8(std::string_view bytes) {
  std::u16string units;
  units.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size();) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    char32_t point = length == 1 ? lead : lead & (0x3F >> (length - 1));
    bool whole = lead < 0x80 || (lead >= 0xC2 && lead <= 0xF4);
    for (std::size_t k = 1; whole && k < length; ++k) {
      const bool follows =
          i + k < bytes.size() && (static_cast<unsigned char>(bytes[i + k]) & 0xC0) == 0x80;
      if (follows) point = point << 6 | (static_cast<unsigned char>(bytes[i + k]) & 0x3F);
      whole = follows;
    }
    static constexpr char32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
    whole = whole && point >= kShortest[length] && point <= 0x10FFFF && !isHighSurrogate(point) &&
            !isLowSurrogate(point);
    if (!whole) {
      units.push_back(static_cast<char16_t>(kReplacement));
      ++i;
      continue;
    }
    if (point > 0xFFFF) {
      units.push_back(static_cast<char16_t>(0xD800 + ((point - 0x10000) >> 10)));
      units.push_back(static_cast<char16_t>(0xDC00 + ((point - 0x10000) & 0x3FF)));
    } else {
      units.push_back(static_cast<char16_t>(point));
    }
    i += length;
  }
  return fromUtf16(units);
}

std::wstring fillIn(std::wstring_view text, std::initializer_list<std::wstring_view> values) {
  std::wstring out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool blank =
        text[i] == L'%' && i + 1 < text.size() && text[i + 1] >= L'1' && text[i + 1] <= L'9';
    const std::size_t index = blank ? static_cast<std::size_t>(text[i + 1] - L'1') : 0;
    if (blank && index < values.size()) {
      out += *(values.begin() + index);
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::wstring formatSize(std::uint64_t bytes) {
  static constexpr std::array<const wchar_t*, 5> kUnits{L"KB", L"MB", L"GB", L"TB", L"PB"};
  if (bytes < 1024) return std::to_wstring(bytes) + L" B";
  double value = static_cast<double>(bytes) / 1024.0;
  std::size_t unit = 0;
  // Rounded first, so that 1023.96 KB reads "1.0 MB" rather than "1024.0 KB".
  while (value >= 1023.95 && unit + 1 < kUnits.size()) {
    value /= 1024.0;
    ++unit;
  }
  std::array<wchar_t, 32> text{};
  std::swprintf(text.data(), text.size(), L"%.1f %ls", value, kUnits[unit]);
  return text.data();
}

}  // namespace mirafold::base
