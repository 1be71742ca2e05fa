// How the host shows values as text.
//
// Integers plain; booleans True / False; strings as they are; reals in the
// display unit of their measure (lengths in millimetres, angles in degrees,
// areas and volumes in square and cubic metres, others as they are), with ","
// between thousands and "." before decimals, and as many decimals as the value
// needs to read back to the same number through ReadBackReal. An option shows
// its display text.
#pragma once

#include <string>

#include "ForvaneHost/Model.hpp"

namespace fvhost {

std::string RealDisplayText(double baseValue, std::int32_t measureType);
// The inverse: the display text (thousands separators removed) back to the base value.
double ReadBackReal(double shownNumber, std::int32_t measureType);
// The text of a value of a definition (options by their display text).
std::string ValueDisplayText(const Definition& definition, const PropertyValue& value);

}  // namespace fvhost
