#include "InputFiles.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "CompileError.hpp"

namespace vexmire_rc {

namespace {

bool ReadWhole(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& why) {
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) {
    why = "it is a folder";
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    why = std::strerror(errno);
    return false;
  }
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (in.bad()) {
    why = "it could not be read";
    return false;
  }
  return true;
}

}  // namespace

InputFiles::InputFiles(std::string definitionPath, std::vector<std::string> searchDirs)
    : definitionPath_(std::move(definitionPath)), searchDirs_(std::move(searchDirs)) {
  std::filesystem::path folder = std::filesystem::path(definitionPath_).parent_path();
  searchDirs_.insert(searchDirs_.begin(), folder.empty() ? std::string(".") : folder.string());
}

std::vector<std::uint8_t> InputFiles::ReadDefinition() {
  std::vector<std::uint8_t> bytes;
  std::string why;
  if (!ReadWhole(definitionPath_, bytes, why)) throw CompileError(definitionPath_, 0, "cannot read the definition: " + why);
  inputs_.push_back(definitionPath_);
  return bytes;
}

std::string InputFiles::Locate(const std::string& name) const {
  const std::filesystem::path given(name);
  if (given.is_absolute()) return name;
  std::error_code error;
  for (const std::string& folder : searchDirs_) {
    const std::filesystem::path candidate = std::filesystem::path(folder) / given;
    if (std::filesystem::exists(candidate, error)) return candidate.string();
  }
  return (std::filesystem::path(searchDirs_.front()) / given).string();  // for the message
}

std::vector<std::uint8_t> InputFiles::Read(const std::string& name, int line) {
  if (name.empty()) throw CompileError(definitionPath_, line, "a file name is empty");
  const std::string path = Locate(name);
  std::vector<std::uint8_t> bytes;
  std::string why;
  if (!ReadWhole(path, bytes, why)) throw CompileError(definitionPath_, line, "cannot read '" + name + "' (" + path + "): " + why);
  if (std::find(inputs_.begin(), inputs_.end(), path) == inputs_.end()) inputs_.push_back(path);
  return bytes;
}

}  // namespace vexmire_rc
