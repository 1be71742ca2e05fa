// Grammar of a definition file:
//   definition := resource*
//   resource   := TYPE ID NAME body
//   body       := 'file' STRING | '{' item* '}'
//   item       := STRING | NUMBER | 'file' STRING
#include <cctype>
#include <cstdint>

#include "CompileError.hpp"
#include "Definition.hpp"
#include "InputFiles.hpp"
#include "Lexer.hpp"
#include "PngInfo.hpp"

namespace vexmire_rc {

namespace {

constexpr std::uint64_t kLargestResource = 0x7FFFFFFF;

std::uint32_t FourCharCode(const std::string& word) {
  std::string padded = word;
  padded.resize(4, ' ');
  return (std::uint32_t(static_cast<unsigned char>(padded[0])) << 24) |
         (std::uint32_t(static_cast<unsigned char>(padded[1])) << 16) |
         (std::uint32_t(static_cast<unsigned char>(padded[2])) << 8) | std::uint32_t(static_cast<unsigned char>(padded[3]));
}

void AppendLE32(std::vector<std::uint8_t>& bytes, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<std::uint8_t>(value >> shift));
}

class Parser {
 public:
  Parser(Lexer& lexer, InputFiles& files) : lexer_(lexer), files_(files) {}

  std::vector<Resource> ParseAll() {
    std::vector<Resource> resources;
    for (Advance(); current_.kind != TokenKind::End;) {
      Resource resource = ParseResource();
      CheckUnique(resources, resource);
      resources.push_back(std::move(resource));
    }
    return resources;
  }

 private:
  void Advance() { current_ = lexer_.Next(); }
  [[noreturn]] void Fail(const std::string& message) const { Fail(current_.line, message); }
  [[noreturn]] void Fail(int line, const std::string& message) const {
    throw CompileError(lexer_.FileName(), line, message);
  }
  Token Expect(TokenKind kind, const std::string& what) {
    if (current_.kind != kind) Fail("expected " + what + ", found " + DescribeToken(current_));
    Token taken = current_;
    Advance();
    return taken;
  }

  Resource ParseResource() {
    Resource resource;
    resource.line = current_.line;
    const Token type = Expect(TokenKind::Word, "a resource type (one to four letters or digits)");
    if (type.text.size() > 4) Fail(type.line, "the resource type '" + type.text + "' is longer than four characters");
    resource.type = FourCharCode(type.text);
    const Token id = Expect(TokenKind::Number, "a resource id (a number) after " + DescribeToken(type));
    if (id.number < INT32_MIN || id.number > INT32_MAX) Fail(id.line, "the resource id " + id.text + " does not fit in 32 bits");
    resource.id = static_cast<std::int32_t>(id.number);
    resource.name = Expect(TokenKind::String, "the resource's name (a string, \"\" for none)").text;
    if (resource.name.find('\0') != std::string::npos) Fail(id.line, "a resource name may not hold a zero byte");
    ParseBody(resource);
    if (resource.data.size() > kLargestResource) Fail(resource.line, "the resource is larger than 2 GiB");
    return resource;
  }

  void ParseBody(Resource& resource) {
    if (IsFileWord()) {
      resource.data = ReadFileItem(resource.type);
      return;
    }
    const int opened = Expect(TokenKind::OpenBrace, "'{' or 'file' to begin the resource's content").line;
    std::vector<std::uint8_t> items;
    while (current_.kind != TokenKind::CloseBrace) ParseItem(resource.type, opened, items);
    Advance();
    if (items.size() > kLargestResource) Fail(opened, "the resource is larger than 2 GiB");
    AppendLE32(resource.data, static_cast<std::uint32_t>(items.size()));
    resource.data.insert(resource.data.end(), items.begin(), items.end());
  }

  void ParseItem(std::uint32_t type, int opened, std::vector<std::uint8_t>& items) {
    if (current_.kind == TokenKind::End)
      Fail("the block opened on line " + std::to_string(opened) + " is not closed with '}'");
    if (current_.kind == TokenKind::String) {
      if (current_.text.find('\0') != std::string::npos) Fail("a string may not hold a zero byte (it ends the string)");
      items.insert(items.end(), current_.text.begin(), current_.text.end());
      items.push_back(0);
      Advance();
    } else if (current_.kind == TokenKind::Number) {
      if (current_.number < INT32_MIN) Fail("the number " + current_.text + " does not fit in 32 bits");
      AppendLE32(items, static_cast<std::uint32_t>(current_.number));
      Advance();
    } else if (IsFileWord()) {
      const std::vector<std::uint8_t> file = ReadFileItem(type);
      AppendLE32(items, static_cast<std::uint32_t>(file.size()));
      items.insert(items.end(), file.begin(), file.end());
    } else {
      Fail("expected a string, a number, 'file' or '}', found " + DescribeToken(current_));
    }
  }

  bool IsFileWord() const { return current_.kind == TokenKind::Word && current_.text == "file"; }

  std::vector<std::uint8_t> ReadFileItem(std::uint32_t type) {
    Advance();  // 'file'
    const Token path = Expect(TokenKind::String, "a file name (a string) after 'file'");
    std::vector<std::uint8_t> bytes = files_.Read(path.text, path.line);
    if (bytes.size() > kLargestResource) Fail(path.line, "'" + path.text + "' is larger than 2 GiB");
    if (MustBePng(type, path.text)) CheckPng(bytes, path);
    return bytes;
  }

  static bool MustBePng(std::uint32_t type, const std::string& path) {
    if (type == FourCharCode("PNG") || type == FourCharCode("ICNS")) return true;
    if (path.size() < 4) return false;
    std::string tail = path.substr(path.size() - 4);
    for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return tail == ".png";
  }

  void CheckPng(const std::vector<std::uint8_t>& bytes, const Token& path) const {
    vexmire_image::PngSize size;
    const vexmire_image::PngStatus status = vexmire_image::ReadPngSize(bytes.data(), bytes.size(), size);
    if (status != vexmire_image::PngStatus::Valid)
      Fail(path.line, "'" + path.text + "' is " + vexmire_image::DescribePngStatus(status));
  }

  void CheckUnique(const std::vector<Resource>& earlier, const Resource& resource) const {
    for (const Resource& other : earlier) {
      if (other.type != resource.type) continue;
      // One id may name several sizes of a picture, told apart by their names.
      const bool toldApartByName = !resource.name.empty() && !other.name.empty() && resource.name != other.name;
      if (other.id == resource.id && !toldApartByName)
        Fail(resource.line, "resource " + TypeText(resource.type) + " " + std::to_string(resource.id) +
                                " is defined twice (first on line " + std::to_string(other.line) + ")");
      if (!resource.name.empty() && other.name == resource.name)
        Fail(resource.line, "the name \"" + resource.name + "\" is given to two " + TypeText(resource.type) +
                                " resources (first on line " + std::to_string(other.line) + ")");
    }
  }

  Lexer& lexer_;
  InputFiles& files_;
  Token current_;
};

}  // namespace

std::string TypeText(std::uint32_t type) {
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8) text += static_cast<char>((type >> shift) & 0xFF);
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

Definition CompileDefinition(const std::string& path, const std::vector<std::string>& searchDirs) {
  InputFiles files(path, searchDirs);
  const std::vector<std::uint8_t> bytes = files.ReadDefinition();
  Lexer lexer(path, std::string(bytes.begin(), bytes.end()));
  Parser parser(lexer, files);
  Definition definition;
  definition.resources = parser.ParseAll();
  definition.inputs = files.Inputs();
  return definition;
}

}  // namespace vexmire_rc
