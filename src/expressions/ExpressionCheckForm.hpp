// Stored expression texts write the braces of a property reference as "###";
// the host's checker reads braces.
#pragma once

#include "Corbane/UniString.hpp"

namespace quarnel {

// Each "###" in turn becomes "{", then "}", then "{" again, and so on, so an
// odd count leaves the last one an opening brace.
Corbane::UniString ExpressionCheckForm(const Corbane::UniString& storedText);

}  // namespace quarnel
