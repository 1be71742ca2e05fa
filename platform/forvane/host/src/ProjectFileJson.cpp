#include "ProjectFileJson.hpp"

#include "HostInternal.hpp"

#include <cstdint>

namespace fvhost::projectjson {
namespace {

// Deep enough for any project (the deepest part is a classification tree),
// shallow enough that a hostile file cannot exhaust the stack.
constexpr int kMaxDepth = 256;

class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}

  Value Document() {
    SkipBlanks();
    if (AtEnd()) throw ReadFault(place_, "the file is empty (expected a JSON object)");
    Value root = ReadValue(0);
    SkipBlanks();
    if (!AtEnd()) throw ReadFault(place_, "unexpected text after the end of the document");
    return root;
  }

 private:
  bool AtEnd() const { return pos_ >= text_.size(); }
  char Peek() const { return AtEnd() ? '\0' : text_[pos_]; }

  // Columns count characters, not bytes, as an editor shows them.
  void Advance() {
    const auto byte = static_cast<unsigned char>(text_[pos_++]);
    if (byte == '\n') {
      ++place_.line;
      place_.column = 1;
    } else if ((byte & 0xC0) != 0x80) {
      ++place_.column;
    }
  }

  void SkipBlanks() {
    while (!AtEnd() && (Peek() == ' ' || Peek() == '\t' || Peek() == '\n' || Peek() == '\r')) Advance();
  }

  [[noreturn]] void Unexpected(const char* expected) const {
    if (AtEnd()) throw ReadFault(place_, std::string("unexpected end of the file (expected ") + expected + ")");
    const char c = Peek();
    std::string shown = (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x80)
                            ? std::string("a character")
                            : "'" + std::string(1, c) + "'";
    throw ReadFault(place_, "unexpected " + shown + " (expected " + expected + ")");
  }

  void Expect(char c, const char* expected) {
    if (Peek() != c) Unexpected(expected);
    Advance();
  }

  Value ReadValue(int depth) {
    if (depth > kMaxDepth) throw ReadFault(place_, "the document nests too deeply");
    Value v;
    v.place = place_;
    switch (Peek()) {
      case '{':
        ReadObject(v, depth);
        break;
      case '[':
        ReadArray(v, depth);
        break;
      case '"':
        v.kind = Value::Kind::String;
        v.text = ReadString();
        break;
      case 't':
      case 'f':
      case 'n':
        ReadWord(v);
        break;
      default:
        if (Peek() == '-' || (Peek() >= '0' && Peek() <= '9')) {
          v.kind = Value::Kind::Number;
          v.text = ReadNumber();
        } else {
          Unexpected("a value");
        }
    }
    return v;
  }

  void ReadObject(Value& v, int depth) {
    v.kind = Value::Kind::Object;
    Advance();
    SkipBlanks();
    if (Peek() == '}') {
      Advance();
      return;
    }
    for (;;) {
      SkipBlanks();
      Member m;
      m.keyPlace = place_;
      if (Peek() != '"') Unexpected("a key in double quotes");
      m.key = ReadString();
      for (const Member& earlier : v.members)
        if (earlier.key == m.key)
          throw ReadFault(m.keyPlace, "duplicate key \"" + m.key + "\" (first at line " +
                                      std::to_string(earlier.keyPlace.line) + ")");
      SkipBlanks();
      Expect(':', "':' after the key");
      SkipBlanks();
      m.value = ReadValue(depth + 1);
      v.members.push_back(std::move(m));
      SkipBlanks();
      if (Peek() == ',') {
        Advance();
        continue;
      }
      Expect('}', "',' or '}'");
      return;
    }
  }

  void ReadArray(Value& v, int depth) {
    v.kind = Value::Kind::Array;
    Advance();
    SkipBlanks();
    if (Peek() == ']') {
      Advance();
      return;
    }
    for (;;) {
      SkipBlanks();
      v.items.push_back(ReadValue(depth + 1));
      SkipBlanks();
      if (Peek() == ',') {
        Advance();
        continue;
      }
      Expect(']', "',' or ']'");
      return;
    }
  }

  void ReadWord(Value& v) {
    for (std::string_view word : {"true", "false", "null"}) {
      if (text_.substr(pos_, word.size()) == word) {
        for (std::size_t i = 0; i < word.size(); ++i) Advance();
        v.kind = word == "null" ? Value::Kind::Null : Value::Kind::Boolean;
        v.boolean = word == "true";
        return;
      }
    }
    Unexpected("a value");
  }

  std::string ReadNumber() {
    const std::size_t start = pos_;
    if (Peek() == '-') Advance();
    if (Peek() == '0') {
      Advance();
    } else {
      ReadDigits();
    }
    if (Peek() == '.') {
      Advance();
      ReadDigits();
    }
    if (Peek() == 'e' || Peek() == 'E') {
      Advance();
      if (Peek() == '+' || Peek() == '-') Advance();
      ReadDigits();
    }
    return std::string(text_.substr(start, pos_ - start));
  }

  void ReadDigits() {
    if (!(Peek() >= '0' && Peek() <= '9')) Unexpected("a digit");
    while (Peek() >= '0' && Peek() <= '9') Advance();
  }

  std::string ReadString() {
    Advance();  // the opening quote
    std::string out;
    for (;;) {
      if (AtEnd()) throw ReadFault(place_, "unexpected end of the file inside a string");
      const auto byte = static_cast<unsigned char>(Peek());
      if (byte == '"') {
        Advance();
        return out;
      }
      if (byte < 0x20) throw ReadFault(place_, "a control character inside a string (write it as an escape, such as \\n)");
      if (byte == '\\') {
        ReadEscape(out);
      } else if (byte < 0x80) {
        out.push_back(static_cast<char>(byte));
        Advance();
      } else {
        ReadUtf8Sequence(out);
      }
    }
  }

  void ReadEscape(std::string& out) {
    const Place at = place_;
    Advance();
    const char c = Peek();
    if (AtEnd()) throw ReadFault(at, "unexpected end of the file inside a string");
    Advance();
    switch (c) {
      case '"': out.push_back('"'); return;
      case '\\': out.push_back('\\'); return;
      case '/': out.push_back('/'); return;
      case 'b': out.push_back('\b'); return;
      case 'f': out.push_back('\f'); return;
      case 'n': out.push_back('\n'); return;
      case 'r': out.push_back('\r'); return;
      case 't': out.push_back('\t'); return;
      case 'u': break;
      default: throw ReadFault(at, "unknown escape in a string");
    }
    std::uint32_t code = ReadHex4(at);
    if (code >= 0xD800 && code <= 0xDBFF) {
      if (Peek() != '\\') throw ReadFault(at, "a lone surrogate escape in a string");
      Advance();
      if (Peek() != 'u') throw ReadFault(at, "a lone surrogate escape in a string");
      Advance();
      const std::uint32_t low = ReadHex4(at);
      if (low < 0xDC00 || low > 0xDFFF) throw ReadFault(at, "a lone surrogate escape in a string");
      code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
    } else if (code >= 0xDC00 && code <= 0xDFFF) {
      throw ReadFault(at, "a lone surrogate escape in a string");
    }
    AppendUtf8(out, code);
  }

  std::uint32_t ReadHex4(Place at) {
    std::uint32_t code = 0;
    for (int i = 0; i < 4; ++i) {
      const char c = Peek();
      int digit = -1;
      if (c >= '0' && c <= '9') digit = c - '0';
      if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
      if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
      if (digit < 0) throw ReadFault(at, "\\u must be followed by four hexadecimal digits");
      code = code * 16 + static_cast<std::uint32_t>(digit);
      Advance();
    }
    return code;
  }

  static void AppendUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
      out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (code >> 6)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (code >> 12)));
      out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (code >> 18)));
      out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
  }

  // Copies one multi-byte character, refusing overlong forms, surrogates and
  // stray continuation bytes, so that every text in the model is valid UTF-8.
  void ReadUtf8Sequence(std::string& out) {
    const Place at = place_;
    const auto lead = static_cast<unsigned char>(Peek());
    int length = 0;
    std::uint32_t code = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
      code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      code = lead & 0x07;
    } else {
      throw ReadFault(at, "the text is not valid UTF-8");
    }
    if (pos_ + static_cast<std::size_t>(length) > text_.size()) throw ReadFault(at, "the text is not valid UTF-8");
    for (int i = 1; i < length; ++i) {
      const auto next = static_cast<unsigned char>(text_[pos_ + static_cast<std::size_t>(i)]);
      if ((next & 0xC0) != 0x80) throw ReadFault(at, "the text is not valid UTF-8");
      code = (code << 6) | (next & 0x3F);
    }
    const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
    if (overlong || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
      throw ReadFault(at, "the text is not valid UTF-8");
    for (int i = 0; i < length; ++i) {
      out.push_back(text_[pos_]);
      Advance();
    }
  }

  std::string_view text_;
  std::size_t pos_ = 0;
  Place place_;
};

void PrintString(std::string& out, const std::string& text) { out += internal::JsonQuote(text); }

bool IsScalar(const Value& v) { return !v.Is(Value::Kind::Array) && !v.Is(Value::Kind::Object); }

void PrintValue(std::string& out, const Value& v, int indent);

// The one-line form of a container of scalars, or empty when it has other containers.
std::string OneLine(const Value& v) {
  for (const Value& item : v.items)
    if (!IsScalar(item)) return {};
  for (const Member& m : v.members)
    if (!IsScalar(m.value)) return {};
  std::string out;
  if (v.Is(Value::Kind::Array)) {
    out += "[";
    for (std::size_t i = 0; i < v.items.size(); ++i) {
      if (i > 0) out += ", ";
      PrintValue(out, v.items[i], 0);
    }
    out += "]";
  } else {
    out += "{";
    for (std::size_t i = 0; i < v.members.size(); ++i) {
      out += i > 0 ? ", " : " ";
      PrintString(out, v.members[i].key);
      out += ": ";
      PrintValue(out, v.members[i].value, 0);
    }
    out += v.members.empty() ? "}" : " }";
  }
  return out;
}

constexpr std::size_t kLineWidth = 100;

void NewLine(std::string& out, int indent) {
  out.push_back('\n');
  out.append(static_cast<std::size_t>(indent) * 2, ' ');
}

void PrintContainer(std::string& out, const Value& v, int indent) {
  const std::string line = OneLine(v);
  if (!line.empty() && line.size() + static_cast<std::size_t>(indent) * 2 <= kLineWidth) {
    out += line;
    return;
  }
  const bool isArray = v.Is(Value::Kind::Array);
  out.push_back(isArray ? '[' : '{');
  const std::size_t count = isArray ? v.items.size() : v.members.size();
  for (std::size_t i = 0; i < count; ++i) {
    if (i > 0) out.push_back(',');
    NewLine(out, indent + 1);
    if (!isArray) {
      PrintString(out, v.members[i].key);
      out += ": ";
    }
    PrintValue(out, isArray ? v.items[i] : v.members[i].value, indent + 1);
  }
  if (count > 0) NewLine(out, indent);
  out.push_back(isArray ? ']' : '}');
}

void PrintValue(std::string& out, const Value& v, int indent) {
  switch (v.kind) {
    case Value::Kind::Null: out += "null"; break;
    case Value::Kind::Boolean: out += v.boolean ? "true" : "false"; break;
    case Value::Kind::Number: out += v.text; break;
    case Value::Kind::String: PrintString(out, v.text); break;
    case Value::Kind::Array:
    case Value::Kind::Object: PrintContainer(out, v, indent); break;
  }
}

}  // namespace

const Value* Value::Find(std::string_view key) const {
  for (const Member& m : members)
    if (m.key == key) return &m.value;
  return nullptr;
}

const char* KindName(Value::Kind kind) {
  switch (kind) {
    case Value::Kind::Null: return "null";
    case Value::Kind::Boolean: return "a boolean";
    case Value::Kind::Number: return "a number";
    case Value::Kind::String: return "a string";
    case Value::Kind::Array: return "an array";
    case Value::Kind::Object: return "an object";
  }
  return "a value";
}

Value Parse(std::string_view text) {
  // A byte order mark is not JSON, but editors write one; it carries no meaning.
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  return Reader(text).Document();
}

Value MakeString(std::string text) {
  Value v;
  v.kind = Value::Kind::String;
  v.text = std::move(text);
  return v;
}
Value MakeNumber(std::string literal) {
  Value v;
  v.kind = Value::Kind::Number;
  v.text = std::move(literal);
  return v;
}
Value MakeBoolean(bool flag) {
  Value v;
  v.kind = Value::Kind::Boolean;
  v.boolean = flag;
  return v;
}
Value MakeNull() { return Value{}; }
Value MakeArray() {
  Value v;
  v.kind = Value::Kind::Array;
  return v;
}
Value MakeObject() {
  Value v;
  v.kind = Value::Kind::Object;
  return v;
}
void Add(Value& object, std::string key, Value value) {
  object.members.push_back(Member{std::move(key), {}, std::move(value)});
}

std::string Print(const Value& root) {
  std::string out;
  PrintValue(out, root, 0);
  out.push_back('\n');
  return out;
}

}  // namespace fvhost::projectjson
