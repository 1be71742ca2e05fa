// One run of the host from the command line: open the project, load the
// add-ons, do what the options ask, write the results, unload.
#pragma once

#include <iosfwd>
#include <string>

#include "CommandLine.hpp"

namespace fvcli {

// The add-ons folder of the install: <folder of the executable>/../lib/forvane/add-ons.
std::string InstalledAddOnFolder();

// Returns the exit status.
int RunSession(const Invocation& invocation, const std::string& addOnFolder, std::ostream& out, std::ostream& err);

}  // namespace fvcli
