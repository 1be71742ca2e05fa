// Drives a program as a person at a terminal would: it runs under a pseudo-
// terminal of its own, and the test waits for what it shows before typing.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

namespace cli_test {

// Generous: the sanitizer build runs the whole import many times slower.
inline constexpr int kPatienceSeconds = 120;

class PseudoTerminal {
 public:
  PseudoTerminal(const std::string& program, const std::vector<std::string>& arguments, const std::string& folder);
  ~PseudoTerminal();  // ends the program if it still runs
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  // Reads until `text` appears in what the program showed after the last
  // text waited for; false when the program ends or time runs out first.
  bool WaitFor(const std::string& text, int seconds = kPatienceSeconds);
  void Type(const std::string& line);  // the line and Enter
  void EndInput();                     // Ctrl-D at the start of a line
  // Waits for the program to end; its exit status, or -1.
  int ExitStatus(int seconds = kPatienceSeconds);

  // What the program showed (line ends as "\n") after the last text waited for.
  std::string Unread() const { return shown_.substr(read_); }
  const std::string& Shown() const { return shown_; }

 private:
  enum class Read { Got, Nothing, Closed };
  Read ReadSome(int milliseconds);
  void Send(const std::string& keys);

  pid_t child_ = -1;
  int terminal_ = -1;
  bool exited_ = false;
  int status_ = -1;
  std::string shown_;
  std::size_t read_ = 0;
};

inline PseudoTerminal::PseudoTerminal(const std::string& program, const std::vector<std::string>& arguments,
                               const std::string& folder) {
  std::vector<std::string> words{program};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (auto& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  // Wide enough that the alert's box and the report lines are not wrapped.
  winsize size{};
  size.ws_row = 50;
  size.ws_col = 250;
  child_ = ::forkpty(&terminal_, nullptr, nullptr, &size);
  if (child_ == 0) {
    if (::chdir(folder.c_str()) == 0) ::execv(argv[0], argv.data());
    ::_exit(127);
  }
}

inline PseudoTerminal::~PseudoTerminal() {
  if (child_ > 0 && !exited_) {
    ::kill(child_, SIGKILL);
    ::waitpid(child_, nullptr, 0);
  }
  if (terminal_ >= 0) ::close(terminal_);
}

inline PseudoTerminal::Read PseudoTerminal::ReadSome(int milliseconds) {
  if (terminal_ < 0) return Read::Closed;
  pollfd ready{terminal_, POLLIN, 0};
  if (::poll(&ready, 1, milliseconds) <= 0) return Read::Nothing;
  char buffer[4096];
  const ssize_t got = ::read(terminal_, buffer, sizeof buffer);
  if (got <= 0) return Read::Closed;  // the program has ended and closed its side
  for (ssize_t i = 0; i < got; ++i)
    if (buffer[i] != '\r') shown_ += buffer[i];
  return Read::Got;
}

inline bool PseudoTerminal::WaitFor(const std::string& text, int seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (true) {
    const auto found = shown_.find(text, read_);
    if (found != std::string::npos) {
      read_ = found + text.size();
      return true;
    }
    if (std::chrono::steady_clock::now() > deadline || ReadSome(100) == Read::Closed) return false;
  }
}

inline void PseudoTerminal::Send(const std::string& keys) {
  std::size_t sent = 0;
  while (terminal_ >= 0 && sent < keys.size()) {
    const ssize_t written = ::write(terminal_, keys.data() + sent, keys.size() - sent);
    if (written <= 0) return;
    sent += static_cast<std::size_t>(written);
  }
}

inline void PseudoTerminal::Type(const std::string& line) { Send(line + "\n"); }

inline void PseudoTerminal::EndInput() { Send("\x04"); }

inline int PseudoTerminal::ExitStatus(int seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (!exited_ && std::chrono::steady_clock::now() < deadline) {
    // Keep reading, so that a program with much to say is never blocked on a full terminal.
    ReadSome(100);
    int wait = 0;
    if (::waitpid(child_, &wait, WNOHANG) == child_) {
      exited_ = true;
      status_ = WIFEXITED(wait) ? WEXITSTATUS(wait) : -1;
    }
  }
  while (ReadSome(0) == Read::Got) {
  }
  return status_;
}

}  // namespace cli_test
