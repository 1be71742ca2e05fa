// What the `forvane` command line asks for, and how it is read.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "ForvaneHost/Host.hpp"

namespace fvcli {

// The exit statuses of `forvane`.
enum ExitStatus : int {
  ExitDone = 0,          // everything asked was done, whatever the plug-ins reported
  ExitWriteFailed = 1,   // the project or the report could not be written
  ExitBadUsage = 2,      // bad options, a project that does not load, a missing menu item, too few undo steps
  ExitAddOnRefused = 3,  // a plug-in did not load
};

struct Invocation {
  std::string project;
  int hostVersion = 29;
  std::vector<std::string> addOns;  // empty: every add-on of the install's add-ons folder
  std::vector<std::string> runs;    // "MENU/ITEM", in order
  std::vector<fvhost::DialogAnswer> dialogAnswers;  // in command-line order
  int undo = 0;
  std::string save;
  std::string report;
  std::string transcript;
  std::string specialFolder;
  std::vector<fvhost::FaultRule> faults;
  std::vector<fvhost::CallFault> callFaults;
  std::vector<std::string> without;
  bool traceCalls = false;
  bool listMenus = false;
  bool list = false;
  bool quiet = false;
  bool interactive = false;  // --interactive: a person answers at the terminal, even when it is not one

  fvhost::HostOptions HostOptions() const;
};

// Reads the arguments. Gives the invocation, or the exit status to end with
// at once (0 after --help, ExitBadUsage after a message on `err`).
std::variant<Invocation, int> ParseCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

// OP[#N][@TEXT]=ERR. The subject TEXT may itself hold '=' or '#': the error
// is what follows the last '='. Nothing (and `why` says what is wrong) for a
// rule that names no known operation or error, or a call number below 1.
std::optional<fvhost::FaultRule> ParseFaultRule(const std::string& text, std::string& why);
// N=ERR, N from 1.
std::optional<fvhost::CallFault> ParseCallFault(const std::string& text, std::string& why);

}  // namespace fvcli
