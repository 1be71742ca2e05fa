// A string-list resource: a 32-bit little-endian count of the bytes that
// follow, then zero-terminated strings, the first of them index 1.
#pragma once

#include <cstdint>

namespace vexmire_image {

struct StringRef {
  const char* text = nullptr;
  std::uint32_t length = 0;  // bytes, without the zero
};

// String `index` (from 1) of the list in `data`. False when the list is
// malformed or shorter; a last string whose zero lies beyond the count does
// not count, since reading it would leave the resource.
bool FindIndexedString(const std::uint8_t* data, std::uint32_t size, std::uint32_t index, StringRef& found);
// How many whole strings the list holds; -1 when its count does not fit the resource.
std::int64_t CountStrings(const std::uint8_t* data, std::uint32_t size);

}  // namespace vexmire_image
