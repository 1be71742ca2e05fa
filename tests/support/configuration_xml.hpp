// A configuration file's text that gives back the classification systems,
// property groups and definitions of a project, as the host's importers read
// it (docs/configuration-file.md):
//
//   ProjectBuilder b;
//   b.Definition(b.Group("Pset_WallCommon"), "FireRating");
//   folder.Write("config.xml", ConfigurationXml(b.Build()));
//
// Every group of the project is written, with its definitions in the
// project's order: value, collection and measure type, options, the default
// value or the expressions (in the form the configuration writes them), and
// availability. A default that a configuration cannot state is left out when
// it is none (an empty list) and refused otherwise (std::logic_error).
#pragma once

#include <charconv>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "ForvaneHost/Expression.hpp"
#include "ForvaneHost/Model.hpp"

namespace testing_support {

// Text for an attribute value or element content: markup characters and the
// line ends and tabs that XML would otherwise normalise become references.
inline std::string XmlText(const std::string& text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\r': out += "&#13;"; break;
      case '\n': out += "&#10;"; break;
      case '\t': out += "&#9;"; break;
      default: out.push_back(c);
    }
  }
  return out;
}

namespace configuration_xml {

inline const char* Word(std::int32_t code, std::vector<const char*> words) {
  if (code < 1 || static_cast<std::size_t>(code) > words.size()) throw std::logic_error("no configuration word");
  return words[static_cast<std::size_t>(code - 1)];
}
inline const char* ValueTypeWord(std::int32_t type) { return Word(type, {"Integer", "Double", "String", "Boolean"}); }
inline const char* CollectionWord(std::int32_t collection) {
  return Word(collection, {"SingleValue", "ListValue", "SingleValueFromCollection", "MultipleValuesFromCollection"});
}
inline const char* MeasureWord(std::int32_t measure) {
  return Word(measure, {"Default", "Length", "Area", "Volume", "Angle"});
}

// A value as the configuration writes it; a real as the shortest text that reads back to it.
inline std::string ValueText(const fvhost::Value& value) {
  switch (value.type) {
    case API_VariantInteger: return std::to_string(value.intValue);
    case API_VariantBoolean: return value.boolValue ? "true" : "false";
    case API_VariantReal: {
      char text[32];
      const auto end = std::to_chars(text, text + sizeof text, value.realValue).ptr;
      return std::string(text, end);
    }
    default: return value.text;
  }
}

inline bool IsChoice(const fvhost::Definition& d) {
  return d.collectionType == API_SingleChoiceCollection || d.collectionType == API_MultipleChoiceCollection;
}

// The display of the option that `key` chooses.
inline std::string OptionText(const fvhost::Definition& d, const fvhost::Value& key) {
  for (const fvhost::Option& option : d.options)
    if (option.key == key.guid) return ValueText(option.display);
  throw std::logic_error("the default of " + d.name + " chooses no option of it");
}

inline std::string DefaultValue(const fvhost::Definition& d) {
  const fvhost::PropertyValue& value = d.defaultValue;
  if (value.status != API_ValueNormal) return "";
  const bool isList = d.collectionType == API_ListCollection || d.collectionType == API_MultipleChoiceCollection;
  if (isList && value.list.empty()) return "";
  if (isList && value.list.size() > 1) throw std::logic_error("a configuration gives a list default of one value");
  const fvhost::Value& single = isList ? value.list.front() : value.single;
  const std::string text = IsChoice(d) ? OptionText(d, single) : ValueText(single);
  return "<DefaultValue>" + XmlText(text) + "</DefaultValue>";
}

inline std::string Definition(const fvhost::Definition& d) {
  std::string xml = "<PropertyDefinition name=\"" + XmlText(d.name) + "\" valueType=\"" + ValueTypeWord(d.valueType) +
                    "\" collectionType=\"" + CollectionWord(d.collectionType) + "\" measureType=\"" +
                    MeasureWord(d.measureType) + "\"";
  if (!d.description.empty()) xml += " description=\"" + XmlText(d.description) + "\"";
  xml += ">";
  for (const fvhost::Option& option : d.options) xml += "<Option>" + XmlText(ValueText(option.display)) + "</Option>";
  const std::string defaultValue = DefaultValue(d);
  if (d.hasExpression && !defaultValue.empty())
    throw std::logic_error("a configuration gives " + d.name + " a default or expressions, not both");
  xml += defaultValue;
  if (d.hasExpression)
    for (const std::string& stored : d.expressions)
      xml += "<Expression>" + XmlText(fvhost::ExpressionCheckForm(stored)) + "</Expression>";
  for (const std::string& item : d.availableFor) xml += "<AvailableFor item=\"" + XmlText(item) + "\"/>";
  return xml + "</PropertyDefinition>\n";
}

inline std::string Items(const std::vector<fvhost::ClassificationItem>& items) {
  std::string xml;
  for (const fvhost::ClassificationItem& item : items)
    xml += "<Item id=\"" + XmlText(item.id) + "\" name=\"" + XmlText(item.name) + "\">" + Items(item.children) +
           "</Item>";
  return xml;
}

}  // namespace configuration_xml

inline std::string ConfigurationXml(const fvhost::Project& project) {
  namespace cx = configuration_xml;
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Configuration>\n<ClassificationSystems>\n";
  for (const fvhost::ClassificationSystem& system : project.classificationSystems) {
    xml += "<ClassificationSystem name=\"" + XmlText(system.name) + "\"";
    if (!system.version.empty()) xml += " version=\"" + XmlText(system.version) + "\"";
    xml += ">" + cx::Items(system.items) + "</ClassificationSystem>\n";
  }
  xml += "</ClassificationSystems>\n<PropertyGroups>\n";
  for (const fvhost::Group& group : project.groups) {
    xml += "<PropertyGroup name=\"" + XmlText(group.name) + "\"";
    if (!group.description.empty()) xml += " description=\"" + XmlText(group.description) + "\"";
    xml += ">\n";
    for (const fvhost::Definition& d : project.definitions)
      if (d.group == group.guid) xml += cx::Definition(d);
    xml += "</PropertyGroup>\n";
  }
  return xml + "</PropertyGroups>\n</Configuration>\n";
}

}  // namespace testing_support
