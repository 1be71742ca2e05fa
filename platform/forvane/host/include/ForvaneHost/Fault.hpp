// What went wrong and where: the one shape in which the host library reports
// a fault, wherever it finds one (the project file, a configuration import,
// the add-on loader, an operation's Session Report line). Each keeps its own
// code beside it: the loader's LoadFailure, an operation's HostError.
#pragma once

#include <string>

namespace fvhost {

// The file (or the name of the text) a fault was found in, and the line and
// column in it; what is not known stays empty or 0.
struct Place {
  std::string file;
  long line = 0;
  long column = 0;
};

struct Fault {
  std::string message;  // what is wrong, without its place
  Place place;

  // The message after its place, as every message of the host reads:
  // "FILE:LINE:COLUMN: what", "FILE:LINE: what", "FILE: what", "line LINE: what", or "what".
  std::string Text() const;
};

// A name or a text as the host's messages quote it: in double quotes, as it stands.
std::string Quoted(const std::string& text);

}  // namespace fvhost
