// Conversions between narrow text and UTF-16 code units, on caller buffers.
#pragma once

#include <cstddef>

#include "Corbane/Types.hpp"

namespace Corbane::Utf {

inline constexpr UniChar Replacement = 0xFFFD;

// A narrow byte never gives more than one code unit, so `out` needs room for
// `count` units. Returns the units written.
std::size_t Decode(const char* in, std::size_t count, CharCode code, UniChar* out) noexcept;

// The most bytes that `count` code units can take in `code`.
std::size_t MaxEncodedBytes(std::size_t count, CharCode code) noexcept;
// Characters the code cannot hold become '?' (a lone surrogate in UTF-8
// becomes U+FFFD). Returns the bytes written; no zero is added.
std::size_t Encode(const UniChar* in, std::size_t count, CharCode code, char* out) noexcept;

// Code points of UTF-16 text (a surrogate pair counts once).
std::size_t CountCodePoints(const UniChar* in, std::size_t count) noexcept;
// Appends one code point as UTF-16; returns the units written (1 or 2).
std::size_t EncodeCodePoint(UInt32 codePoint, UniChar* out) noexcept;

inline bool IsHighSurrogate(UniChar c) noexcept { return c >= 0xD800 && c <= 0xDBFF; }
inline bool IsLowSurrogate(UniChar c) noexcept { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace Corbane::Utf
