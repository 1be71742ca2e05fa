#include "Lexer.hpp"

#include <cctype>
#include <limits>

#include "CompileError.hpp"

namespace vexmire_rc {

namespace {

bool IsWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; }
bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

int DigitValue(char c, int base) {
  int value = 99;
  if (IsDigit(c)) value = c - '0';
  else if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
  return value < base ? value : -1;
}

}  // namespace

std::string DescribeToken(const Token& token) {
  switch (token.kind) {
    case TokenKind::Word: return "'" + token.text + "'";
    case TokenKind::Number: return "the number " + token.text;
    case TokenKind::String: return "a string";
    case TokenKind::OpenBrace: return "'{'";
    case TokenKind::CloseBrace: return "'}'";
    case TokenKind::End: return "the end of the file";
  }
  return "something unknown";
}

void Lexer::Fail(const std::string& message) const { throw CompileError(fileName_, line_, message); }

void Lexer::SkipBlanksAndComments() {
  while (at_ < text_.size()) {
    const char c = text_[at_];
    if (c == '\n') {
      ++line_;
      ++at_;
    } else if (c == '#') {
      while (at_ < text_.size() && text_[at_] != '\n') ++at_;
    } else if (std::isspace(static_cast<unsigned char>(c)) != 0) {
      ++at_;
    } else {
      return;
    }
  }
}

Token Lexer::Next() {
  SkipBlanksAndComments();
  Token token;
  token.line = line_;
  if (at_ >= text_.size()) return token;
  const char c = text_[at_];
  if (c == '{' || c == '}') {
    ++at_;
    token.kind = c == '{' ? TokenKind::OpenBrace : TokenKind::CloseBrace;
    return token;
  }
  if (c == '"') return ReadString();
  if (IsDigit(c) || (c == '-' && at_ + 1 < text_.size() && IsDigit(text_[at_ + 1]))) return ReadNumber();
  if (IsWordChar(c)) return ReadWord();
  Fail(std::string("unexpected character '") + c + "'");
}

Token Lexer::ReadWord() {
  Token token{TokenKind::Word, "", 0, line_};
  while (at_ < text_.size() && IsWordChar(text_[at_])) token.text += text_[at_++];
  return token;
}

Token Lexer::ReadNumber() {
  Token token{TokenKind::Number, "", 0, line_};
  const bool negative = text_[at_] == '-';
  if (negative) token.text += text_[at_++];
  int base = 10;
  if (text_.compare(at_, 2, "0x") == 0 || text_.compare(at_, 2, "0X") == 0) {
    base = 16;
    token.text += text_.substr(at_, 2);
    at_ += 2;
  }
  std::uint64_t value = 0;
  std::size_t digits = 0;
  while (at_ < text_.size() && IsWordChar(text_[at_])) {
    const int digit = DigitValue(text_[at_], base);
    token.text += text_[at_++];
    if (digit < 0) Fail("'" + token.text + "' is not a number");
    value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
    if (value > 0xFFFFFFFFull) Fail("the number " + token.text + "... does not fit in 32 bits");
    ++digits;
  }
  if (digits == 0) Fail("'" + token.text + "' is not a number");
  token.number = negative ? -static_cast<std::int64_t>(value) : static_cast<std::int64_t>(value);
  return token;
}

Token Lexer::ReadString() {
  Token token{TokenKind::String, "", 0, line_};
  ++at_;  // the opening quote
  while (true) {
    if (at_ >= text_.size() || text_[at_] == '\n') Fail("a string is not closed on the line it starts");
    const char c = text_[at_++];
    if (c == '"') return token;
    token.text += c == '\\' ? ReadEscape() : c;
  }
}

char Lexer::ReadEscape() {
  if (at_ >= text_.size()) Fail("a string ends in the middle of an escape");
  const char c = text_[at_++];
  switch (c) {
    case 'n': return '\n';
    case 't': return '\t';
    case 'r': return '\r';
    case 'a': return '\a';
    case 'b': return '\b';
    case 'f': return '\f';
    case 'v': return '\v';
    case '\\': return '\\';
    case '"': return '"';
    case '\'': return '\'';
    case '?': return '?';
    case 'x': return ReadCodedEscape(16, 2);
    default: break;
  }
  if (c >= '0' && c <= '7') {
    --at_;
    return ReadCodedEscape(8, 3);
  }
  Fail(std::string("unknown escape '\\") + c + "' in a string");
}

char Lexer::ReadCodedEscape(int base, int maxDigits) {
  int value = 0;
  int digits = 0;
  while (digits < maxDigits && at_ < text_.size() && DigitValue(text_[at_], base) >= 0) {
    value = value * base + DigitValue(text_[at_++], base);
    ++digits;
  }
  if (digits == 0) Fail("an escape '\\x' needs hexadecimal digits");
  if (value > std::numeric_limits<unsigned char>::max()) Fail("an escape names a value above 255");
  return static_cast<char>(static_cast<unsigned char>(value));
}

}  // namespace vexmire_rc
