#include "expressions/Quoted.hpp"

namespace quarnel {

using Corbane::UniString;

UniString Quoted(const UniString& text) {
  UniString quoted("\"");
  for (Corbane::UIndex i = 0; i < text.GetLength(); ++i) {
    if (text[i] == u'\n')
      quoted += "\\n";
    else if (text[i] == u'\r')
      quoted += "\\r";
    else
      quoted.Append(text[i]);
  }
  return quoted += "\"";
}

}  // namespace quarnel
