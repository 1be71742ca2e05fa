// Text-to-number conversion.
#pragma once

#include "Corbane/Types.hpp"

namespace Corbane {

// Conversion modes.
enum StrToValueMode : Int32 {
  STV_Auto = 0,     // decimal, or hexadecimal after 0x
  STV_Decimal = 1,  // optional sign, then decimal digits
  STV_Hex = 2,      // hexadecimal digits, optional 0x
};

// Reads a whole number from zero-terminated UTF-16 text. With `trim`, blanks
// before and after the number are skipped; without it they make the text not
// a number. The whole text must be the number. Returns true and sets `value`
// on success; returns false and leaves `value` unchanged when the text is not
// a number in that mode or does not fit in 32 bits.
bool strtovalue(const UniChar* text, Int32& value, Int32 mode, bool trim) noexcept;
bool strtovalue(const UniChar* text, Int64& value, Int32 mode, bool trim) noexcept;
// Reals: decimal point '.', optional exponent; mode is ignored.
bool strtovalue(const UniChar* text, double& value, Int32 mode, bool trim) noexcept;

}  // namespace Corbane
