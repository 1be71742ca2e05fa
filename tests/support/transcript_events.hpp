// The host's transcript read by a test: its events of one kind.
//
//   for (const nlohmann::json& call : Events(host, "call")) ... call.value("op", "") ...
//   EXPECT_THAT(EventLines(host, "undo"), ElementsAre(HasSubstr("\"name\":\"Set Fire Ratings\"")));
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "ForvaneHost/Host.hpp"

namespace testing_support {

// The events whose "event" member is `kind`, parsed. Every line must be a
// JSON object: one that is not throws (and fails the test).
inline std::vector<nlohmann::json> Events(const std::vector<std::string>& transcript, const std::string& kind) {
  std::vector<nlohmann::json> found;
  for (const std::string& line : transcript) {
    nlohmann::json event = nlohmann::json::parse(line);
    if (!event.is_object()) throw std::runtime_error("a transcript line that is no object: " + line);
    if (event.value("event", "") == kind) found.push_back(std::move(event));
  }
  return found;
}
inline std::vector<nlohmann::json> Events(fvhost::Host& host, const std::string& kind) {
  return Events(host.transcript().Lines(), kind);
}

// The lines, as the host wrote them, that begin with the event's name
// ({"event":"KIND"), for tests of the exact text of an event.
inline std::vector<std::string> EventLines(fvhost::Host& host, const std::string& kind) {
  std::vector<std::string> found;
  const std::string start = "{\"event\":\"" + kind + "\"";
  for (const std::string& line : host.transcript().Lines())
    if (line.rfind(start, 0) == 0) found.push_back(line);
  return found;
}

}  // namespace testing_support
