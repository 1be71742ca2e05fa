// Where the tests find what the build made and the examples of the sources.
#pragma once

#include <cstdlib>
#include <string>

namespace cli_test {

inline std::string BinaryDir() {
  const char* dir = std::getenv("QUARNEL_BINARY_DIR");
  return dir != nullptr ? dir : ".";
}
inline std::string SourceDir() {
  const char* dir = std::getenv("QUARNEL_SOURCE_DIR");
  return dir != nullptr ? dir : ".";
}

inline std::string AddOnPath(const std::string& name) { return BinaryDir() + "/tests/cli/plugins/" + name + ".so"; }
inline std::string ForvanePath() { return BinaryDir() + "/bin/forvane"; }
inline std::string ExampleProject() { return SourceDir() + "/examples/project.json"; }
inline std::string ExampleConfig() { return SourceDir() + "/examples/ifc-sg-config.xml"; }

// The plug-in's command, as forvane's --run names it.
inline const std::string kItem = "RIRUDAD X/Import IFC+SG Classifications and Properties...";

}  // namespace cli_test
