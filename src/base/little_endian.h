#pragma once
// Little-endian integers in byte buffers, as the system's records store them.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace mirafold::base {

// The caller has checked that the bytes are there.
inline std::uint16_t readLe16(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

inline std::uint32_t readLe32(std::span<const std::uint8_t> bytes, std::size_t at) {
  return std::uint32_t{readLe16(bytes, at)} | std::uint32_t{readLe16(bytes, at + 2)} << 16;
}

inline void writeLe16(std::span<std::uint8_t> bytes, std::size_t at, std::uint16_t value) {
  bytes[at] = static_cast<std::uint8_t>(value & 0xFF);
  bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

inline void appendLe32(std::vector<std::uint8_t>& bytes, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8)
    bytes.push_back(static_cast<std::uint8_t>(value >> shift));
}

}  // namespace mirafold::base
