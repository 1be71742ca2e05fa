#include "expressions/OptionText.hpp"

#include <charconv>

namespace quarnel {

using Corbane::UniString;

const UniString& OptionDisplayText(const API_SingleEnumerationVariant& option, UniString& written) {
  const API_Variant& display = option.displayVariant;
  if (!display.uniStringValue.IsEmpty()) return display.uniStringValue;
  switch (display.type) {
    case API_VariantInteger: written = UniString::Printf("%d", display.intValue); break;
    case API_VariantReal: {
      char text[32];
      const std::to_chars_result end = std::to_chars(text, text + sizeof text, display.doubleValue);
      written = UniString(text, static_cast<Corbane::UIndex>(end.ptr - text), Corbane::CC_Default);
      break;
    }
    case API_VariantBoolean: written = UniString(display.boolValue ? "True" : "False"); break;
    default: return display.uniStringValue;
  }
  return written;
}

UniString OptionDisplayText(const API_SingleEnumerationVariant& option) {
  UniString written;
  return OptionDisplayText(option, written);
}

}  // namespace quarnel
