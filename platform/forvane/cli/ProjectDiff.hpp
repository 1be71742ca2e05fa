// forvane diff BEFORE.json AFTER.json: what changed between two projects, by
// names (groups and definitions are matched by name, as a re-import makes
// them anew) and by element guids.
#pragma once

#include <iosfwd>
#include <string>

#include "ForvaneHost/Model.hpp"

namespace fvcli {

// Prints the changes ("(no changes)" when there are none).
void DiffProjects(const fvhost::Project& before, const fvhost::Project& after, std::ostream& out);

// Loads both files and prints their changes; returns the exit status (2 when
// a file does not load; a difference is no fault).
int RunDiff(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

}  // namespace fvcli
