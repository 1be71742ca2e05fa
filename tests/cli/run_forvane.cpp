#include "run_forvane.hpp"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "test_files.hpp"

extern char** environ;

namespace cli_test {

Outcome Run(const std::string& program, const std::vector<std::string>& arguments) {
  TempFolder folder;
  const std::string outFile = folder.File("stdout");
  const std::string errFile = folder.File("stderr");

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);

  std::vector<std::string> argv0{program};
  argv0.insert(argv0.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (auto& argument : argv0) argv.push_back(argument.data());
  argv.push_back(nullptr);

  Outcome outcome;
  pid_t child = 0;
  if (posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ) == 0) {
    int wait = 0;
    if (waitpid(child, &wait, 0) == child && WIFEXITED(wait)) outcome.status = WEXITSTATUS(wait);
  }
  posix_spawn_file_actions_destroy(&actions);
  outcome.out = ReadFile(outFile);
  outcome.err = ReadFile(errFile);
  return outcome;
}

Outcome RunForvane(const std::vector<std::string>& arguments) { return Run(ForvanePath(), arguments); }

}  // namespace cli_test
