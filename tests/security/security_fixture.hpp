// What the security tests share: a watch that tells whether anyone opened or
// read a file, the process's peak memory over one action, and a whole run of
// the command on a project with a chosen configuration.
#pragma once

#include <fcntl.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "ForvaneHost/Host.hpp"
#include "ForvaneHost/ProjectFile.hpp"
#include "plugin/run_fixture.hpp"
#include "support/host_options.hpp"
#include "support/in_process_host.hpp"
#include "support/scratch_folder.hpp"

namespace security_test {

namespace fs = std::filesystem;
using testing_support::InProcessHost;
using testing_support::OptionsFor;
using testing_support::ScratchFolder;

// Tells whether a file was opened or read since the watch began (inotify), so
// a test can prove that a file was never even looked at, not only that its
// text did not show.
class FileWatch {
 public:
  explicit FileWatch(const std::string& path) : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    if (fd_ < 0 || inotify_add_watch(fd_, path.c_str(), IN_OPEN | IN_ACCESS) < 0)
      throw std::runtime_error("cannot watch " + path);
  }
  ~FileWatch() { ::close(fd_); }
  FileWatch(const FileWatch&) = delete;
  FileWatch& operator=(const FileWatch&) = delete;

  bool Touched() {
    alignas(inotify_event) char events[4096];
    bool any = false;
    while (::read(fd_, events, sizeof events) > 0) any = true;
    return any;
  }

 private:
  int fd_;
};

// The growth of the process's resident memory at its peak during `action`,
// in bytes (Linux: the peak is reset through /proc/self/clear_refs).
inline long StatusKiloBytes(const char* field) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::string(field).size());
  return -1;
}

template <class Action>
long PeakGrowthBytes(Action&& action) {
  {
    std::ofstream reset("/proc/self/clear_refs");
    reset << "5";
  }
  const long before = StatusKiloBytes("VmRSS:");
  action();
  return (StatusKiloBytes("VmHWM:") - before) * 1024;
}

template <class Action>
double SecondsFor(Action&& action) {
  const auto start = std::chrono::steady_clock::now();
  action();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The command as the user runs it: the menu item, then the configuration
// file picked in its dialog.
inline void RunWithConfiguration(InProcessHost& host, const std::string& configPath) {
  run_test::Choose(host, configPath);
  run_test::RunMenu();
}

inline void UndoEverything(InProcessHost& host) {
  while (host.host().Undo()) {
  }
}

inline std::string Everything(InProcessHost& host) {
  std::string all = fvhost::ProjectToJson(host.project());
  for (const std::string& line : host.Report()) all += line + "\n";
  for (const std::string& line : host.Transcript()) all += line + "\n";
  return all;
}

}  // namespace security_test
