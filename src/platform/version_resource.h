#pragma once
// Reads the program's version numbers out of the bytes of its version resource.

#include <cstdint>
#include <optional>
#include <span>

namespace mirafold::platform {

struct FileVersion {
  std::uint16_t major, minor, build, revision;
};

// The fixed file-version record of a VS_VERSIONINFO block, found by its signature.
std::optional<FileVersion> fileVersionOf(std::span<const std::uint8_t> resource);

}  // namespace mirafold::platform
