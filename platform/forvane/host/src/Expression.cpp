// The expression checker: a recursive-descent reader of
//   expression := term (("+" | "-") term)*
//   term       := factor (("*" | "/") factor)*
//   factor     := "-" factor | number | "string" | reference | call | "(" expression ")"
//   reference  := "{Property:" GROUP "/" NAME "}"
//   call       := NAME "(" [expression ("," expression)*] ")"
// It only checks; the host does not evaluate expressions.
#include "ForvaneHost/Expression.hpp"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace fvhost {
namespace {

struct Function {
  const char* name;
  int minArguments;
  int maxArguments;  // -1: no limit
};
constexpr Function kFunctions[] = {
    {"ROUND", 1, 2}, {"MIN", 1, -1}, {"MAX", 1, -1}, {"ABS", 1, 1}, {"CONCAT", 1, -1},
};

std::string Upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

const Function* FindFunction(std::string_view name) {
  std::string upper = Upper(name);
  for (const auto& function : kFunctions)
    if (upper == function.name) return &function;
  return nullptr;
}

bool PropertyExists(const Project& project, const std::string& group, const std::string& name) {
  for (const auto& g : project.groups) {
    if (g.name != group) continue;
    for (const auto& d : project.definitions)
      if (d.group == g.guid && d.name == name) return true;
  }
  return false;
}

class Checker {
 public:
  Checker(const Project& project, std::string_view text) : project_(project), text_(text) {}

  // True when the whole text is one expression; else `why` says where and what.
  bool Run(std::string& why) {
    SkipBlanks();
    if (AtEnd()) {
      Error("the expression is empty");
      return Fail(error_, why);
    }
    if (!Expression()) return Fail(error_, why);
    SkipBlanks();
    if (!AtEnd()) {
      Error("unexpected '" + std::string(1, text_[at_]) + "'");
      return Fail(error_, why);
    }
    return true;
  }

 private:
  bool Fail(const std::string& reason, std::string& why) {
    why = "at " + std::to_string(errorAt_ + 1) + ": " + reason;
    return false;
  }
  bool Error(const std::string& reason) {
    if (error_.empty()) {
      error_ = reason;
      errorAt_ = at_;
    }
    return false;
  }
  bool Error(const std::string& reason, std::size_t at) {
    at_ = at;
    return Error(reason);
  }

  bool AtEnd() const { return at_ >= text_.size(); }
  char Peek() const { return AtEnd() ? '\0' : text_[at_]; }
  void SkipBlanks() {
    while (!AtEnd() && std::isspace(static_cast<unsigned char>(text_[at_]))) ++at_;
  }
  bool Take(char c) {
    SkipBlanks();
    if (Peek() != c) return false;
    ++at_;
    return true;
  }

  bool Expression() {
    if (!Term()) return false;
    while (Take('+') || Take('-'))
      if (!Term()) return false;
    return true;
  }

  bool Term() {
    if (!Factor()) return false;
    while (Take('*') || Take('/'))
      if (!Factor()) return false;
    return true;
  }

  bool Factor() {
    if (++depth_ > kMaxDepth) return Error("the expression is nested too deeply");
    bool ok = FactorBody();
    --depth_;
    return ok;
  }

  bool FactorBody() {
    SkipBlanks();
    if (AtEnd()) return Error("the expression ends where a value was expected");
    char c = Peek();
    if (c == '-') {
      ++at_;
      return Factor();
    }
    if (c == '(') {
      ++at_;
      if (!Expression()) return false;
      return Take(')') || Error("expected ')'");
    }
    if (c == '"') return String();
    if (c == '{') return Reference();
    if (std::isdigit(static_cast<unsigned char>(c)) || c == '.') return Number();
    if (std::isalpha(static_cast<unsigned char>(c))) return Call();
    return Error("unexpected '" + std::string(1, c) + "'");
  }

  bool Number() {
    std::size_t start = at_;
    std::size_t digits = Digits();
    if (Peek() == '.') {
      ++at_;
      digits += Digits();
    }
    if (digits == 0) return Error("a number needs digits", start);
    if (Peek() == 'e' || Peek() == 'E') {
      std::size_t exponentAt = at_++;
      if (Peek() == '+' || Peek() == '-') ++at_;
      if (Digits() == 0) return Error("the number's exponent has no digits", exponentAt);
    }
    return true;
  }

  std::size_t Digits() {
    std::size_t count = 0;
    while (std::isdigit(static_cast<unsigned char>(Peek()))) {
      ++at_;
      ++count;
    }
    return count;
  }

  bool String() {
    std::size_t start = at_++;
    std::size_t end = text_.find('"', at_);
    if (end == std::string_view::npos) return Error("the string is not closed", start);
    at_ = end + 1;
    return true;
  }

  bool Reference() {
    static constexpr std::string_view kPrefix = "{Property:";
    std::size_t start = at_;
    if (text_.substr(at_, kPrefix.size()) != kPrefix) return Error("a reference begins with {Property:", start);
    std::size_t close = text_.find('}', at_);
    if (close == std::string_view::npos) return Error("the reference is not closed with '}'", start);
    std::string_view body = text_.substr(at_ + kPrefix.size(), close - at_ - kPrefix.size());
    std::size_t slash = body.find('/');
    if (slash == std::string_view::npos) return Error("the reference needs GROUP/NAME", start);
    std::string group(body.substr(0, slash));
    std::string name(body.substr(slash + 1));
    if (group.empty() || name.empty()) return Error("the reference needs GROUP/NAME", start);
    if (!PropertyExists(project_, group, name))
      return Error("no property " + name + " in a group " + group, start);
    at_ = close + 1;
    return true;
  }

  bool Call() {
    std::size_t start = at_;
    while (std::isalnum(static_cast<unsigned char>(Peek())) || Peek() == '_') ++at_;
    std::string_view name = text_.substr(start, at_ - start);
    const Function* function = FindFunction(name);
    if (function == nullptr) return Error("unknown function " + std::string(name), start);
    if (!Take('(')) return Error("expected '(' after " + std::string(name));
    int arguments = 0;
    if (!Take(')')) {
      do {
        if (!Expression()) return false;
        ++arguments;
      } while (Take(','));
      if (!Take(')')) return Error("expected ')' or ','");
    }
    bool tooFew = arguments < function->minArguments;
    bool tooMany = function->maxArguments >= 0 && arguments > function->maxArguments;
    if (tooFew || tooMany) return Error(std::string(function->name) + " takes " + ArgumentCount(*function) +
                                        ", not " + std::to_string(arguments), start);
    return true;
  }

  static std::string ArgumentCount(const Function& function) {
    if (function.maxArguments < 0) return "at least " + std::to_string(function.minArguments) + " argument(s)";
    if (function.minArguments == function.maxArguments) return std::to_string(function.minArguments) + " argument(s)";
    return std::to_string(function.minArguments) + " to " + std::to_string(function.maxArguments) + " arguments";
  }

  // Deep enough for any written expression, shallow enough for the stack.
  static constexpr int kMaxDepth = 200;

  const Project& project_;
  std::string_view text_;
  std::size_t at_ = 0;
  int depth_ = 0;
  std::string error_;
  std::size_t errorAt_ = 0;
};

}  // namespace

HostError CheckExpression(const Project& project, const std::string& text, std::string* why) {
  std::string reason;
  if (Checker(project, text).Run(reason)) return FvErr_NoError;
  if (why) *why = reason;
  return FvErr_BadExpression;
}

std::string ExpressionCheckForm(const std::string& stored) {
  std::string out;
  out.reserve(stored.size());
  bool open = true;
  for (std::size_t i = 0; i < stored.size();) {
    if (stored.compare(i, 3, "###") == 0) {
      out += open ? '{' : '}';
      open = !open;
      i += 3;
    } else {
      out += stored[i++];
    }
  }
  return out;
}

}  // namespace fvhost
