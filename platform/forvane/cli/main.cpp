// forvane: the host on the command line.
//
//   forvane [options] PROJECT.json      open, run, save
//   forvane diff BEFORE.json AFTER.json what changed between two projects

#include <unistd.h>

#include <cstring>
#include <exception>
#include <iostream>

#include "CommandLine.hpp"
#include "Interactive.hpp"
#include "ProjectDiff.hpp"
#include "Session.hpp"

int main(int argc, char** argv) {
  try {
    if (argc >= 2 && std::strcmp(argv[1], "diff") == 0) return fvcli::RunDiff(argc - 2, argv + 2, std::cout, std::cerr);
    auto parsed = fvcli::ParseCommandLine(argc, argv, std::cout, std::cerr);
    if (const int* status = std::get_if<int>(&parsed)) return *status;
    auto& invocation = std::get<fvcli::Invocation>(parsed);
    if (!fvcli::DecideInteractive(invocation, ::isatty(0) && ::isatty(1), std::cerr)) return fvcli::ExitBadUsage;
    const int status = fvcli::RunSession(invocation, fvcli::InstalledAddOnFolder(), std::cout, std::cerr);
    std::cout.flush();
    return status;
  } catch (const std::exception& e) {
    std::cerr << "forvane: " << e.what() << "\n";
    return fvcli::ExitWriteFailed;
  }
}
