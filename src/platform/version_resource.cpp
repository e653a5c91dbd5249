#include "platform/version_resource.h"

namespace mirafold::platform {
namespace {

constexpr std::uint32_t kSignature = 0xFEEF04BD;
// Signature, struct version, then the file version as two 32-bit halves.
constexpr std::size_t kRecordPrefix = 16;

std::uint32_t u32At(std::span<const std::uint8_t> b, std::size_t at) {
  return std::uint32_t{b[at]} | std::uint32_t{b[at + 1]} << 8 | std::uint32_t{b[at + 2]} << 16 |
         std::uint32_t{b[at + 3]} << 24;
}

}  // namespace

std::optional<FileVersion> fileVersionOf(std::span<const std::uint8_t> resource) {
  // The record is 32-bit aligned inside the block.
  for (std::size_t at = 0; at + kRecordPrefix <= resource.size(); at += 4) {
    if (u32At(resource, at) != kSignature) continue;
    const std::uint32_t ms = u32At(resource, at + 8);
    const std::uint32_t ls = u32At(resource, at + 12);
    return FileVersion{static_cast<std::uint16_t>(ms >> 16), static_cast<std::uint16_t>(ms),
                       static_cast<std::uint16_t>(ls >> 16), static_cast<std::uint16_t>(ls)};
  }
  return std::nullopt;
}

}  // namespace mirafold::platform
