#include "values/Narrow.hpp"

namespace quarnel {

namespace {

bool IsHighSurrogate(Corbane::UInt32 unit) noexcept { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(Corbane::UInt32 unit) noexcept { return unit >= 0xDC00 && unit <= 0xDFFF; }

void AppendByte(Bytes& out, Corbane::UInt32 byte) { out.push_back(static_cast<char>(byte)); }

void AppendAscii(Bytes& out, char c, const ByteSet& escaped) {
  if (escaped.Holds(c)) out.push_back('\\');
  out.push_back(c);
}

// The common case in one pass: a text of plain ASCII with nothing to escape,
// one byte per unit. False, with nothing appended, for any other text.
bool AppendPlainAscii(Bytes& out, const UniString& text, const ByteSet& escaped) {
  const Corbane::UniChar* units = text.GetData();
  const Corbane::UIndex length = text.GetLength();
  const std::size_t start = out.size();
  out.resize(start + length);
  char* at = out.data() + start;
  for (Corbane::UIndex i = 0; i < length; ++i) {
    if (units[i] >= 0x80 || escaped.Holds(static_cast<char>(units[i]))) {
      out.resize(start);
      return false;
    }
    at[i] = static_cast<char>(units[i]);
  }
  return true;
}

constexpr ByteSet nothingEscaped("");

}  // namespace

Corbane::CStr Narrow(const UniString& text) { return text.ToCStr(0, Corbane::MaxUIndex, Corbane::CC_Default, 0); }

void NarrowInto(Bytes& out, const UniString& text) {
  out.clear();
  if (AppendPlainAscii(out, text, nothingEscaped)) return;
  const Corbane::CStr bytes = Narrow(text);
  out.assign(bytes.Get(), bytes.GetLength());
}

UniString Widen(std::string_view bytes) {
  return UniString(bytes.data(), static_cast<Corbane::UIndex>(bytes.size()), Corbane::CC_Default);
}

bool IsAscii(std::string_view bytes) noexcept {
  for (const char byte : bytes)
    if (static_cast<unsigned char>(byte) >= 0x80) return false;
  return true;
}

bool IsAsciiText(const UniString& text, std::string_view bytes) noexcept {
  if (text.GetLength() != bytes.size()) return false;
  for (Corbane::UIndex i = 0; i < text.GetLength(); ++i) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    if (byte >= 0x80 || text[i] != byte) return false;
  }
  return true;
}

void AppendExactNarrow(Bytes& out, const UniString& text, const ByteSet& escaped) {
  if (AppendPlainAscii(out, text, escaped)) return;
  const Corbane::UIndex length = text.GetLength();
  for (Corbane::UIndex i = 0; i < length; ++i) {
    Corbane::UInt32 c = text[i];
    if (c < 0x80) {
      AppendAscii(out, static_cast<char>(c), escaped);
    } else if (c < 0x800) {
      AppendByte(out, 0xC0 | (c >> 6));
      AppendByte(out, 0x80 | (c & 0x3F));
    } else if (IsHighSurrogate(c) && i + 1 < length && IsLowSurrogate(text[i + 1])) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00u);
      AppendByte(out, 0xF0 | (c >> 18));
      AppendByte(out, 0x80 | ((c >> 12) & 0x3F));
      AppendByte(out, 0x80 | ((c >> 6) & 0x3F));
      AppendByte(out, 0x80 | (c & 0x3F));
    } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
      AppendByte(out, 0xFF);
      AppendByte(out, c >> 8);
      AppendByte(out, c & 0xFF);
    } else {
      AppendByte(out, 0xE0 | (c >> 12));
      AppendByte(out, 0x80 | ((c >> 6) & 0x3F));
      AppendByte(out, 0x80 | (c & 0x3F));
    }
  }
}

}  // namespace quarnel
