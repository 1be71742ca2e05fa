// A compiled resource definition: the resources in the order they were
// written, and every file that went into them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vexmire_rc {

struct Resource {
  std::uint32_t type = 0;
  std::int32_t id = 0;
  std::string name;
  std::vector<std::uint8_t> data;
  int line = 0;  // where it was defined, for messages about it
};

struct Definition {
  std::vector<Resource> resources;
  std::vector<std::string> inputs;  // the definition file first, then each file it read
};

// Reads and checks the definition file. Files it names are found beside it
// first, then in each of `searchDirs`. Throws CompileError.
Definition CompileDefinition(const std::string& path, const std::vector<std::string>& searchDirs);

std::string TypeText(std::uint32_t type);  // 'PNG ' as PNG, for messages

}  // namespace vexmire_rc
