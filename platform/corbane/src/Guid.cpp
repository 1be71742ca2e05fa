#include "Corbane/Guid.hpp"

#include <chrono>
#include <cstring>
#include <random>

namespace Corbane {
namespace {

constexpr std::size_t TextLength = 36;
constexpr bool IsHyphenPosition(std::size_t i) noexcept { return i == 8 || i == 13 || i == 18 || i == 23; }

int HexValue(char c) noexcept {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads exactly 36 characters of 8-4-4-4-12 hex into `bytes`.
bool ParseBody(const char* text, UInt8 (&bytes)[16]) noexcept {
  std::size_t byte = 0;
  for (std::size_t i = 0; i < TextLength; i += 2) {
    if (IsHyphenPosition(i)) {
      if (text[i] != '-') return false;
      ++i;
    }
    int high = HexValue(text[i]);
    int low = high < 0 ? -1 : HexValue(text[i + 1]);
    if (low < 0) return false;
    bytes[byte++] = static_cast<UInt8>(high * 16 + low);
  }
  return true;
}

std::mt19937_64 SeededEngine() {
  std::seed_seq::result_type seeds[4] = {};
  try {
    std::random_device device;
    for (auto& seed : seeds) seed = device();
  } catch (...) {
    // Without an entropy source the clock still makes guids differ from run to run.
    auto now = static_cast<UInt64>(std::chrono::high_resolution_clock::now().time_since_epoch().count());
    seeds[0] = static_cast<std::seed_seq::result_type>(now);
    seeds[1] = static_cast<std::seed_seq::result_type>(now >> 32);
  }
  std::seed_seq sequence(std::begin(seeds), std::end(seeds));
  return std::mt19937_64(sequence);
}

}  // namespace

Guid::Guid(const char* text) noexcept { Parse(text, *this); }

Guid::Guid(const UniString& text) noexcept {
  // Only ASCII can be a guid; anything else becomes '?' and fails to parse.
  if (text.GetLength() <= TextLength + 2) Parse(text.ToCStr(0, MaxUIndex, CC_ASCII).Get(), *this);
}

Guid::Guid(const UInt8 (&bytes)[16]) noexcept { std::memcpy(bytes_, bytes, sizeof bytes_); }

Guid Guid::Generate() {
  static std::mt19937_64 engine = SeededEngine();
  UInt64 halves[2] = {engine(), engine()};
  Guid guid;
  std::memcpy(guid.bytes_, halves, sizeof guid.bytes_);
  guid.bytes_[6] = static_cast<UInt8>((guid.bytes_[6] & 0x0F) | 0x40);  // version 4
  guid.bytes_[8] = static_cast<UInt8>((guid.bytes_[8] & 0x3F) | 0x80);  // the standard variant
  return guid;
}

bool Guid::Parse(const char* text, Guid& out) noexcept {
  if (text == nullptr) return false;
  std::size_t length = std::strlen(text);
  bool braced = length == TextLength + 2 && text[0] == '{' && text[TextLength + 1] == '}';
  if (braced) ++text;
  else if (length != TextLength) return false;
  UInt8 bytes[16];
  if (!ParseBody(text, bytes)) return false;
  std::memcpy(out.bytes_, bytes, sizeof bytes);
  return true;
}

void Guid::ToText(char (&out)[37]) const noexcept {
  static constexpr char Digits[] = "0123456789ABCDEF";
  std::size_t at = 0;
  for (std::size_t byte = 0; byte < 16; ++byte) {
    if (byte == 4 || byte == 6 || byte == 8 || byte == 10) out[at++] = '-';
    out[at++] = Digits[bytes_[byte] >> 4];
    out[at++] = Digits[bytes_[byte] & 0x0F];
  }
  out[at] = 0;
}

UniString Guid::ToUniString() const {
  char text[37];
  ToText(text);
  return UniString(text, CC_ASCII);
}

bool Guid::IsNull() const noexcept {
  for (UInt8 byte : bytes_)
    if (byte != 0) return false;
  return true;
}

bool operator==(const Guid& a, const Guid& b) noexcept { return std::memcmp(a.bytes_, b.bytes_, 16) == 0; }

bool operator<(const Guid& a, const Guid& b) noexcept { return std::memcmp(a.bytes_, b.bytes_, 16) < 0; }

UInt64 GenerateHashValue(const Guid& g) noexcept {
  UInt64 halves[2];
  std::memcpy(halves, g.GetBytes(), sizeof halves);
  UInt64 mixed = halves[0] ^ (halves[1] * 0x9E3779B97F4A7C15ull);
  mixed ^= mixed >> 31;
  return mixed * 0xBF58476D1CE4E5B9ull;
}

}  // namespace Corbane
