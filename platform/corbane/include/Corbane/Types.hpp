// Corbane basic types.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Corbane {

using Int8 = std::int8_t;
using Int16 = std::int16_t;
using Int32 = std::int32_t;
using Int64 = std::int64_t;
using UInt8 = std::uint8_t;
using UInt16 = std::uint16_t;
using UInt32 = std::uint32_t;
using UInt64 = std::uint64_t;
using UIndex = std::uint32_t;
using UniChar = char16_t;

inline constexpr UIndex MaxUIndex = 0xFFFFFFFFu;

// Character codes for narrow text. 0, the default, is UTF-8.
enum CharCode : Int32 { CC_Default = 0, CC_UTF8 = 0, CC_Latin1 = 1, CC_ASCII = 2 };

}  // namespace Corbane
