// Runs the built forvane executable and collects what it printed.
#pragma once

#include <string>
#include <vector>

namespace cli_test {

struct Outcome {
  int status = -1;  // the exit status; -1 when it did not exit normally
  std::string out;
  std::string err;
};

// Runs `program` with `arguments` (no shell), standard input from /dev/null.
Outcome Run(const std::string& program, const std::vector<std::string>& arguments);
Outcome RunForvane(const std::vector<std::string>& arguments);
// forvane with `input` on its standard input, a file (not a terminal); what
// it writes on standard error is in `out` with the rest, in order.
Outcome RunForvaneWithInput(const std::vector<std::string>& arguments, const std::string& input);

}  // namespace cli_test
