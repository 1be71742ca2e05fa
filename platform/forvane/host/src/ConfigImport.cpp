// The two configuration importers. Each reads and checks the whole document
// first, then builds the result on a copy of the project and swaps it in at
// the end, so a failed import leaves the project exactly as it was.
#include "ForvaneHost/ConfigImport.hpp"

#include <charconv>
#include <cmath>
#include <map>
#include <new>
#include <set>
#include <tuple>

#include "ConfigImportDocument.hpp"
#include "ProjectFileWords.hpp"

namespace fvhost {
const std::string& EmbeddedSchemaText();  // generated from the schema file at build time

namespace {

using config::AtLine;
namespace words = projectwords;

// ---- Classifications ----------------------------------------------------

ClassificationItem* FindItem(std::vector<ClassificationItem>& items, const std::string& id) {
  for (auto& item : items) {
    if (item.id == id) return &item;
    if (ClassificationItem* found = FindItem(item.children, id)) return found;
  }
  return nullptr;
}

void CollectItemIds(const std::vector<ClassificationItem>& items, std::set<std::string>& ids) {
  for (const auto& item : items) {
    ids.insert(item.id);
    CollectItemIds(item.children, ids);
  }
}

// Item ids are unique in a project: within the document, and against the
// items of the project's other systems.
class ItemIdCheck {
 public:
  explicit ItemIdCheck(const Project& project) {
    for (const auto& system : project.classificationSystems) {
      std::set<std::string> ids;
      CollectItemIds(system.items, ids);
      for (const auto& id : ids) ownerOf_[id] = system.name;
    }
  }

  bool Check(const config::System& system, Fault& fault) {
    for (const auto& item : system.items)
      if (!CheckItem(system, item, fault)) return false;
    return true;
  }

 private:
  bool CheckItem(const config::System& system, const config::Item& item, Fault& fault) {
    const auto [seen, added] = lines_.emplace(item.id, item.line);
    if (!added) {
      fault = AtLine(item.line, "duplicate classification item " + Quoted(item.id) + " (first at line " +
                                      std::to_string(seen->second) + ")");
      return false;
    }
    const auto owner = ownerOf_.find(item.id);
    if (owner != ownerOf_.end() && owner->second != system.name) {
      fault = AtLine(item.line, "classification item " + Quoted(item.id) +
                                      " already belongs to the classification system " + Quoted(owner->second));
      return false;
    }
    for (const auto& child : item.children)
      if (!CheckItem(system, child, fault)) return false;
    return true;
  }

  std::map<std::string, std::string> ownerOf_;
  std::map<std::string, long> lines_;
};

HostError CheckClassifications(const config::Document& doc, const Project& project, Fault& fault) {
  std::map<std::string, long> systemLines;
  ItemIdCheck items(project);
  for (const auto& system : doc.systems) {
    const auto [seen, added] = systemLines.emplace(system.name, system.line);
    if (!added) {
      fault = AtLine(system.line, "duplicate classification system " + Quoted(system.name) + " (first at line " +
                                        std::to_string(seen->second) + ")");
      return FvErr_NotOnSchema;
    }
    if (!items.Check(system, fault)) return FvErr_NotOnSchema;
  }
  return FvErr_NoError;
}

// An item the system has keeps its guid, its place and its other children;
// its name follows the document. A new item goes under its document parent.
// Items are found again by id after each change, because adding one may move
// the others in memory.
void MergeItem(ClassificationSystem& system, const config::Item& item, const std::string& parentId) {
  if (ClassificationItem* existing = FindItem(system.items, item.id)) {
    existing->name = item.name;
  } else {
    ClassificationItem added;
    added.guid = NewGuid();
    added.id = item.id;
    added.name = item.name;
    ClassificationItem* parent = parentId.empty() ? nullptr : FindItem(system.items, parentId);
    (parent ? parent->children : system.items).push_back(std::move(added));
  }
  for (const auto& child : item.children) MergeItem(system, child, item.id);
}

void MergeSystem(std::vector<ClassificationSystem>& systems, const config::System& from) {
  ClassificationSystem* system = nullptr;
  for (auto& s : systems)
    if (s.name == from.name) system = &s;
  if (!system) {
    ClassificationSystem added;
    added.guid = NewGuid();
    added.name = from.name;
    systems.push_back(std::move(added));
    system = &systems.back();
  }
  if (from.hasVersion) system->version = from.version;
  for (const auto& item : from.items) MergeItem(*system, item, "");
}

// ---- Properties ---------------------------------------------------------

std::string_view Trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

// A value written as text in the configuration; false when the text does
// not read as the type. Numbers may carry blanks around them and a leading '+'.
bool ReadValueText(std::string_view text, std::int32_t valueType, Value& out) {
  out = {};
  out.type = valueType;
  if (valueType == API_VariantString) {
    out.text = std::string(text);
    return true;
  }
  std::string_view t = Trimmed(text);
  if (valueType == API_VariantBoolean) {
    if (t == "true" || t == "True" || t == "1") out.boolValue = true;
    else if (t == "false" || t == "False" || t == "0") out.boolValue = false;
    else return false;
    return true;
  }
  if (t.size() > 1 && t[0] == '+' && t[1] != '-') t.remove_prefix(1);
  const char* end = t.data() + t.size();
  if (valueType == API_VariantInteger) {
    std::int64_t number = 0;
    const auto r = std::from_chars(t.data(), end, number);
    if (t.empty() || r.ec != std::errc() || r.ptr != end || number < INT32_MIN || number > INT32_MAX) return false;
    out.intValue = static_cast<std::int32_t>(number);
    return true;
  }
  const auto r = std::from_chars(t.data(), end, out.realValue);
  return !t.empty() && r.ec == std::errc() && r.ptr == end && std::isfinite(out.realValue);
}

const char* TypeWord(std::int32_t valueType) {
  switch (valueType) {
    case API_VariantInteger: return "an integer";
    case API_VariantReal: return "a number";
    case API_VariantBoolean: return "a boolean (true or false)";
    default: return "a string";
  }
}

// The stored form writes both braces of a reference as "###"; braces inside
// quoted strings are text and stay.
std::string StoredExpression(const std::string& text) {
  std::string out;
  bool inString = false;
  for (const char c : text) {
    if (c == '"') inString = !inString;
    if (!inString && (c == '{' || c == '}')) out += "###";
    else out.push_back(c);
  }
  return out;
}

// Option display values ordered as Value's equality compares them, so that
// a definition with many thousand options is checked and keyed in
// n log n, not n squared. Reals are finite here (ReadValueText).
using DisplayKey = std::tuple<std::int32_t, std::int32_t, double, bool, std::string, std::string>;
DisplayKey KeyOfDisplay(const Value& v) {
  return {v.type, v.intValue, v.realValue, v.boolValue, v.text,
          std::string(reinterpret_cast<const char*>(v.guid.bytes), sizeof v.guid.bytes)};
}

// A definition as the document asks for it, fully checked, with option
// display values; keys are given when it is put into the project.
struct PlannedDefinition {
  const config::Definition* source = nullptr;
  std::vector<Value> options;
  bool hasDefault = false;
  Value defaultValue;  // for a choice: the chosen option's display value
};

struct PlannedGroup {
  const config::Group* source = nullptr;
  std::vector<PlannedDefinition> definitions;
};

class PropertyPlanner {
 public:
  explicit PropertyPlanner(const Project& project) {
    for (const auto& system : project.classificationSystems) CollectItemIds(system.items, itemIds_);
  }

  HostError Plan(const config::Document& doc, std::vector<PlannedGroup>& out, Fault& fault) {
    std::map<std::string, long> groupLines;
    for (const auto& group : doc.groups) {
      const auto [seen, added] = groupLines.emplace(group.name, group.line);
      if (!added)
        return Fail(fault, group.line, "duplicate property group " + Quoted(group.name) + " (first at line " +
                                             std::to_string(seen->second) + ")");
      PlannedGroup planned{&group, {}};
      std::map<std::string, long> definitionLines;
      for (const auto& d : group.definitions) {
        const auto [earlier, fresh] = definitionLines.emplace(d.name, d.line);
        if (!fresh)
          return Fail(fault, d.line, "duplicate property definition " + Quoted(d.name) + " in group " +
                                           Quoted(group.name) + " (first at line " + std::to_string(earlier->second) + ")");
        PlannedDefinition definition;
        if (const HostError e = PlanDefinition(group, d, definition, fault); e != FvErr_NoError) return e;
        planned.definitions.push_back(std::move(definition));
      }
      out.push_back(std::move(planned));
    }
    return FvErr_NoError;
  }

 private:
  static HostError Fail(Fault& fault, long line, const std::string& what) {
    fault = AtLine(line, what);
    return FvErr_NotOnSchema;
  }

  HostError PlanDefinition(const config::Group& group, const config::Definition& d, PlannedDefinition& out,
                           Fault& fault) const {
    out.source = &d;
    const std::string where = Quoted(group.name + "/" + d.name);
    const bool choice = words::IsChoice(d.collectionType);
    if (choice && d.options.empty())
      return Fail(fault, d.line, where + " chooses from its options but has no Option");
    if (!choice && !d.options.empty())
      return Fail(fault, d.options.front().line,
                  where + " has options, but only a ...FromCollection definition chooses from options");
    std::set<DisplayKey> seen;
    for (const auto& option : d.options) {
      Value display;
      if (!ReadValueText(option.text, d.valueType, display))
        return Fail(fault, option.line, "the option " + Quoted(option.text) + " of " + where + " is not " +
                                              TypeWord(d.valueType));
      if (!seen.insert(KeyOfDisplay(display)).second)
        return Fail(fault, option.line, "duplicate option " + Quoted(option.text) + " in " + where);
      out.options.push_back(display);
    }
    if (d.hasDefault) {
      const auto& text = d.defaultValue;
      if (!ReadValueText(text.text, d.valueType, out.defaultValue))
        return Fail(fault, text.line, "the default value " + Quoted(text.text) + " of " + where + " is not " +
                                            TypeWord(d.valueType));
      bool isOption = false;
      for (const Value& option : out.options) isOption = isOption || option == out.defaultValue;
      if (choice && !isOption)
        return Fail(fault, text.line, "the default value " + Quoted(text.text) + " of " + where + " is not one of its options");
      out.hasDefault = true;
    }
    for (const auto& item : d.availableFor)
      if (!itemIds_.count(item.text))
        return Fail(fault, item.line, "AvailableFor names " + Quoted(item.text) + ", which is no classification item of the project");
    return FvErr_NoError;
  }

  std::set<std::string> itemIds_;
};

Value KeyValue(const Guid& key) {
  Value v;
  v.type = API_VariantGuid;
  v.guid = key;
  return v;
}

// Options whose display value is unchanged keep their keys, so that element
// values and defaults that point at them stay valid.
std::vector<Option> KeyedOptions(const std::vector<Option>& previous, const std::vector<Value>& displays) {
  std::multimap<DisplayKey, std::size_t> unused;  // earlier first among equal displays
  for (std::size_t i = 0; i < previous.size(); ++i) unused.emplace(KeyOfDisplay(previous[i].display), i);
  std::vector<Option> out;
  for (const Value& display : displays) {
    Option option;
    option.display = display;
    const DisplayKey key = KeyOfDisplay(display);
    const auto match = unused.lower_bound(key);
    if (match != unused.end() && match->first == key) {
      option = previous[match->second];
      unused.erase(match);
    }
    if (option.key.IsNull()) option.key = NewGuid();
    out.push_back(std::move(option));
  }
  return out;
}

Guid KeyOf(const Definition& d, const Value& display) {
  for (const Option& o : d.options)
    if (o.display == display) return o.key;
  return Guid{};
}

void Fill(Definition& d, const PlannedDefinition& planned) {
  const config::Definition& from = *planned.source;
  if (from.hasDescription) d.description = from.description;
  d.valueType = from.valueType;
  d.collectionType = from.collectionType;
  d.measureType = from.measureType;
  d.options = KeyedOptions(d.options, planned.options);
  d.hasExpression = !from.expressions.empty();
  d.expressions.clear();
  for (const auto& e : from.expressions) d.expressions.push_back(StoredExpression(e.text));
  d.defaultValue = {};
  d.defaultValue.single = words::BlankValue(d);
  d.defaultValue.status = API_ValueUndefined;
  if (planned.hasDefault) {
    const bool choice = words::IsChoice(d.collectionType);
    const Value value = choice ? KeyValue(KeyOf(d, planned.defaultValue)) : planned.defaultValue;
    if (words::IsList(d.collectionType)) d.defaultValue.list.push_back(value);
    else d.defaultValue.single = value;
    d.defaultValue.status = API_ValueNormal;
  }
  d.availableFor.clear();
  for (const auto& item : from.availableFor) d.availableFor.push_back(item.text);
}

bool HasOption(const Definition& d, const Value& key) {
  if (key.type != API_VariantGuid) return false;
  for (const Option& o : d.options)
    if (o.key == key.guid) return true;
  return false;
}

// An element value as it fits the changed definition, or false when it no
// longer fits: a changed value or collection type drops it; a choice loses
// the options that are gone (and the value, when none of its choices is left).
bool Refit(const Definition& before, const Definition& after, PropertyValue& value) {
  if (before.valueType != after.valueType || before.collectionType != after.collectionType) return false;
  if (!words::IsChoice(after.collectionType) || value.status != API_ValueNormal) return true;
  if (!words::IsList(after.collectionType)) return HasOption(after, value.single);
  const bool hadChoices = !value.list.empty();
  std::erase_if(value.list, [&](const Value& key) { return !HasOption(after, key); });
  return !(hadChoices && value.list.empty());
}

void RefitElementValues(Project& project, const Definition& before, const Definition& after) {
  for (std::size_t i = 0; i < project.elements.size(); ++i) {
    const auto& values = project.elements[i]->values;
    bool concerned = false;
    for (const auto& v : values) concerned = concerned || v.definition == after.guid;
    if (!concerned) continue;
    auto& element = project.MutableElement(i);
    std::erase_if(element.values, [&](ElementValue& v) { return v.definition == after.guid && !Refit(before, after, v.value); });
  }
}

Guid GroupFor(Project& project, const config::Group& from) {
  for (auto& g : project.groups)
    if (g.name == from.name) {
      if (from.hasDescription) g.description = from.description;
      return g.guid;
    }
  Group added;
  added.guid = NewGuid();
  added.name = from.name;
  added.description = from.description;
  project.groups.push_back(added);
  return added.guid;
}

std::string GuidKey(const Guid& guid) { return std::string(reinterpret_cast<const char*>(guid.bytes), sizeof guid.bytes); }

// Puts planned definitions into a project: a definition whose name exists in
// its group is updated in place; a new one goes after the last definition of
// its group (at the end for a group without any), in the document's order, so
// that a group's definitions stay together as the project file writes them.
// Lookups are indexed and the new definitions are placed in one pass at the
// end, so that a configuration of many thousand definitions takes time in
// proportion to its size.
class DefinitionPlacer {
 public:
  explicit DefinitionPlacer(Project& project) : project_(project) {
    for (std::size_t i = 0; i < project.definitions.size(); ++i) {
      const Definition& d = project.definitions[i];
      existing_.emplace(GuidKey(d.group) + d.name, i);
    }
  }

  void Put(const Guid& group, const PlannedDefinition& planned) {
    const auto found = existing_.find(GuidKey(group) + planned.source->name);
    if (found != existing_.end()) {
      Definition& d = project_.definitions[found->second];
      const Definition before = d;
      Fill(d, planned);
      RefitElementValues(project_, before, d);
      return;
    }
    Definition d;
    d.guid = NewGuid();
    d.group = group;
    d.name = planned.source->name;
    Fill(d, planned);
    auto [added, first] = added_.try_emplace(GuidKey(group));
    if (first) addedOrder_.push_back(GuidKey(group));
    added->second.push_back(std::move(d));
  }

  void Finish() {
    if (added_.empty()) return;
    std::map<std::string, std::size_t> lastOfGroup;
    for (std::size_t i = 0; i < project_.definitions.size(); ++i) lastOfGroup[GuidKey(project_.definitions[i].group)] = i;
    std::vector<Definition> placed;
    for (std::size_t i = 0; i < project_.definitions.size(); ++i) {
      const std::string group = GuidKey(project_.definitions[i].group);
      placed.push_back(std::move(project_.definitions[i]));
      if (lastOfGroup[group] == i) MoveAdded(group, placed);
    }
    for (const std::string& group : addedOrder_) MoveAdded(group, placed);
    project_.definitions = std::move(placed);
  }

 private:
  void MoveAdded(const std::string& group, std::vector<Definition>& placed) {
    const auto added = added_.find(group);
    if (added == added_.end()) return;
    for (Definition& d : added->second) placed.push_back(std::move(d));
    added_.erase(added);
  }

  Project& project_;
  std::map<std::string, std::size_t> existing_;  // group guid + name -> index
  std::map<std::string, std::vector<Definition>> added_;
  std::vector<std::string> addedOrder_;
};

HostError MergeClassifications(Project& project, std::string_view xml, Fault& fault) {
  config::Document doc;
  if (const HostError e = config::ReadDocument(xml, doc, fault); e != FvErr_NoError) return e;
  if (const HostError e = CheckClassifications(doc, project, fault); e != FvErr_NoError) return e;
  auto systems = project.classificationSystems;
  for (const auto& system : doc.systems) MergeSystem(systems, system);
  project.classificationSystems = std::move(systems);
  return FvErr_NoError;
}

HostError PutProperties(Project& project, std::string_view xml, Fault& fault) {
  config::Document doc;
  if (const HostError e = config::ReadDocument(xml, doc, fault); e != FvErr_NoError) return e;
  std::vector<PlannedGroup> plan;
  if (const HostError e = PropertyPlanner(project).Plan(doc, plan, fault); e != FvErr_NoError) return e;
  Project result = project;
  DefinitionPlacer placer(result);
  for (const auto& group : plan) {
    const Guid guid = GroupFor(result, *group.source);
    for (const auto& definition : group.definitions) placer.Put(guid, definition);
  }
  placer.Finish();
  project = std::move(result);
  return FvErr_NoError;
}

// Runs one importer; nothing thrown inside it gets out: it fails the import
// with General. `message` is the fault's text, empty on success.
HostError RunImporter(HostError (*importer)(Project&, std::string_view, Fault&), Project& project,
                      std::string_view xml, std::string& message) {
  Fault fault;
  HostError result = FvErr_General;
  try {
    result = importer(project, xml, fault);
  } catch (const std::bad_alloc&) {
    fault = Fault{"not enough memory to import the configuration", {}};
  } catch (const std::exception& e) {
    fault = Fault{std::string("the configuration cannot be imported: ") + e.what(), {}};
  }
  message = result == FvErr_NoError ? std::string() : fault.Text();
  return result;
}

}  // namespace

HostError ImportClassificationsXml(Project& project, std::string_view xml, std::string& message) {
  return RunImporter(&MergeClassifications, project, xml, message);
}

HostError ImportPropertiesXml(Project& project, std::string_view xml, std::string& message) {
  return RunImporter(&PutProperties, project, xml, message);
}

const std::string& ConfigurationSchema() { return EmbeddedSchemaText(); }

}  // namespace fvhost
