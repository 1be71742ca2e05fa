// Guid: a 128-bit identifier. Text form 8-4-4-4-12, upper-case hex; parsing
// accepts either case (and optional braces). The null guid is all zero.
#pragma once

#include "Corbane/Types.hpp"
#include "Corbane/UniString.hpp"

namespace Corbane {

class Guid {
 public:
  Guid() noexcept = default;  // the null guid
  // Parses the text form; text that is not a guid gives the null guid.
  explicit Guid(const char* text) noexcept;
  explicit Guid(const UniString& text) noexcept;
  explicit Guid(const UInt8 (&bytes)[16]) noexcept;

  static Guid Generate();  // a new random (version 4) guid
  // Parses; returns false (and leaves `out` alone) for text that is not a guid.
  static bool Parse(const char* text, Guid& out) noexcept;

  UniString ToUniString() const;
  void ToText(char (&out)[37]) const noexcept;  // the text form, zero-terminated
  bool IsNull() const noexcept;
  const UInt8* GetBytes() const noexcept { return bytes_; }

  friend bool operator==(const Guid& a, const Guid& b) noexcept;
  friend bool operator!=(const Guid& a, const Guid& b) noexcept { return !(a == b); }
  friend bool operator<(const Guid& a, const Guid& b) noexcept;

 private:
  UInt8 bytes_[16] = {};
};

UInt64 GenerateHashValue(const Guid& g) noexcept;

}  // namespace Corbane
