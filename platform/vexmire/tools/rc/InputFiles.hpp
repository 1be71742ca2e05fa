// The files a definition reads: found beside the definition first, then in
// the search folders, and remembered for the dependency file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vexmire_rc {

class InputFiles {
 public:
  InputFiles(std::string definitionPath, std::vector<std::string> searchDirs);
  std::vector<std::uint8_t> ReadDefinition();
  // The file named on `line` of the definition; throws CompileError when it
  // cannot be found or read.
  std::vector<std::uint8_t> Read(const std::string& name, int line);
  const std::vector<std::string>& Inputs() const { return inputs_; }

 private:
  std::string Locate(const std::string& name) const;

  std::string definitionPath_;
  std::vector<std::string> searchDirs_;
  std::vector<std::string> inputs_;
};

}  // namespace vexmire_rc
