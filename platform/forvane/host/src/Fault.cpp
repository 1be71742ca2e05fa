#include "ForvaneHost/Fault.hpp"

namespace fvhost {

std::string Fault::Text() const {
  std::string where = place.file;
  if (place.line > 0) {
    where += where.empty() ? "line " + std::to_string(place.line) : ":" + std::to_string(place.line);
    if (place.column > 0 && !place.file.empty()) where += ":" + std::to_string(place.column);
  }
  return where.empty() ? message : where + ": " + message;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace fvhost
