// vexmire-rc DEFINITION -o IMAGE [-d DEPFILE] [-I DIR]...
// Compiles a resource definition into a resource image. On any fault it says
// where, exits 1 and leaves an existing image as it was.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "CompileError.hpp"
#include "Definition.hpp"
#include "ImageWriter.hpp"

namespace {

constexpr int kFaultExit = 1;
constexpr int kUsageExit = 2;

struct Options {
  std::string definition;
  std::string image;
  std::string depfile;
  std::vector<std::string> searchDirs;
};

int Usage(const char* why) {
  std::fprintf(stderr, "vexmire-rc: %s\nusage: vexmire-rc DEFINITION -o IMAGE [-d DEPFILE] [-I DIR]...\n", why);
  return kUsageExit;
}

bool ParseArguments(int argc, char** argv, Options& options, std::string& why) {
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    const bool takesValue = argument == "-o" || argument == "-d" || argument == "-I";
    if (takesValue && i + 1 >= argc) {
      why = "option " + argument + " needs a value";
      return false;
    }
    if (argument == "-o") options.image = argv[++i];
    else if (argument == "-d") options.depfile = argv[++i];
    else if (argument == "-I") options.searchDirs.push_back(argv[++i]);
    else if (!argument.empty() && argument[0] == '-') why = "unknown option " + argument;
    else if (options.definition.empty()) options.definition = argument;
    else why = "more than one definition file given";
    if (!why.empty()) return false;
  }
  if (options.definition.empty()) why = "no definition file given";
  else if (options.image.empty()) why = "no image file given (-o IMAGE)";
  return why.empty();
}

// Writes beside the target and renames, so that a reader never sees half a file.
void WriteAtomically(const std::string& path, const void* bytes, std::size_t size) {
  const std::string temporary = path + ".tmp" + std::to_string(::getpid());
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(bytes), static_cast<std::streamsize>(size));
    out.close();
    if (!out) {
      std::filesystem::remove(temporary);
      throw vexmire_rc::CompileError(path, 0, "cannot write the file");
    }
  }
  std::error_code error;
  std::filesystem::rename(temporary, path, error);
  if (error) {
    std::filesystem::remove(temporary);
    throw vexmire_rc::CompileError(path, 0, "cannot write the file: " + error.message());
  }
}

std::string EscapeForMake(const std::string& path) {
  std::string escaped;
  for (const char c : path) {
    if (c == ' ' || c == '#' || c == '\\') escaped += '\\';
    if (c == '$') escaped += '$';
    escaped += c;
  }
  return escaped;
}

std::string DependencyRule(const std::string& image, const std::vector<std::string>& inputs) {
  std::string rule = EscapeForMake(image) + ":";
  for (const std::string& input : inputs) rule += " \\\n  " + EscapeForMake(std::filesystem::absolute(input).string());
  return rule + "\n";
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  std::string why;
  if (!ParseArguments(argc, argv, options, why)) return Usage(why.c_str());
  try {
    const vexmire_rc::Definition definition = vexmire_rc::CompileDefinition(options.definition, options.searchDirs);
    const std::vector<std::uint8_t> image = vexmire_rc::WriteImage(definition.resources, options.definition);
    WriteAtomically(options.image, image.data(), image.size());
    if (!options.depfile.empty()) {
      const std::string rule = DependencyRule(options.image, definition.inputs);
      WriteAtomically(options.depfile, rule.data(), rule.size());
    }
  } catch (const std::exception& fault) {
    std::fprintf(stderr, "%s\n", fault.what());
    return kFaultExit;
  }
  return 0;
}
