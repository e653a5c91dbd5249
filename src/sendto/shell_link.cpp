#include "sendto/shell_link.h"

#include <array>

namespace mirafold::sendto {
namespace {

constexpr std::uint32_t kHeaderSize = 0x4C;
// 00021401-0000-0000-C000-000000000046, in its stored byte order.
constexpr std::array<std::uint8_t, 16> kLinkClsid{0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                                  0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
constexpr std::uint32_t kHasLinkInfo = 1u << 1;
constexpr std::uint32_t kHasIconLocation = 1u << 6;
constexpr std::uint32_t kIsUnicode = 1u << 7;
constexpr std::uint32_t kShowNormal = 1;
// With the two Unicode offsets at its end.
constexpr std::uint32_t kLinkInfoHeaderSize = 0x24;
constexpr std::uint32_t kVolumeIdAndLocalBasePath = 1;
constexpr std::uint32_t kVolumeIdSize = 0x11;  // four fields and an empty label
// StringData counts its characters in 16 bits.
constexpr std::size_t kMaxStringUnits = 0xFFFF;

using Bytes = std::vector<std::uint8_t>;

void put16(Bytes& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void put32(Bytes& out, std::uint32_t value) {
  put16(out, value & 0xFFFF);
  put16(out, value >> 16);
}

// UTF-16 code units, whatever the width of wchar_t here.
std::vector<std::uint16_t> utf16(const std::wstring& text) {
  std::vector<std::uint16_t> units;
  for (const wchar_t c : text) {
    const auto point = static_cast<std::uint32_t>(c);
    if (point > 0xFFFF) {
      units.push_back(static_cast<std::uint16_t>(0xD800 + ((point - 0x10000) >> 10)));
      units.push_back(static_cast<std::uint16_t>(0xDC00 + ((point - 0x10000) & 0x3FF)));
    } else {
      units.push_back(static_cast<std::uint16_t>(point));
    }
  }
  return units;
}

bool storable(const std::vector<std::uint16_t>& units) {
  if (units.empty() || units.size() > kMaxStringUnits) return false;
  for (const std::uint16_t u : units) {
    if (u == 0) return false;
  }
  return true;
}

Bytes header() {
  Bytes out;
  put32(out, kHeaderSize);
  out.insert(out.end(), kLinkClsid.begin(), kLinkClsid.end());
  put32(out, kHasLinkInfo | kHasIconLocation | kIsUnicode);
  put32(out, 0);                              // the target's attributes: not recorded
  for (int i = 0; i < 6; ++i) put32(out, 0);  // creation, access and write times
  put32(out, 0);                              // file size
  put32(out, 0);                              // icon index: the first icon
  put32(out, kShowNormal);
  put16(out, 0);  // no hot key
  put16(out, 0);  // reserved
  put32(out, 0);
  put32(out, 0);
  return out;
}

Bytes linkInfo(const ShellLink& link, const std::vector<std::uint16_t>& target) {
  const auto ansiSize = static_cast<std::uint32_t>(link.targetAnsi.size() + 1);
  const std::uint32_t volumeId = kLinkInfoHeaderSize;
  const std::uint32_t localBasePath = volumeId + kVolumeIdSize;
  const std::uint32_t commonPathSuffix = localBasePath + ansiSize;
  const std::uint32_t localBasePathUnicode = commonPathSuffix + 1;
  const auto unicodeSize = static_cast<std::uint32_t>(2 * (target.size() + 1));
  const std::uint32_t commonPathSuffixUnicode = localBasePathUnicode + unicodeSize;
  const std::uint32_t size = commonPathSuffixUnicode + 2;

  Bytes out;
  put32(out, size);
  put32(out, kLinkInfoHeaderSize);
  put32(out, kVolumeIdAndLocalBasePath);
  put32(out, volumeId);
  put32(out, localBasePath);
  put32(out, 0);  // not on a network share
  put32(out, commonPathSuffix);
  put32(out, localBasePathUnicode);
  put32(out, commonPathSuffixUnicode);

  put32(out, kVolumeIdSize);
  put32(out, link.driveType);
  put32(out, link.driveSerialNumber);
  put32(out, 0x10);  // the label follows the four fields
  out.push_back(0);  // empty label

  out.insert(out.end(), link.targetAnsi.begin(), link.targetAnsi.end());
  out.push_back(0);
  out.push_back(0);  // empty common path suffix
  for (const std::uint16_t u : target) put16(out, u);
  put16(out, 0);
  put16(out, 0);  // empty common path suffix
  return out;
}

}  // namespace

std::optional<Bytes> shellLinkBytes(const ShellLink& link) {
  const std::vector<std::uint16_t> target = utf16(link.target);
  const std::vector<std::uint16_t> icon = utf16(link.iconLocation);
  const bool ansiStorable = !link.targetAnsi.empty() &&
                            link.targetAnsi.find('\0') == std::string::npos &&
                            link.targetAnsi.size() <= kMaxStringUnits;
  if (!storable(target) || !storable(icon) || !ansiStorable) return std::nullopt;

  Bytes out = header();
  const Bytes info = linkInfo(link, target);
  out.insert(out.end(), info.begin(), info.end());
  put16(out, static_cast<std::uint32_t>(icon.size()));
  for (const std::uint16_t u : icon) put16(out, u);
  put32(out, 0);  // terminal block: no extra data
  return out;
}

}  // namespace mirafold::sendto
