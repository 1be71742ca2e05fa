#include "Corbane/Convert.hpp"

#include <charconv>
#include <cstring>
#include <limits>

#include "Corbane/Memory.hpp"

namespace Corbane {
namespace {

bool IsBlank(UniChar c) noexcept { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }
bool IsDigit(UniChar c) noexcept { return c >= u'0' && c <= u'9'; }

int DigitValue(UniChar c, unsigned base) noexcept {
  if (IsDigit(c)) return c - u'0';
  if (base == 16 && c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (base == 16 && c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// The text between the blanks that `trim` allows to skip.
struct Span {
  const UniChar* begin;
  const UniChar* end;
};

Span NumberSpan(const UniChar* text, bool trim) noexcept {
  const UniChar* end = text;
  while (*end != 0) ++end;
  if (trim) {
    while (text < end && IsBlank(*text)) ++text;
    while (end > text && IsBlank(end[-1])) --end;
  }
  return {text, end};
}

bool HasHexPrefix(const UniChar* at, const UniChar* end) noexcept {
  return end - at > 2 && at[0] == u'0' && (at[1] == u'x' || at[1] == u'X');
}

// Digits only, no sign; fails past `limit`.
bool ReadMagnitude(const UniChar* at, const UniChar* end, unsigned base, UInt64 limit, UInt64& magnitude) noexcept {
  if (at == end) return false;
  UInt64 value = 0;
  for (; at < end; ++at) {
    int digit = DigitValue(*at, base);
    if (digit < 0) return false;
    if (value > (limit - static_cast<UInt64>(digit)) / base) return false;
    value = value * base + static_cast<UInt64>(digit);
  }
  magnitude = value;
  return true;
}

// Decimal numbers must fit the signed range. Hexadecimal ones are bit
// patterns: any value of the type's width is taken, so 0xFFFFFFFF reads as -1.
template <class T>
bool ReadInteger(const UniChar* text, T& value, Int32 mode, bool trim) noexcept {
  using Unsigned = std::make_unsigned_t<T>;
  if (text == nullptr) return false;
  Span span = NumberSpan(text, trim);
  const UniChar* at = span.begin;
  bool hex = mode == STV_Hex || (mode == STV_Auto && HasHexPrefix(at, span.end));
  if (hex) {
    if (HasHexPrefix(at, span.end)) at += 2;
    UInt64 magnitude = 0;
    if (!ReadMagnitude(at, span.end, 16, std::numeric_limits<Unsigned>::max(), magnitude)) return false;
    value = static_cast<T>(static_cast<Unsigned>(magnitude));
    return true;
  }
  if (mode != STV_Auto && mode != STV_Decimal) return false;
  bool negative = at < span.end && *at == u'-';
  if (at < span.end && (*at == u'-' || *at == u'+')) ++at;
  UInt64 limit = static_cast<UInt64>(std::numeric_limits<T>::max()) + (negative ? 1 : 0);
  UInt64 magnitude = 0;
  if (!ReadMagnitude(at, span.end, 10, limit, magnitude)) return false;
  value = negative ? static_cast<T>(0 - magnitude) : static_cast<T>(magnitude);
  return true;
}

// [sign] (digits [. digits] | . digits) [(e|E) [sign] digits]
bool IsRealSyntax(const UniChar* at, const UniChar* end) noexcept {
  if (at < end && (*at == u'+' || *at == u'-')) ++at;
  std::size_t digits = 0;
  for (; at < end && IsDigit(*at); ++at) ++digits;
  if (at < end && *at == u'.')
    for (++at; at < end && IsDigit(*at); ++at) ++digits;
  if (digits == 0) return false;
  if (at < end && (*at == u'e' || *at == u'E')) {
    ++at;
    if (at < end && (*at == u'+' || *at == u'-')) ++at;
    if (at == end || !IsDigit(*at)) return false;
    while (at < end && IsDigit(*at)) ++at;
  }
  return at == end;
}

}  // namespace

bool strtovalue(const UniChar* text, Int32& value, Int32 mode, bool trim) noexcept {
  return ReadInteger(text, value, mode, trim);
}

bool strtovalue(const UniChar* text, Int64& value, Int32 mode, bool trim) noexcept {
  return ReadInteger(text, value, mode, trim);
}

bool strtovalue(const UniChar* text, double& value, Int32 /*mode*/, bool trim) noexcept {
  if (text == nullptr) return false;
  Span span = NumberSpan(text, trim);
  if (!IsRealSyntax(span.begin, span.end)) return false;
  // The syntax is ASCII by now; the narrow copy leaves out a leading '+',
  // which the reader below does not take.
  const UniChar* at = span.begin + (*span.begin == u'+' ? 1 : 0);
  auto length = static_cast<std::size_t>(span.end - at);
  char local[128] = {};
  char* narrow = length < sizeof local ? local : static_cast<char*>(Allocate(length + 1));
  for (std::size_t i = 0; i < length; ++i) narrow[i] = static_cast<char>(at[i]);
  double parsed = 0;
  auto [stop, error] = std::from_chars(narrow, narrow + length, parsed);
  bool whole = error == std::errc() && stop == narrow + length;
  if (narrow != local) Free(narrow);
  if (whole) value = parsed;
  return whole;
}

}  // namespace Corbane
