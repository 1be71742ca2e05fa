#include "StringList.hpp"

#include <cstring>

#include "ByteOrder.hpp"

namespace vexmire_image {

namespace {

// The strings' bytes, or false when the count claims more than there is.
bool StringBytes(const std::uint8_t* data, std::uint32_t size, const std::uint8_t*& begin, std::uint32_t& length) {
  if (data == nullptr || size < 4) return false;
  length = ReadLE32(data);
  if (length > size - 4) return false;
  begin = data + 4;
  return true;
}

// Calls `visit(index, ref)` for each whole string until it returns true.
template <class Visit>
bool WalkStrings(const std::uint8_t* begin, std::uint32_t length, Visit visit) {
  std::uint32_t index = 1;
  for (std::uint32_t at = 0; at < length; ++index) {
    const void* zero = std::memchr(begin + at, 0, length - at);
    if (zero == nullptr) return false;
    const auto end = static_cast<std::uint32_t>(static_cast<const std::uint8_t*>(zero) - begin);
    if (visit(index, StringRef{reinterpret_cast<const char*>(begin + at), end - at})) return true;
    at = end + 1;
  }
  return false;
}

}  // namespace

bool FindIndexedString(const std::uint8_t* data, std::uint32_t size, std::uint32_t index, StringRef& found) {
  const std::uint8_t* begin = nullptr;
  std::uint32_t length = 0;
  if (index == 0 || !StringBytes(data, size, begin, length)) return false;
  return WalkStrings(begin, length, [&](std::uint32_t at, StringRef ref) {
    if (at != index) return false;
    found = ref;
    return true;
  });
}

std::int64_t CountStrings(const std::uint8_t* data, std::uint32_t size) {
  const std::uint8_t* begin = nullptr;
  std::uint32_t length = 0;
  if (!StringBytes(data, size, begin, length)) return -1;
  std::int64_t count = 0;
  WalkStrings(begin, length, [&](std::uint32_t, StringRef) {
    ++count;
    return false;
  });
  return count;
}

}  // namespace vexmire_image
