#include "expressions/OptionText.hpp"

namespace quarnel {

using Corbane::UniString;

UniString OptionDisplayText(const API_SingleEnumerationVariant& option) {
  const API_Variant& display = option.displayVariant;
  if (!display.uniStringValue.IsEmpty()) return display.uniStringValue;
  switch (display.type) {
    case API_VariantInteger: return UniString::Printf("%d", display.intValue);
    // Seventeen digits read back to the same double, so equal reals give equal texts.
    case API_VariantReal: return UniString::Printf("%.17g", display.doubleValue);
    case API_VariantBoolean: return UniString(display.boolValue ? "True" : "False");
    default: return display.uniStringValue;
  }
}

}  // namespace quarnel
