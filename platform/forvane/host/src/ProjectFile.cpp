// Reading the project file: the JSON tree is checked and turned into the
// model in one pass; the first fault stops the reading with its place.
#include "ForvaneHost/ProjectFile.hpp"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <new>
#include <sstream>

#include "ForvaneHost/Fault.hpp"
#include "ProjectFileJson.hpp"
#include "ProjectFileWords.hpp"

namespace fvhost {
namespace {

using projectjson::ReadFault;
using projectjson::Place;
using Json = projectjson::Value;
using Kind = projectjson::Value::Kind;
namespace words = projectwords;

std::string PlaceText(Place p) { return "line " + std::to_string(p.line) + ", column " + std::to_string(p.column); }

std::string Describe(const Json& v) {
  switch (v.kind) {
    case Kind::String: return "the string " + Quoted(v.text);
    case Kind::Number: return "the number " + v.text;
    case Kind::Boolean: return v.boolean ? "true" : "false";
    default: return projectjson::KindName(v.kind);
  }
}

void CheckKeys(const Json& object, std::initializer_list<std::string_view> allowed, const std::string& what) {
  for (const auto& m : object.members) {
    bool known = false;
    std::string list;
    for (std::string_view word : allowed) {
      known = known || m.key == word;
      if (!list.empty()) list += ", ";
      list += word;
    }
    if (!known) throw ReadFault(m.keyPlace, "unknown key " + Quoted(m.key) + " in " + what + " (allowed: " + list + ")");
  }
}

void NeedKind(const Json& v, Kind kind, std::string_view key) {
  if (!v.Is(kind))
    throw ReadFault(v.place, Quoted(std::string(key)) + " must be " + projectjson::KindName(kind) + ", not " +
                             projectjson::KindName(v.kind));
}

const Json& NeedObject(const Json& v, const std::string& what) {
  if (!v.Is(Kind::Object)) throw ReadFault(v.place, what + " must be an object, not " + projectjson::KindName(v.kind));
  return v;
}

const Json& Need(const Json& object, std::string_view key, const std::string& what) {
  const Json* v = object.Find(key);
  if (!v) throw ReadFault(object.place, what + " needs " + Quoted(std::string(key)));
  return *v;
}

std::string NeedText(const Json& object, std::string_view key, const std::string& what) {
  const Json& v = Need(object, key, what);
  NeedKind(v, Kind::String, key);
  return v.text;
}

std::string OptionalText(const Json& object, std::string_view key) {
  const Json* v = object.Find(key);
  if (!v) return {};
  NeedKind(*v, Kind::String, key);
  return v->text;
}

const Json* OptionalArray(const Json& object, std::string_view key) {
  const Json* v = object.Find(key);
  if (v) NeedKind(*v, Kind::Array, key);
  return v;
}

std::int32_t WordCode(const Json& object, std::string_view key, std::span<const words::Word> table,
                      std::int32_t fallback) {
  const Json* v = object.Find(key);
  if (!v) return fallback;
  NeedKind(*v, Kind::String, key);
  std::int32_t code = fallback;
  if (!words::CodeFor(table, v->text, code))
    throw ReadFault(v->place, "unknown " + std::string(key) + " " + Quoted(v->text) + " (allowed: " +
                              words::WordList(table) + ")");
  return code;
}

bool IsWholeNumber(const std::string& literal) { return literal.find_first_of(".eE") == std::string::npos; }

// One value of a definition's type, as the file writes it.
Value ReadTyped(const Json& v, std::int32_t valueType) {
  Value out;
  out.type = valueType;
  switch (valueType) {
    case API_VariantInteger: {
      std::int64_t number = 0;
      const char* end = v.text.data() + v.text.size();
      // A number past the 64-bit range leaves `number` as it was: only the error tells.
      const auto parsed = std::from_chars(v.text.data(), end, number);
      const bool whole = v.Is(Kind::Number) && IsWholeNumber(v.text) && parsed.ec == std::errc() &&
                         parsed.ptr == end && number >= INT32_MIN && number <= INT32_MAX;
      if (!whole) throw ReadFault(v.place, "expected an integer (from -2147483648 to 2147483647), not " + Describe(v));
      out.intValue = static_cast<std::int32_t>(number);
      break;
    }
    case API_VariantReal: {
      if (!v.Is(Kind::Number)) throw ReadFault(v.place, "expected a number, not " + Describe(v));
      const char* end = v.text.data() + v.text.size();
      const auto result = std::from_chars(v.text.data(), end, out.realValue);
      if (result.ec != std::errc() || result.ptr != end || !std::isfinite(out.realValue))
        throw ReadFault(v.place, "the number " + v.text + " is out of range");
      break;
    }
    case API_VariantString:
      if (!v.Is(Kind::String)) throw ReadFault(v.place, "expected a string, not " + Describe(v));
      out.text = v.text;
      break;
    case API_VariantBoolean:
      if (!v.Is(Kind::Boolean)) throw ReadFault(v.place, "expected true or false, not " + Describe(v));
      out.boolValue = v.boolean;
      break;
    default:
      throw ReadFault(v.place, "a value of an unknown type");
  }
  return out;
}

class ProjectReader {
 public:
  Project Read(const Json& root) {
    NeedObject(root, "the project");
    CheckKeys(root, {"format", "version", "classificationSystems", "propertyGroups", "elements"}, "the project");
    ReadHeader(root);
    if (const Json* systems = OptionalArray(root, "classificationSystems"))
      for (const Json& s : systems->items) ReadSystem(s);
    if (const Json* groups = OptionalArray(root, "propertyGroups"))
      for (const Json& g : groups->items) ReadGroup(g);
    if (const Json* elements = OptionalArray(root, "elements"))
      for (const Json& e : elements->items) ReadElement(e);
    return std::move(project_);
  }

 private:
  static void ReadHeader(const Json& root) {
    const Json& format = Need(root, "format", "the project");
    if (!format.Is(Kind::String) || format.text != "forvane-project")
      throw ReadFault(format.place, "\"format\" must be \"forvane-project\" (this is not a project file)");
    const Json& version = Need(root, "version", "the project");
    if (!version.Is(Kind::Number) || version.text != "1")
      throw ReadFault(version.place, "unsupported \"version\" " + Describe(version) + " (this host reads version 1)");
  }

  // A guid as written, or a new one where the file leaves it out.
  Guid ReadGuid(const Json* v) {
    if (!v) return NewGuid();
    NeedKind(*v, Kind::String, "guid");
    Guid guid;
    if (!ParseGuid(v->text, guid) || guid.IsNull())
      throw ReadFault(v->place, "malformed guid " + Quoted(v->text) + " (expected 8-4-4-4-12 hexadecimal digits, not all zero)");
    const auto [seen, added] = guidPlaces_.emplace(GuidText(guid), v->place);
    if (!added) throw ReadFault(v->place, "duplicate guid " + Quoted(v->text) + " (first at " + PlaceText(seen->second) + ")");
    return guid;
  }

  void ReadSystem(const Json& v) {
    const std::string what = "a classification system";
    NeedObject(v, what);
    CheckKeys(v, {"guid", "name", "version", "items"}, what);
    ClassificationSystem system;
    system.guid = ReadGuid(v.Find("guid"));
    system.name = NeedText(v, "name", what);
    for (const auto& other : project_.classificationSystems)
      if (other.name == system.name)
        throw ReadFault(Need(v, "name", what).place, "duplicate classification system " + Quoted(system.name));
    system.version = OptionalText(v, "version");
    if (const Json* items = OptionalArray(v, "items"))
      for (const Json& item : items->items) system.items.push_back(ReadItem(item));
    project_.classificationSystems.push_back(std::move(system));
  }

  ClassificationItem ReadItem(const Json& v) {
    const std::string what = "a classification item";
    NeedObject(v, what);
    CheckKeys(v, {"guid", "id", "name", "children"}, what);
    ClassificationItem item;
    item.guid = ReadGuid(v.Find("guid"));
    item.id = NeedText(v, "id", what);
    const Json& id = Need(v, "id", what);
    if (item.id.empty()) throw ReadFault(id.place, "a classification item needs a non-empty \"id\"");
    const auto [seen, added] = itemPlaces_.emplace(item.id, id.place);
    if (!added)
      throw ReadFault(id.place, "duplicate classification item " + Quoted(item.id) + " (first at " + PlaceText(seen->second) + ")");
    item.name = v.Find("name") ? OptionalText(v, "name") : item.id;
    if (const Json* children = OptionalArray(v, "children"))
      for (const Json& child : children->items) item.children.push_back(ReadItem(child));
    return item;
  }

  void CheckItem(const Json& v) const {
    if (!v.Is(Kind::String)) throw ReadFault(v.place, "a classification item id must be a string, not " + Describe(v));
    if (!itemPlaces_.count(v.text)) throw ReadFault(v.place, "unknown classification item " + Quoted(v.text));
  }

  void ReadGroup(const Json& v) {
    const std::string what = "a property group";
    NeedObject(v, what);
    CheckKeys(v, {"guid", "name", "description", "groupType", "definitions"}, what);
    Group group;
    group.guid = ReadGuid(v.Find("guid"));
    group.name = NeedText(v, "name", what);
    const Json& name = Need(v, "name", what);
    if (group.name.empty()) throw ReadFault(name.place, "a property group needs a non-empty \"name\"");
    if (groupsByName_.count(group.name)) throw ReadFault(name.place, "duplicate property group " + Quoted(group.name));
    group.description = OptionalText(v, "description");
    group.groupType = WordCode(v, "groupType", words::kDefinitionTypes, API_CustomDefinition);
    groupsByName_[group.name] = group.guid;
    project_.groups.push_back(group);
    if (const Json* definitions = OptionalArray(v, "definitions"))
      for (const Json& d : definitions->items) ReadDefinition(d, group);
  }

  void ReadDefinition(const Json& v, const Group& group) {
    const std::string what = "a property definition";
    NeedObject(v, what);
    CheckKeys(v,
              {"guid", "name", "description", "definitionType", "collectionType", "valueType", "measureType",
               "options", "default", "availableFor", "editable"},
              what);
    Definition d;
    d.guid = ReadGuid(v.Find("guid"));
    d.group = group.guid;
    d.name = NeedText(v, "name", what);
    const Json& name = Need(v, "name", what);
    if (d.name.empty()) throw ReadFault(name.place, "a property definition needs a non-empty \"name\"");
    if (!definitions_.emplace(std::make_pair(group.name, d.name), project_.definitions.size()).second)
      throw ReadFault(name.place, "duplicate property definition " + Quoted(d.name) + " in group " + Quoted(group.name));
    d.description = OptionalText(v, "description");
    d.definitionType = WordCode(v, "definitionType", words::kDefinitionTypes, API_CustomDefinition);
    d.collectionType = WordCode(v, "collectionType", words::kCollectionTypes, API_SingleCollection);
    d.valueType = WordCode(v, "valueType", words::kValueTypes, API_VariantString);
    d.measureType = WordCode(v, "measureType", words::kMeasureTypes, API_MeasureDefault);
    ReadOptions(v, d);
    ReadDefault(v.Find("default"), d);
    if (const Json* items = OptionalArray(v, "availableFor"))
      for (const Json& item : items->items) {
        CheckItem(item);
        d.availableFor.push_back(item.text);
      }
    if (const Json* editable = v.Find("editable")) {
      NeedKind(*editable, Kind::Boolean, "editable");
      d.editable = editable->boolean;
    }
    project_.definitions.push_back(std::move(d));
  }

  void ReadOptions(const Json& v, Definition& d) {
    const Json* options = OptionalArray(v, "options");
    if (!options) {
      if (words::IsChoice(d.collectionType)) throw ReadFault(v.place, "a choice definition needs \"options\"");
      return;
    }
    for (const Json& entry : options->items) {
      Option o;
      if (entry.Is(Kind::Object)) {
        CheckKeys(entry, {"key", "value", "nonLocalized"}, "an option");
        o.key = ReadGuid(entry.Find("key"));
        o.display = ReadTyped(Need(entry, "value", "an option"), d.valueType);
        if (entry.Find("nonLocalized")) {
          o.hasNonLocalized = true;
          o.nonLocalized = OptionalText(entry, "nonLocalized");
        }
      } else {
        o.key = ReadGuid(nullptr);
        o.display = ReadTyped(entry, d.valueType);
      }
      for (const Option& earlier : d.options)
        if (earlier.display == o.display)
          throw ReadFault(entry.place, "duplicate option in " + Quoted(d.name) + " (choices are found by their display value)");
      d.options.push_back(std::move(o));
    }
  }

  // An option's key, found by its display value as the file writes it.
  static Value ChoiceKey(const Json& v, const Definition& d) {
    const Value display = ReadTyped(v, d.valueType);
    for (const Option& o : d.options)
      if (o.display == display) {
        Value key;
        key.type = API_VariantGuid;
        key.guid = o.key;
        return key;
      }
    std::string list;
    for (const Option& o : d.options) list += (list.empty() ? "" : ", ") + OptionText(o.display);
    throw ReadFault(v.place, OptionText(display) + " is not an option of " + Quoted(d.name) + " (options: " + list + ")");
  }

  static std::string OptionText(const Value& display) {
    switch (display.type) {
      case API_VariantInteger: return std::to_string(display.intValue);
      case API_VariantReal: {
        char buffer[32];
        const auto r = std::to_chars(buffer, buffer + sizeof buffer, display.realValue);
        return std::string(buffer, r.ptr);
      }
      case API_VariantBoolean: return display.boolValue ? "true" : "false";
      default: return Quoted(display.text);
    }
  }

  // A value of the definition's collection: one value or option, or an array of them.
  static void ReadValuePart(const Json& given, const Definition& d, PropertyValue& out) {
    out.single = words::BlankValue(d);
    const bool choice = words::IsChoice(d.collectionType);
    if (!words::IsList(d.collectionType)) {
      out.single = choice ? ChoiceKey(given, d) : ReadTyped(given, d.valueType);
      return;
    }
    if (!given.Is(Kind::Array)) throw ReadFault(given.place, "a list of values must be an array, not " + Describe(given));
    for (const Json& item : given.items) out.list.push_back(choice ? ChoiceKey(item, d) : ReadTyped(item, d.valueType));
  }

  // A default names its value by the definition's collection, so that a
  // reader of the file sees at once whether it is a value or an option.
  static const Json* DefaultValuePart(const Json& v, const Definition& d) {
    static constexpr std::string_view kKeyFor[] = {"", "value", "values", "choice", "choices"};
    const std::string_view wanted = kKeyFor[d.collectionType];
    for (std::string_view key : {"value", "values", "choice", "choices"})
      if (key != wanted && v.Find(key))
        throw ReadFault(v.Find(key)->place, "a " + std::string(words::WordFor(words::kCollectionTypes, d.collectionType)) +
                                            " definition takes " + Quoted(std::string(wanted)) + ", not " +
                                            Quoted(std::string(key)));
    return v.Find(wanted);
  }

  static void ReadDefault(const Json* v, Definition& d) {
    d.defaultValue.single = words::BlankValue(d);
    d.defaultValue.status = API_ValueUndefined;
    if (!v) return;
    NeedObject(*v, "\"default\"");
    CheckKeys(*v, {"value", "values", "choice", "choices", "expressions", "status"}, "a default");
    const Json* given = DefaultValuePart(*v, d);
    if (given) ReadValuePart(*given, d, d.defaultValue);
    const bool hasValue = given != nullptr;
    d.defaultValue.status = WordCode(*v, "status", words::kStatuses, hasValue ? API_ValueNormal : API_ValueUndefined);
    if (const Json* expressions = OptionalArray(*v, "expressions")) {
      d.hasExpression = true;
      for (const Json& e : expressions->items) {
        NeedKind(e, Kind::String, "expressions");
        d.expressions.push_back(e.text);
      }
    }
  }

  void ReadElement(const Json& v) {
    const std::string what = "an element";
    NeedObject(v, what);
    CheckKeys(v, {"guid", "type", "classifications", "link", "values"}, what);
    auto element = std::make_shared<Element>();
    element->guid = ReadGuid(v.Find("guid"));
    element->type = OptionalText(v, "type");
    if (const Json* classifications = OptionalArray(v, "classifications"))
      for (const Json& item : classifications->items) {
        CheckItem(item);
        element->classifications.push_back(item.text);
      }
    if (const Json* link = v.Find("link"); link && !link->Is(Kind::Null)) {
      NeedKind(*link, Kind::String, "link");
      if (!ParseGuid(link->text, element->link))
        throw ReadFault(link->place, "malformed link guid " + Quoted(link->text) + " (expected 8-4-4-4-12 hexadecimal digits)");
    }
    if (const Json* values = OptionalArray(v, "values"))
      for (const Json& value : values->items) ReadElementValue(value, *element);
    project_.elements.push_back(std::move(element));
  }

  void ReadElementValue(const Json& v, Element& element) const {
    const std::string what = "an element value";
    NeedObject(v, what);
    CheckKeys(v, {"group", "property", "value", "status"}, what);
    const std::string group = NeedText(v, "group", what);
    const std::string property = NeedText(v, "property", what);
    if (!groupsByName_.count(group)) throw ReadFault(Need(v, "group", what).place, "unknown property group " + Quoted(group));
    const auto found = definitions_.find({group, property});
    if (found == definitions_.end())
      throw ReadFault(Need(v, "property", what).place, "unknown property " + Quoted(property) + " in group " + Quoted(group));
    const Definition& d = project_.definitions[found->second];
    for (const ElementValue& earlier : element.values)
      if (earlier.definition == d.guid)
        throw ReadFault(v.place, "the element already has a value of " + Quoted(group + "/" + property));
    ElementValue ev;
    ev.definition = d.guid;
    ev.value.single = words::BlankValue(d);
    if (const Json* given = v.Find("value")) ReadValuePart(*given, d, ev.value);
    ev.value.status = WordCode(v, "status", words::kStatuses, API_ValueNormal);
    if (!v.Find("value") && ev.value.status == API_ValueNormal) throw ReadFault(v.place, "an element value needs \"value\"");
    element.values.push_back(std::move(ev));
  }

  Project project_;
  std::map<std::string, Place> guidPlaces_;
  std::map<std::string, Place> itemPlaces_;
  std::map<std::string, Guid> groupsByName_;
  std::map<std::pair<std::string, std::string>, std::size_t> definitions_;
};

// The fault at `path`, as the one message the command line prints.
std::optional<Project> Refuse(std::string& error, const std::string& path, const std::string& what, long line = 0,
                              long column = 0) {
  error = Fault{what, fvhost::Place{path, line, column}}.Text();
  return std::nullopt;
}

}  // namespace

std::optional<Project> ParseProject(const std::string& json, const std::string& sourceName, std::string& error) {
  try {
    return ProjectReader().Read(projectjson::Parse(json));
  } catch (const ReadFault& fault) {
    return Refuse(error, sourceName, fault.what(), fault.place.line, fault.place.column);
  } catch (const std::bad_alloc&) {
    return Refuse(error, sourceName, "not enough memory to read the project");
  } catch (const std::exception& e) {
    return Refuse(error, sourceName, std::string("cannot read the project: ") + e.what());
  }
}

std::optional<Project> LoadProjectFile(const std::string& path, std::string& error) {
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) return Refuse(error, path, "is a folder, not a project file");
  std::ifstream in(path, std::ios::binary);
  if (!in) return Refuse(error, path, "cannot open the project file");
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) return Refuse(error, path, "cannot read the project file");
  return ParseProject(text.str(), path, error);
}

}  // namespace fvhost
