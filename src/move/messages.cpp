#include "move/messages.h"

#include <array>
#include <cstdio>

namespace mirafold::move {

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

}  // namespace mirafold::move
