#include "platform/version_resource.h"

#include "base/little_endian.h"

namespace mirafold::platform {
namespace {

constexpr std::uint32_t kSignature = 0xFEEF04BD;
// Signature, struct version, then the file version as two 32-bit halves.
constexpr std::size_t kRecordPrefix = 16;

}  // namespace

std::optional<FileVersion> fileVersionOf(std::span<const std::uint8_t> resource) {
  // The record is 32-bit aligned inside the block.
  for (std::size_t at = 0; at + kRecordPrefix <= resource.size(); at += 4) {
    if (base::readLe32(resource, at) != kSignature) continue;
    const std::uint32_t ms = base::readLe32(resource, at + 8);
    const std::uint32_t ls = base::readLe32(resource, at + 12);
    return FileVersion{static_cast<std::uint16_t>(ms >> 16), static_cast<std::uint16_t>(ms),
                       static_cast<std::uint16_t>(ls >> 16), static_cast<std::uint16_t>(ls)};
  }
  return std::nullopt;
}

}  // namespace mirafold::platform
