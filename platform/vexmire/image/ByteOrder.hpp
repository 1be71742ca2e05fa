// Fixed-order integer reads and writes on raw bytes: the resource image is
// little-endian whatever the machine, and PNG headers are big-endian.
#pragma once

#include <cstdint>

namespace vexmire_image {

inline std::uint16_t ReadLE16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t ReadLE32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24);
}
inline std::uint64_t ReadLE64(const std::uint8_t* p) {
  return std::uint64_t(ReadLE32(p)) | (std::uint64_t(ReadLE32(p + 4)) << 32);
}
inline std::uint32_t ReadBE32(const std::uint8_t* p) {
  return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | std::uint32_t(p[3]);
}
inline void WriteLE32(std::uint8_t* p, std::uint32_t value) {
  p[0] = static_cast<std::uint8_t>(value);
  p[1] = static_cast<std::uint8_t>(value >> 8);
  p[2] = static_cast<std::uint8_t>(value >> 16);
  p[3] = static_cast<std::uint8_t>(value >> 24);
}

// True when [offset, offset + length) lies inside a block of `size` bytes,
// without the sum overflowing.
inline bool FitsWithin(std::uint64_t offset, std::uint64_t length, std::uint64_t size) {
  return offset <= size && length <= size - offset;
}

}  // namespace vexmire_image
