#include "Utf.hpp"

namespace Corbane::Utf {
namespace {

struct Utf8Lead {
  std::size_t length;  // 0: not a lead byte
  UInt8 secondLow;     // the second byte's range depends on the lead, which
  UInt8 secondHigh;    // is what rules out overlong forms and surrogates
};

Utf8Lead ClassifyLead(UInt8 b) noexcept {
  if (b < 0x80) return {1, 0, 0};
  if (b >= 0xC2 && b <= 0xDF) return {2, 0x80, 0xBF};
  if (b == 0xE0) return {3, 0xA0, 0xBF};
  if (b == 0xED) return {3, 0x80, 0x9F};
  if (b >= 0xE1 && b <= 0xEF) return {3, 0x80, 0xBF};
  if (b == 0xF0) return {4, 0x90, 0xBF};
  if (b >= 0xF1 && b <= 0xF3) return {4, 0x80, 0xBF};
  if (b == 0xF4) return {4, 0x80, 0x8F};
  return {0, 0, 0};
}

// Reads one character at `in`; returns the bytes used. An invalid sequence
// uses its longest valid beginning (at least one byte) and gives U+FFFD, so a
// broken character never swallows the one after it.
std::size_t DecodeUtf8Char(const UInt8* in, std::size_t available, UInt32& codePoint) noexcept {
  Utf8Lead lead = ClassifyLead(in[0]);
  codePoint = Replacement;
  if (lead.length == 0) return 1;
  if (lead.length == 1) {
    codePoint = in[0];
    return 1;
  }
  UInt32 value = in[0] & (0xFFu >> (lead.length + 1));
  for (std::size_t i = 1; i < lead.length; ++i) {
    UInt8 low = i == 1 ? lead.secondLow : 0x80;
    UInt8 high = i == 1 ? lead.secondHigh : 0xBF;
    if (i >= available || in[i] < low || in[i] > high) return i;
    value = (value << 6) | (in[i] & 0x3Fu);
  }
  codePoint = value;
  return lead.length;
}

std::size_t DecodeUtf8(const char* in, std::size_t count, UniChar* out) noexcept {
  const auto* bytes = reinterpret_cast<const UInt8*>(in);
  std::size_t written = 0;
  for (std::size_t at = 0; at < count;) {
    UInt32 codePoint = 0;
    at += DecodeUtf8Char(bytes + at, count - at, codePoint);
    written += EncodeCodePoint(codePoint, out + written);
  }
  return written;
}

std::size_t EncodeUtf8(const UniChar* in, std::size_t count, char* out) noexcept {
  std::size_t written = 0;
  auto put = [&](UInt32 byte) { out[written++] = static_cast<char>(byte); };
  for (std::size_t at = 0; at < count; ++at) {
    UInt32 c = in[at];
    if (IsHighSurrogate(in[at]) && at + 1 < count && IsLowSurrogate(in[at + 1])) {
      c = 0x10000 + ((c - 0xD800) << 10) + (in[at + 1] - 0xDC00u);
      ++at;
    } else if (IsHighSurrogate(in[at]) || IsLowSurrogate(in[at])) {
      c = Replacement;
    }
    if (c < 0x80) {
      put(c);
    } else if (c < 0x800) {
      put(0xC0 | (c >> 6));
      put(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      put(0xE0 | (c >> 12));
      put(0x80 | ((c >> 6) & 0x3F));
      put(0x80 | (c & 0x3F));
    } else {
      put(0xF0 | (c >> 18));
      put(0x80 | ((c >> 12) & 0x3F));
      put(0x80 | ((c >> 6) & 0x3F));
      put(0x80 | (c & 0x3F));
    }
  }
  return written;
}

// One byte per character; a surrogate pair is one character, so one '?'.
std::size_t EncodeSingleByte(const UniChar* in, std::size_t count, UniChar highest, char* out) noexcept {
  std::size_t written = 0;
  for (std::size_t at = 0; at < count; ++at) {
    if (IsHighSurrogate(in[at]) && at + 1 < count && IsLowSurrogate(in[at + 1])) ++at;
    out[written++] = in[at] <= highest ? static_cast<char>(in[at]) : '?';
  }
  return written;
}

}  // namespace

std::size_t Decode(const char* in, std::size_t count, CharCode code, UniChar* out) noexcept {
  switch (code) {
    case CC_Latin1:
      for (std::size_t i = 0; i < count; ++i) out[i] = static_cast<UInt8>(in[i]);
      return count;
    case CC_ASCII:
      for (std::size_t i = 0; i < count; ++i) {
        auto byte = static_cast<UInt8>(in[i]);
        out[i] = byte < 0x80 ? byte : Replacement;
      }
      return count;
    default:
      return DecodeUtf8(in, count, out);
  }
}

std::size_t MaxEncodedBytes(std::size_t count, CharCode code) noexcept {
  return code == CC_Latin1 || code == CC_ASCII ? count : count * 3;
}

std::size_t Encode(const UniChar* in, std::size_t count, CharCode code, char* out) noexcept {
  switch (code) {
    case CC_Latin1:
      return EncodeSingleByte(in, count, 0xFF, out);
    case CC_ASCII:
      return EncodeSingleByte(in, count, 0x7F, out);
    default:
      return EncodeUtf8(in, count, out);
  }
}

std::size_t CountCodePoints(const UniChar* in, std::size_t count) noexcept {
  std::size_t points = 0;
  for (std::size_t at = 0; at < count; ++at, ++points)
    if (IsHighSurrogate(in[at]) && at + 1 < count && IsLowSurrogate(in[at + 1])) ++at;
  return points;
}

std::size_t EncodeCodePoint(UInt32 codePoint, UniChar* out) noexcept {
  if (codePoint >= 0x110000 || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) codePoint = Replacement;
  if (codePoint < 0x10000) {
    out[0] = static_cast<UniChar>(codePoint);
    return 1;
  }
  codePoint -= 0x10000;
  out[0] = static_cast<UniChar>(0xD800 + (codePoint >> 10));
  out[1] = static_cast<UniChar>(0xDC00 + (codePoint & 0x3FF));
  return 2;
}

}  // namespace Corbane::Utf
