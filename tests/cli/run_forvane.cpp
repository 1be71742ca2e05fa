#include "run_forvane.hpp"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/scratch_folder.hpp"
#include "test_files.hpp"

extern char** environ;

namespace cli_test {

namespace {

// Runs `program` with standard input from `inFile`, standard output to
// `outFile` and standard error to `errFile` (empty: with standard output).
int Spawn(const std::string& program, const std::vector<std::string>& arguments, const std::string& inFile,
          const std::string& outFile, const std::string& errFile) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, inFile.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (errFile.empty())
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
  else
    posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);

  std::vector<std::string> argv0{program};
  argv0.insert(argv0.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (auto& argument : argv0) argv.push_back(argument.data());
  argv.push_back(nullptr);

  int status = -1;
  pid_t child = 0;
  if (posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ) == 0) {
    int wait = 0;
    if (waitpid(child, &wait, 0) == child && WIFEXITED(wait)) status = WEXITSTATUS(wait);
  }
  posix_spawn_file_actions_destroy(&actions);
  return status;
}

}  // namespace

Outcome Run(const std::string& program, const std::vector<std::string>& arguments) {
  testing_support::ScratchFolder folder;
  Outcome outcome;
  outcome.status = Spawn(program, arguments, "/dev/null", folder.File("stdout"), folder.File("stderr"));
  outcome.out = testing_support::ReadText(folder.File("stdout"));
  outcome.err = testing_support::ReadText(folder.File("stderr"));
  return outcome;
}

Outcome RunForvane(const std::vector<std::string>& arguments) { return Run(ForvanePath(), arguments); }

Outcome RunForvaneWithInput(const std::vector<std::string>& arguments, const std::string& input) {
  testing_support::ScratchFolder folder;
  Outcome outcome;
  outcome.status = Spawn(ForvanePath(), arguments, folder.Write("stdin", input), folder.File("stdout"), "");
  outcome.out = testing_support::ReadText(folder.File("stdout"));
  return outcome;
}

}  // namespace cli_test
