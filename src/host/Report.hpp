// Session Report lines.
//
// Report lines and alert texts are verbatim: users and tools match on them,
// odd spellings and blanks included. Never tidy one; each odd one is marked
// "verbatim:" where it is defined.
//
// A line is fixed pieces joined with names. The fixed pieces are the line's
// format text and carry its one placeholder for the error code; a name (a
// group, a definition, an element guid text, an expression) is plain text, so
// every '%' in it is doubled before the line goes to the host's printf-style
// WriteReport. Example:
//
//   Report(error, "Removing Property: DeletePropertyGroup ", Name(group.name),
//          " failed with error code: %d");
#pragma once

#include <utility>

#include "Corbane/UniString.hpp"
#include "Forvane/Errors.hpp"

namespace quarnel {

// Marks a text that enters a report line literally.
struct Name {
  explicit Name(const Corbane::UniString& literal) : text(literal) {}
  const Corbane::UniString& text;
};

// A text that a line names so that a person can carry it over by hand: in
// quotes, a line end written \n (or \r), so that one line of the Session Report
// stays one line, and past 200 characters cut, with its length given.
Corbane::UniString QuotedText(const Corbane::UniString& text);

namespace detail {
void AppendPiece(Corbane::UniString& format, const char* fixed);
void AppendPiece(Corbane::UniString& format, const Name& name);
void WriteReportFormat(const Corbane::UniString& format, HostError error);
}  // namespace detail

// The format text of a line (exposed for tests).
template <class... Pieces>
Corbane::UniString ReportFormat(const Pieces&... pieces) {
  Corbane::UniString format;
  (detail::AppendPiece(format, pieces), ...);
  return format;
}

// Writes one line with `error` as its one value.
template <class... Pieces>
void Report(HostError error, const Pieces&... pieces) {
  detail::WriteReportFormat(ReportFormat(pieces...), error);
}

}  // namespace quarnel
