// A fresh folder for one test, removed with everything in it when the test
// is done, whole-file reads and writes, and a text's lines:
//
//   ScratchFolder folder;
//   const std::string config = folder.Write("config.xml", text);
//   EXPECT_EQ(ReadText(folder.File("out.txt")), "...");
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace testing_support {

// The whole file as bytes; empty when it cannot be read.
inline std::string ReadText(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Replaces the file's content by `text`.
inline void WriteText(const std::filesystem::path& file, const std::string& text) {
  std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
}

// The text's lines, without their line feeds.
inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class ScratchFolder {
 public:
  // Under the system's temporary folder; std::runtime_error when none can be made.
  ScratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quarnel-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no scratch folder under " + pattern);
    path_ = pattern;
  }
  // A test may have taken the folder's own permissions away; it is removed all the same.
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The path of `name` in the folder (which need not exist).
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  // Writes `text` as the file `name` in the folder; its path.
  std::string Write(const std::string& name, const std::string& text) const {
    WriteText(path_ / name, text);
    return File(name);
  }

 private:
  std::filesystem::path path_;
};

}  // namespace testing_support
