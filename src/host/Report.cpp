#include "host/Report.hpp"

#include "host/HostApi.hpp"

namespace quarnel::detail {

void AppendPiece(Corbane::UniString& format, const char* fixed) { format.Append(Corbane::UniString(fixed)); }

void AppendPiece(Corbane::UniString& format, const Name& name) {
  Corbane::UniString literal(name.text);
  literal.ReplaceAll(Corbane::UniString("%"), Corbane::UniString("%%"));
  format.Append(literal);
}

void WriteReportFormat(const Corbane::UniString& format, HostError error) { host::WriteReport(format, error); }

}  // namespace quarnel::detail
