#include "expressions/ExpressionCheckForm.hpp"

namespace quarnel {

using Corbane::UIndex;
using Corbane::UniString;

UniString ExpressionCheckForm(const UniString& storedText) {
  static const UniString marker("###");
  static const UniString opening("{");
  static const UniString closing("}");
  UniString checkForm(storedText);
  bool opens = true;
  // A brace is never part of a marker, so the search may go on after it.
  for (UIndex at = checkForm.FindFirst(marker); at != UniString::NotFound; at = checkForm.FindFirst(marker, at + 1)) {
    checkForm.Replace(at, marker.GetLength(), opens ? opening : closing);
    opens = !opens;
  }
  return checkForm;
}

}  // namespace quarnel
