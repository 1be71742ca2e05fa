// Where the tests find what the build made, and a temporary folder per test.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace cli_test {

inline std::string BinaryDir() {
  const char* dir = std::getenv("QUARNEL_BINARY_DIR");
  return dir != nullptr ? dir : ".";
}

inline std::string AddOnPath(const std::string& name) { return BinaryDir() + "/tests/cli/plugins/" + name + ".so"; }
inline std::string ForvanePath() { return BinaryDir() + "/bin/forvane"; }

// A fresh folder, removed with everything in it at the end of the test.
class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "forvane-cli-XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    path_ = ::mkdtemp(name.data()) != nullptr ? name.data() : pattern;
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  std::string File(const std::string& name) const { return path_ + "/" + name; }
  std::string Write(const std::string& name, const std::string& text) const {
    std::ofstream(File(name), std::ios::binary) << text;
    return File(name);
  }

 private:
  std::string path_;
};

inline std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The transcript's events with the given "event" name.
inline std::vector<nlohmann::json> Events(const std::vector<std::string>& lines, const std::string& event) {
  std::vector<nlohmann::json> found;
  for (const auto& line : lines) {
    auto object = nlohmann::json::parse(line);
    if (object.value("event", "") == event) found.push_back(object);
  }
  return found;
}

}  // namespace cli_test
