// forvane with a person at the terminal: a numbered menu of the add-ons'
// items, undo, redo, the project listing, the Session Report, save and quit.
#pragma once

#include <iosfwd>
#include <string>

#include "CommandLine.hpp"
#include "ForvaneHost/Host.hpp"

namespace fvcli {

// Sets invocation.interactive when nothing scripted was asked for and both
// ends are terminals. False (with a message on `err`) when --interactive
// stands beside options that only a scripted run has.
bool DecideInteractive(Invocation& invocation, bool onTerminal, std::ostream& err);

// The session, once the add-ons are loaded. Returns the exit status.
int RunInteractive(fvhost::Host& host, const std::string& projectFile, std::istream& in, std::ostream& out);

}  // namespace fvcli
