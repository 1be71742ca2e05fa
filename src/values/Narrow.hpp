// Texts in their 8-bit form, the default character code (UTF-8), as the data
// file holds them and as the plug-in compares what it reads from there.
#pragma once

#include <string>
#include <string_view>

#include "Corbane/Corbane.hpp"
#include "values/ByteSet.hpp"

namespace quarnel {

using Corbane::UniString;

// 8-bit text, its storage from the host's memory manager like every other
// block of the plug-in.
using Bytes = std::basic_string<char, std::char_traits<char>, Corbane::Allocator<char>>;

Corbane::CStr Narrow(const UniString& text);
// The same 8-bit form written into `out`, which keeps its storage.
void NarrowInto(Bytes& out, const UniString& text);
// The text that 8-bit bytes in the default character code read as.
UniString Widen(std::string_view bytes);
bool IsAscii(std::string_view bytes) noexcept;
// Whether `text` is `bytes` of plain ASCII, one code unit per byte.
bool IsAsciiText(const UniString& text, std::string_view bytes) noexcept;

// Appends `text` in UTF-8 unit by unit, as Narrow writes a whole text, but
// with a lone surrogate as the byte 0xFF and the unit's two bytes, which no
// UTF-8 text holds: two different texts never give the same bytes. Each
// ASCII character that `escaped` holds gets a backslash before it.
void AppendExactNarrow(Bytes& out, const UniString& text, const ByteSet& escaped);

}  // namespace quarnel
