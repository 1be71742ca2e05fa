// Guids of the project model: made at random, written upper-case, read in either case.
#include <cctype>
#include <cstdio>
#include <random>
#include <string_view>

#include "ForvaneHost/Model.hpp"

namespace fvhost {
namespace {

// Byte positions of the text form 8-4-4-4-12 (hyphens at 8, 13, 18 and 23).
bool IsHyphenPosition(std::size_t i) { return i == 8 || i == 13 || i == 18 || i == 23; }

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::mt19937_64& GuidSource() {
  static std::mt19937_64 source{std::random_device{}()};
  return source;
}

}  // namespace

Guid NewGuid() {
  Guid guid;
  std::uint64_t high = GuidSource()();
  std::uint64_t low = GuidSource()();
  for (int i = 0; i < 8; ++i) {
    guid.bytes[i] = static_cast<std::uint8_t>(high >> (8 * i));
    guid.bytes[8 + i] = static_cast<std::uint8_t>(low >> (8 * i));
  }
  // Version 4 (random) and the standard variant, so the text reads as a random guid anywhere.
  guid.bytes[6] = static_cast<std::uint8_t>((guid.bytes[6] & 0x0F) | 0x40);
  guid.bytes[8] = static_cast<std::uint8_t>((guid.bytes[8] & 0x3F) | 0x80);
  return guid;
}

std::string GuidText(const Guid& guid) {
  static const char digits[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(36);
  for (int i = 0; i < 16; ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) text += '-';
    text += digits[guid.bytes[i] >> 4];
    text += digits[guid.bytes[i] & 0x0F];
  }
  return text;
}

bool ParseGuid(const std::string& text, Guid& out) {
  std::string_view body = text;
  if (body.size() == 38 && body.front() == '{' && body.back() == '}') body = body.substr(1, 36);
  if (body.size() != 36) return false;
  Guid parsed;
  int nibble = 0;
  for (std::size_t i = 0; i < body.size(); ++i) {
    if (IsHyphenPosition(i)) {
      if (body[i] != '-') return false;
      continue;
    }
    int value = HexDigitValue(body[i]);
    if (value < 0) return false;
    std::uint8_t& byte = parsed.bytes[nibble / 2];
    byte = static_cast<std::uint8_t>(nibble % 2 == 0 ? value << 4 : byte | value);
    ++nibble;
  }
  out = parsed;
  return true;
}

}  // namespace fvhost
