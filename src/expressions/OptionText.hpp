// The shown value of an option: by it an option is found again after the
// option list has gone through the host, which gives re-created options new
// keys. Both the definitions' default options and the elements' choices are
// matched this way.
#pragma once

#include "Corbane/UniString.hpp"
#include "Forvane/Records.hpp"

namespace quarnel {

// The display variant's text. Options of a number or boolean value type carry
// their value, not a text, in the display variant; for them the value written
// out stands in (a real as the shortest text that reads back to it), so that
// equal values give equal texts.
Corbane::UniString OptionDisplayText(const API_SingleEnumerationVariant& option);
// The same without a copy when the option carries its text: the display
// variant's own text, or `written` filled with the value written out.
const Corbane::UniString& OptionDisplayText(const API_SingleEnumerationVariant& option, Corbane::UniString& written);

}  // namespace quarnel
