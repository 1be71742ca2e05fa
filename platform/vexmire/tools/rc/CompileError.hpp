// A fault in a resource definition, placed at its file and line.
#pragma once

#include <stdexcept>
#include <string>

namespace vexmire_rc {

class CompileError : public std::runtime_error {
 public:
  CompileError(const std::string& file, int line, const std::string& message)
      : std::runtime_error(line > 0 ? file + ":" + std::to_string(line) + ": " + message : file + ": " + message) {}
};

}  // namespace vexmire_rc
