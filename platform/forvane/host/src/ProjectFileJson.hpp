// A small JSON tree that remembers where each value stands in its text, so
// that the project file reader can name the line and column of any fault.
// It also serves the writer, which prints the same tree back as text.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace fvhost::projectjson {

struct Place {
  int line = 1;
  int column = 1;
};

// A fault in the text or in what it means, with the place it was found:
// thrown to stop the reading there. The reader gives it its file and hands it
// on as an fvhost::Fault.
class ReadFault : public std::runtime_error {
 public:
  ReadFault(Place where, const std::string& what) : std::runtime_error(what), place(where) {}
  Place place;
};

struct Member;

struct Value {
  enum class Kind { Null, Boolean, Number, String, Array, Object };
  Kind kind = Kind::Null;
  Place place;
  bool boolean = false;
  std::string text;  // a string's content, or a number as written
  std::vector<Value> items;
  std::vector<Member> members;

  bool Is(Kind k) const { return kind == k; }
  // The member named `key`, or null.
  const Value* Find(std::string_view key) const;
};

struct Member {
  std::string key;
  Place keyPlace;
  Value value;
};

// "a string", "an object", ...: for messages.
const char* KindName(Value::Kind kind);

// Reads one JSON document (RFC 8259, UTF-8). Throws ReadFault on a syntax error,
// a duplicate key, invalid UTF-8 or nesting deeper than a project needs.
Value Parse(std::string_view text);

// Builders for the writer.
Value MakeString(std::string text);
Value MakeNumber(std::string literal);
Value MakeBoolean(bool flag);
Value MakeNull();
Value MakeArray();
Value MakeObject();
void Add(Value& object, std::string key, Value value);

// Prints a tree indented by two blanks; arrays and objects that hold only
// scalars and fit on a line are kept on one line, so long lists of values stay readable.
std::string Print(const Value& root);

}  // namespace fvhost::projectjson
