#pragma once
// Turns fuzzer bytes into the program's inputs: UTF-16 texts, split at a separator code unit.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace mirafold::fuzz {

inline std::wstring textOf(const std::uint8_t* data, std::size_t size) {
  std::wstring text;
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    text.push_back(static_cast<wchar_t>(data[i] | data[i + 1] << 8));
  }
  return text;
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
