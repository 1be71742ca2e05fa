// Splits a resource definition into words, numbers, strings and braces.
// '#' starts a comment to the end of the line; strings take C escapes.
#pragma once

#include <cstdint>
#include <string>

namespace vexmire_rc {

enum class TokenKind { Word, Number, String, OpenBrace, CloseBrace, End };

struct Token {
  TokenKind kind = TokenKind::End;
  std::string text;       // a word, a string's bytes, or the number as written
  std::int64_t number = 0;
  int line = 0;
};

std::string DescribeToken(const Token& token);

class Lexer {
 public:
  Lexer(std::string fileName, std::string text) : fileName_(std::move(fileName)), text_(std::move(text)) {}
  Token Next();
  const std::string& FileName() const { return fileName_; }

 private:
  void SkipBlanksAndComments();
  Token ReadString();
  Token ReadNumber();
  Token ReadWord();
  char ReadEscape();
  char ReadCodedEscape(int base, int maxDigits);
  [[noreturn]] void Fail(const std::string& message) const;

  std::string fileName_;
  std::string text_;
  std::size_t at_ = 0;
  int line_ = 1;
};

}  // namespace vexmire_rc
