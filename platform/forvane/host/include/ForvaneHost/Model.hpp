// The project model that the host keeps in memory.
//
// Texts are UTF-8 std::strings; reals are in base units (metres, square
// metres, cubic metres, radians). Elements are shared between the project and
// its undo snapshots: an element is never changed in place once it is shared;
// a change replaces it by a changed copy (see Project::MutableElement).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Forvane/Records.hpp"

namespace fvhost {

using Guid = API_Guid;

struct Value {
  std::int32_t type = API_VariantUndefined;  // API_VariantType
  std::int32_t intValue = 0;
  double realValue = 0.0;
  bool boolValue = false;
  std::string text;
  Guid guid;  // option keys
  friend bool operator==(const Value&, const Value&) = default;
};

struct PropertyValue {
  Value single;             // collections 1 and 3 (for 3: type API_VariantGuid, the option key)
  std::vector<Value> list;  // collections 2 and 4 (for 4: option keys)
  std::int32_t status = API_ValueNormal;
  friend bool operator==(const PropertyValue&, const PropertyValue&) = default;
};

struct Option {
  Guid key;
  Value display;  // of the definition's value type
  bool hasNonLocalized = false;
  std::string nonLocalized;
  friend bool operator==(const Option&, const Option&) = default;
};

struct Definition {
  Guid guid;
  Guid group;
  std::string name;
  std::string description;
  std::int32_t definitionType = API_CustomDefinition;
  std::int32_t collectionType = API_SingleCollection;
  std::int32_t valueType = API_VariantString;
  std::int32_t measureType = API_MeasureDefault;
  bool hasExpression = false;
  std::vector<std::string> expressions;  // stored form: references as ###Property:GROUP/NAME###
  PropertyValue defaultValue;
  std::vector<Option> options;
  std::vector<std::string> availableFor;  // classification item ids; empty: every element
  bool editable = true;
  friend bool operator==(const Definition&, const Definition&) = default;
};

struct Group {
  Guid guid;
  std::string name;
  std::string description;
  std::int32_t groupType = API_CustomDefinition;
  friend bool operator==(const Group&, const Group&) = default;
};

struct ClassificationItem {
  Guid guid;
  std::string id;  // unique in the project
  std::string name;
  std::vector<ClassificationItem> children;
  friend bool operator==(const ClassificationItem&, const ClassificationItem&) = default;
};

struct ClassificationSystem {
  Guid guid;
  std::string name;
  std::string version;
  std::vector<ClassificationItem> items;
  friend bool operator==(const ClassificationSystem&, const ClassificationSystem&) = default;
};

// A value that the user set on an element (it no longer shows the default).
struct ElementValue {
  Guid definition;
  PropertyValue value;
  friend bool operator==(const ElementValue&, const ElementValue&) = default;
};

struct Element {
  Guid guid;
  std::string type;                          // "Wall", "Slab", ...
  std::vector<std::string> classifications;  // classification item ids
  Guid link;                                 // null unless the element is a linked copy
  std::vector<ElementValue> values;          // in the order they were set
  friend bool operator==(const Element&, const Element&) = default;
};

struct Project {
  std::vector<ClassificationSystem> classificationSystems;
  std::vector<Group> groups;             // in creation order
  std::vector<Definition> definitions;   // in creation order; each names its group
  std::vector<std::shared_ptr<const Element>> elements;

  // An element that may be changed: copied first when it is shared.
  Element& MutableElement(std::size_t index) {
    if (elements[index].use_count() > 1) elements[index] = std::make_shared<Element>(*elements[index]);
    return const_cast<Element&>(*elements[index]);
  }
  // Deep comparison (elements by content, not by pointer).
  friend bool operator==(const Project& a, const Project& b) {
    if (a.classificationSystems != b.classificationSystems || a.groups != b.groups ||
        a.definitions != b.definitions || a.elements.size() != b.elements.size())
      return false;
    for (std::size_t i = 0; i < a.elements.size(); ++i)
      if (a.elements[i] != b.elements[i] && !(*a.elements[i] == *b.elements[i])) return false;
    return true;
  }
};

// A fresh random guid.
Guid NewGuid();
std::string GuidText(const Guid& guid);  // 8-4-4-4-12, upper-case
bool ParseGuid(const std::string& text, Guid& out);

}  // namespace fvhost
