// The little of a PNG picture that resources care about: that it is one, and
// its size in pixels.
#pragma once

#include <cstdint>

namespace vexmire_image {

inline constexpr std::uint32_t kPngHeaderBytes = 8 + 8 + 13;  // signature, chunk head, IHDR body

enum class PngStatus { Valid, NoSignature, NoHeader };

struct PngSize {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
};

// Reads the signature and the IHDR chunk that must follow it.
PngStatus ReadPngSize(const std::uint8_t* data, std::uint64_t size, PngSize& pixels);
const char* DescribePngStatus(PngStatus status);

}  // namespace vexmire_image
