#include "host/Report.hpp"

#include <algorithm>
#include <string>

#include "host/HostApi.hpp"

namespace quarnel {

Corbane::UniString QuotedText(const Corbane::UniString& text) {
  constexpr Corbane::UIndex shownLength = 200;
  Corbane::UIndex shown = std::min(text.GetLength(), shownLength);
  if (shown < text.GetLength() && text[shown - 1] >= 0xD800 && text[shown - 1] <= 0xDBFF) --shown;
  Corbane::UniString quoted("\"");
  for (Corbane::UIndex i = 0; i < shown; ++i) {
    if (text[i] == u'\n')
      quoted += "\\n";
    else if (text[i] == u'\r')
      quoted += "\\r";
    else
      quoted.Append(text[i]);
  }
  if (shown == text.GetLength()) return quoted += "\"";
  quoted += "...\" (";
  quoted += std::to_string(text.GetLength()).c_str();
  return quoted += " characters)";
}

}  // namespace quarnel

namespace quarnel::detail {

void AppendPiece(Corbane::UniString& format, const char* fixed) { format.Append(Corbane::UniString(fixed)); }

void AppendPiece(Corbane::UniString& format, const Name& name) {
  Corbane::UniString literal(name.text);
  literal.ReplaceAll(Corbane::UniString("%"), Corbane::UniString("%%"));
  format.Append(literal);
}

void WriteReportFormat(const Corbane::UniString& format, HostError error) { host::WriteReport(format, error); }

}  // namespace quarnel::detail
