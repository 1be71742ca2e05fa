// Files for the platform tests: bytes in a scratch folder, and running a tool
// with its output captured.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/scratch_folder.hpp"

namespace platform_test {

inline std::string WriteBytes(const testing_support::ScratchFolder& folder, const std::string& name,
                              const std::vector<unsigned char>& bytes) {
  return folder.Write(name, std::string(bytes.begin(), bytes.end()));
}

inline std::vector<unsigned char> ReadBytes(const std::string& path) {
  const std::string text = testing_support::ReadText(path);
  return std::vector<unsigned char>(text.begin(), text.end());
}

struct ToolRun {
  int exitCode = -1;
  std::string output;  // standard output and standard error together
};

// Arguments are quoted for the shell; the tests' own paths hold no quotes.
inline ToolRun RunTool(const std::string& tool, const std::vector<std::string>& arguments) {
  std::string command = "'" + tool + "'";
  for (const std::string& argument : arguments) command += " '" + argument + "'";
  command += " 2>&1";
  ToolRun run;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.output.append(buffer, got);
  const int status = ::pclose(pipe);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

}  // namespace platform_test
