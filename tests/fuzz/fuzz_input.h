#pragma once
// Turns fuzzer bytes into the program's inputs: UTF-16 texts, split at a separator code unit.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace mirafold::fuzz {

// UTF-16 code units as text. Where wchar_t holds code points (not on Windows), pairs become one
// character and a lone surrogate becomes U+FFFD, as no path there can hold one.
inline std::wstring fromUnits(const std::vector<std::uint16_t>& units) {
  std::wstring text;
  for (std::size_t i = 0; i < units.size(); ++i) {
    std::uint32_t c = units[i];
    if constexpr (sizeof(wchar_t) == 4) {
      const bool high = c >= 0xD800 && c < 0xDC00;
      const bool pairs =
          high && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] < 0xE000;
      if (pairs) {
        c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00u);
      } else if (c >= 0xD800 && c < 0xE000) {
        c = 0xFFFD;
      }
    }
    text.push_back(static_cast<wchar_t>(c));
  }
  return text;
}

inline std::wstring textOf(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint16_t> units;
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    units.push_back(static_cast<std::uint16_t>(data[i] | data[i + 1] << 8));
  }
  return fromUnits(units);
}

// Splits at U+0001, which no path holds; always `count` pieces, the last ones possibly empty.
inline std::vector<std::wstring> piecesOf(const std::wstring& text, std::size_t count) {
  std::vector<std::wstring> pieces(1);
  for (wchar_t c : text) {
    if (c == L'\x01' && pieces.size() < count) {
      pieces.emplace_back();
    } else {
      pieces.back().push_back(c);
    }
  }
  pieces.resize(count);
  return pieces;
}

}  // namespace mirafold::fuzz
