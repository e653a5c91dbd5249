#include "base/reparse_data.h"

#include "base/little_endian.h"
#include "base/text.h"

namespace mirafold::base {
namespace {

constexpr std::wstring_view kNtPrefix = L"\\??\\";
constexpr std::wstring_view kNtUnc = L"\\??\\UNC\\";

void put16(std::vector<std::uint8_t>& out, std::size_t at, std::size_t value) {
  writeLe16(out, at, static_cast<std::uint16_t>(value));
}

std::size_t get16(std::span<const std::uint8_t> in, std::size_t at) { return readLe16(in, at); }

void putText(std::vector<std::uint8_t>& out, std::size_t at, const std::u16string& text) {
  for (char16_t unit : text) {
    put16(out, at, unit);
    at += 2;
  }
}

std::u16string getText(std::span<const std::uint8_t> in, std::size_t at, std::size_t bytes) {
  std::u16string text;
  for (std::size_t i = 0; i < bytes; i += 2)
    text.push_back(static_cast<char16_t>(get16(in, at + i)));
  return text;
}

}  // namespace

namespace {

// Reparse data of `tag` whose path buffer follows `fields` bytes of fields (the two names' offsets
// and lengths, then a symbolic link's flags), the substitute name first.
std::optional<std::vector<std::uint8_t>> buildNamesData(std::uint32_t tag, std::size_t fields,
                                                        const std::wstring& substituteName,
                                                        const std::wstring& printName) {
  const std::u16string substitute = toUtf16(substituteName);
  const std::u16string print = toUtf16(printName);
  const std::size_t substituteBytes = substitute.size() * 2;
  const std::size_t printBytes = print.size() * 2;
  const std::size_t pathBufferBytes = substituteBytes + 2 + printBytes + 2;
  const std::size_t dataLength = fields + pathBufferBytes;
  if (kReparseHeaderSize + dataLength > kMaximumReparseDataSize) return std::nullopt;

  std::vector<std::uint8_t> out(kReparseHeaderSize + dataLength, 0);
  put16(out, 0, tag & 0xFFFF);
  put16(out, 2, tag >> 16);
  put16(out, 4, dataLength);
  // Offsets count from the start of the path buffer.
  put16(out, 8, 0);
  put16(out, 10, substituteBytes);
  put16(out, 12, substituteBytes + 2);
  put16(out, 14, printBytes);
  const std::size_t pathBuffer = kReparseHeaderSize + fields;
  putText(out, pathBuffer, substitute);
  putText(out, pathBuffer + substituteBytes + 2, print);
  return out;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> buildMountPointData(const MountPoint& names) {
  return buildNamesData(kMountPointTag, kMountPointFieldsSize, names.substituteName,
                        names.printName);
}

std::optional<std::vector<std::uint8_t>> buildSymbolicLinkData(const SymbolicLink& link) {
  auto out = buildNamesData(kSymbolicLinkTag, kMountPointFieldsSize + 4, link.substituteName,
                            link.printName);
  if (out && link.relative) put16(*out, 16, kSymbolicLinkRelative);
  return out;
}

std::optional<std::uint32_t> reparseTag(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < 4) return std::nullopt;
  return static_cast<std::uint32_t>(get16(bytes, 0) | (get16(bytes, 2) << 16));
}

namespace {

struct Names {
  std::wstring substitute, print;
};

// The two names of reparse data of `tag` whose path buffer starts `fields` bytes after the header.
std::optional<Names> namesOf(std::span<const std::uint8_t> bytes, std::uint32_t tag,
                             std::size_t fields) {
  const std::size_t pathBuffer = kReparseHeaderSize + fields;
  if (bytes.size() < pathBuffer || reparseTag(bytes) != tag) return std::nullopt;
  const std::size_t end = kReparseHeaderSize + get16(bytes, 4);
  if (end > bytes.size() || end < pathBuffer) return std::nullopt;

  auto name = [&](std::size_t offsetField) -> std::optional<std::wstring> {
    const std::size_t offset = get16(bytes, offsetField);
    const std::size_t length = get16(bytes, offsetField + 2);
    if (offset % 2 != 0 || length % 2 != 0 || pathBuffer + offset + length > end) {
      return std::nullopt;
    }
    return fromUtf16(getText(bytes, pathBuffer + offset, length));
  };
  auto substitute = name(8);
  auto print = name(12);
  if (!substitute || !print) return std::nullopt;
  return Names{*substitute, *print};
}

}  // namespace

std::optional<MountPoint> parseMountPointData(std::span<const std::uint8_t> bytes) {
  const auto names = namesOf(bytes, kMountPointTag, kMountPointFieldsSize);
  if (!names) return std::nullopt;
  return MountPoint{names->substitute, names->print};
}

std::optional<SymbolicLink> parseSymbolicLinkData(std::span<const std::uint8_t> bytes) {
  const auto names = namesOf(bytes, kSymbolicLinkTag, kMountPointFieldsSize + 4);
  if (!names) return std::nullopt;
  const std::size_t flags = get16(bytes, 16) | (get16(bytes, 18) << 16);
  return SymbolicLink{names->substitute, names->print, (flags & kSymbolicLinkRelative) != 0};
}

std::wstring substituteNameFor(std::wstring_view drivePath) {
  return std::wstring(kNtPrefix) + std::wstring(drivePath);
}

std::wstring pathFromSubstituteName(std::wstring_view substituteName) {
  if (substituteName.starts_with(kNtUnc)) {
    return L"\\\\" + std::wstring(substituteName.substr(kNtUnc.size()));
  }
  if (substituteName.starts_with(kNtPrefix)) {
    return std::wstring(substituteName.substr(kNtPrefix.size()));
  }
  return std::wstring(substituteName);
}

}  // namespace mirafold::base
