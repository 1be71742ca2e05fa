#include "PngInfo.hpp"

#include <cstring>

#include "ByteOrder.hpp"

namespace vexmire_image {

namespace {
constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
constexpr std::uint32_t kLargestSide = 0x7FFFFFFF;
}  // namespace

PngStatus ReadPngSize(const std::uint8_t* data, std::uint64_t size, PngSize& pixels) {
  if (data == nullptr || size < sizeof kSignature || std::memcmp(data, kSignature, sizeof kSignature) != 0)
    return PngStatus::NoSignature;
  if (size < kPngHeaderBytes) return PngStatus::NoHeader;
  const std::uint8_t* chunk = data + sizeof kSignature;
  if (ReadBE32(chunk) != 13 || std::memcmp(chunk + 4, "IHDR", 4) != 0) return PngStatus::NoHeader;
  const std::uint32_t width = ReadBE32(chunk + 8);
  const std::uint32_t height = ReadBE32(chunk + 12);
  if (width == 0 || height == 0 || width > kLargestSide || height > kLargestSide) return PngStatus::NoHeader;
  pixels = PngSize{width, height};
  return PngStatus::Valid;
}

const char* DescribePngStatus(PngStatus status) {
  switch (status) {
    case PngStatus::Valid: return "a PNG picture";
    case PngStatus::NoSignature: return "not a PNG picture (it does not begin with the PNG signature)";
    case PngStatus::NoHeader: return "not a PNG picture (its IHDR header is missing or damaged)";
  }
  return "unknown picture status";
}

}  // namespace vexmire_image
