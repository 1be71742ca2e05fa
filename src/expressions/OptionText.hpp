// The text by which an option set's default is found again after the option
// list has gone through the host: the display text of the option.
#pragma once

#include "Corbane/UniString.hpp"
#include "Forvane/Records.hpp"

namespace quarnel {

// The display variant's text. Options of a number or boolean value type carry
// their value, not a text, in the display variant; for them the value written
// out stands in, so that their default is not mistaken for the first option.
Corbane::UniString OptionDisplayText(const API_SingleEnumerationVariant& option);

}  // namespace quarnel
