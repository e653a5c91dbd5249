// Every shortcut the writer makes reads back, by the published layout, as the target and icon it
// was given; what it refuses is what cannot be stored.

#include <cstdlib>

#include "fuzz_input.h"
#include "sendto/shell_link.h"

using namespace mirafold;

namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t u16(const Bytes& b, std::size_t at) {
  if (at + 2 > b.size()) std::abort();
  return b[at] | b[at + 1] << 8;
}
std::uint32_t u32(const Bytes& b, std::size_t at) { return u16(b, at) | u16(b, at + 2) << 16; }

// UTF-16 text up to a NUL unit, or of `count` units.
std::wstring units(const Bytes& b, std::size_t at, std::size_t count = std::wstring::npos) {
  std::vector<std::uint16_t> read;
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint32_t unit = u16(b, at + 2 * i);
    if (count == std::wstring::npos && unit == 0) break;
    read.push_back(static_cast<std::uint16_t>(unit));
  }
  return fuzz::fromUnits(read);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto pieces = fuzz::piecesOf(fuzz::textOf(data, size), 2);
  sendto::ShellLink link{pieces[0], std::string(pieces[0].size(), '?'), pieces[1], 3, 0};
  const auto bytes = sendto::shellLinkBytes(link);
  if (!bytes) {
    const auto storable = [](const std::wstring& s) {
      return !s.empty() && s.find(L'\0') == std::wstring::npos && s.size() < 0x7FFF;
    };
    if (storable(link.target) && storable(link.iconLocation) && link.target.size() < 200)
      std::abort();
    return 0;
  }
  const Bytes& b = *bytes;
  if (u32(b, 0) != 0x4C || u16(b, 64) != 0) std::abort();  // header size, no hot key
  const std::size_t info = 0x4C;
  const std::uint32_t infoSize = u32(b, info);
  if (units(b, info + u32(b, info + 28)) != link.target) std::abort();
  const std::size_t icon = info + infoSize;
  const std::uint32_t count = u16(b, icon);
  if (units(b, icon + 2, count) != link.iconLocation) std::abort();
  if (b.size() != icon + 2 + 2 * count + 4 || u32(b, icon + 2 + 2 * count) != 0) std::abort();
  return 0;
}
