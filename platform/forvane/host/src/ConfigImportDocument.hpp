// A configuration document as read from its XML text: parsed safely, checked
// against the schema, and held with the line of every part so that the
// importers can name where a later check failed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Forvane/Errors.hpp"
#include "ForvaneHost/Fault.hpp"

namespace fvhost::config {

struct Text {
  std::string text;
  long line = 0;
};

struct Item {
  std::string id;
  std::string name;
  long line = 0;
  std::vector<Item> children;
};

struct System {
  std::string name;
  bool hasVersion = false;
  std::string version;
  long line = 0;
  std::vector<Item> items;
};

struct Definition {
  std::string name;
  bool hasDescription = false;
  std::string description;
  std::int32_t valueType = 0;       // API_VariantType
  std::int32_t collectionType = 0;  // API_CollectionType
  std::int32_t measureType = 0;     // API_MeasureType
  std::vector<Text> options;
  bool hasDefault = false;
  Text defaultValue;
  std::vector<Text> expressions;  // as written, references in braces
  std::vector<Text> availableFor;
  long line = 0;
};

struct Group {
  std::string name;
  bool hasDescription = false;
  std::string description;
  long line = 0;
  std::vector<Definition> definitions;
};

struct Document {
  std::vector<System> systems;
  std::vector<Group> groups;
};

// Parses and checks `xml` against the schema. A document with a DOCTYPE is
// refused before its declarations are read, and nothing is ever loaded from
// outside the text. On failure: FvErr_BadXml (malformed or empty) or
// FvErr_NotOnSchema, and `fault` says what and where (its line).
HostError ReadDocument(std::string_view xml, Document& out, Fault& fault);

// A fault of the document at its line.
Fault AtLine(long line, std::string what);

}  // namespace fvhost::config
