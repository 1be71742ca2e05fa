// The person at the terminal, as the interactive session talks to them: a
// prompt, one line back, and the end of input (Ctrl-D) told apart from an
// empty line.
#pragma once

#include <istream>
#include <optional>
#include <ostream>
#include <string>

namespace fvcli {

class Terminal {
 public:
  Terminal(std::istream& in, std::ostream& out) : in_(in), out_(out) {}

  std::ostream& out() { return out_; }

  // Shows the prompt and waits for one line; nothing once input has ended.
  std::optional<std::string> Ask(const std::string& prompt) {
    if (ended_) return std::nullopt;
    out_ << prompt << std::flush;
    std::string line;
    if (!std::getline(in_, line)) {
      ended_ = true;
      out_ << "\n";  // Ctrl-D leaves the cursor after the prompt
      return std::nullopt;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
  }

  bool Ended() const { return ended_; }

 private:
  std::istream& in_;
  std::ostream& out_;
  bool ended_ = false;
};

// The line without the blanks around it.
inline std::string Trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace fvcli
