#include "Listing.hpp"

#include <ostream>
#include <sstream>
#include <string>

#include "ForvaneHost/DisplayText.hpp"

namespace fvcli {
namespace {

// The words of the project file, so that a listing reads like the file.
const char* ValueTypeWord(std::int32_t type) {
  switch (type) {
    case API_VariantInteger: return "integer";
    case API_VariantReal: return "real";
    case API_VariantString: return "string";
    case API_VariantBoolean: return "boolean";
    case API_VariantGuid: return "guid";
    default: return "undefined";
  }
}

const char* CollectionWord(std::int32_t collection) {
  switch (collection) {
    case API_SingleCollection: return "single";
    case API_ListCollection: return "list";
    case API_SingleChoiceCollection: return "singleChoice";
    case API_MultipleChoiceCollection: return "multipleChoice";
    default: return "unknown collection";
  }
}

const char* MeasureWord(std::int32_t measure) {
  switch (measure) {
    case API_MeasureDefault: return "default";
    case API_MeasureLength: return "length";
    case API_MeasureArea: return "area";
    case API_MeasureVolume: return "volume";
    case API_MeasureAngle: return "angle";
    default: return "unknown measure";
  }
}

template <class Items, class Show>
void Joined(std::ostream& out, const Items& items, Show show) {
  bool first = true;
  for (const auto& item : items) {
    if (!first) out << ", ";
    first = false;
    show(item);
  }
}

void ListItems(const std::vector<fvhost::ClassificationItem>& items, int depth, std::ostream& out) {
  for (const auto& item : items) {
    out << std::string(static_cast<std::size_t>(depth) * 2, ' ') << item.id << "  " << item.name << "\n";
    ListItems(item.children, depth + 1, out);
  }
}

void ListDefault(const fvhost::Definition& definition, std::ostream& out) {
  if (definition.hasExpression) {
    out << "; expressions ";
    Joined(out, definition.expressions, [&](const std::string& e) { out << "\"" << e << "\""; });
  } else if (definition.defaultValue.status == API_ValueNull) {
    out << "; default null";
  } else if (definition.defaultValue.status == API_ValueUndefined) {
    out << "; no default";
  } else {
    out << "; default \"" << fvhost::ValueDisplayText(definition, definition.defaultValue) << "\"";
  }
}

void DescribeDefinition(const fvhost::Definition& definition, std::ostream& out) {
  out << ValueTypeWord(definition.valueType) << ", "
      << MeasureWord(definition.measureType) << ", " << CollectionWord(definition.collectionType) << ", "
      << (definition.definitionType == API_StaticDefinition ? "static" : "custom");
  if (!definition.options.empty()) {
    out << "; options ";
    Joined(out, definition.options, [&](const fvhost::Option& o) { out << "\"" << OptionText(definition, o) << "\""; });
  }
  ListDefault(definition, out);
  out << "; available for ";
  if (definition.availableFor.empty()) out << "every element";
  Joined(out, definition.availableFor, [&](const std::string& id) { out << id; });
}

const fvhost::Definition* FindDefinition(const fvhost::Project& project, const fvhost::Guid& guid) {
  for (const auto& d : project.definitions)
    if (d.guid == guid) return &d;
  return nullptr;
}

void ListElement(const fvhost::Project& project, const fvhost::Element& element, std::ostream& out) {
  out << "  " << fvhost::GuidText(element.guid) << "  " << element.type << " [";
  Joined(out, element.classifications, [&](const std::string& id) { out << id; });
  out << "]";
  if (!element.link.IsNull()) out << " linked to " << fvhost::GuidText(element.link);
  out << "\n";
  for (const auto& value : element.values) {
    const fvhost::Definition* definition = FindDefinition(project, value.definition);
    if (definition == nullptr) {
      out << "    (unknown property " << fvhost::GuidText(value.definition) << ")\n";
      continue;
    }
    out << "    " << GroupName(project, definition->group) << "/" << definition->name << " = "
        << fvhost::ValueDisplayText(*definition, value.value) << "\n";
  }
}

}  // namespace

std::string OptionText(const fvhost::Definition& definition, const fvhost::Option& option) {
  fvhost::Value key;
  key.type = API_VariantGuid;
  key.guid = option.key;
  fvhost::PropertyValue chosen;
  if (definition.collectionType == API_MultipleChoiceCollection)
    chosen.list.push_back(key);
  else
    chosen.single = key;
  return fvhost::ValueDisplayText(definition, chosen);
}

std::string DefinitionText(const fvhost::Definition& definition) {
  std::ostringstream text;
  DescribeDefinition(definition, text);
  return text.str();
}

std::string GroupName(const fvhost::Project& project, const fvhost::Guid& group) {
  for (const auto& g : project.groups)
    if (g.guid == group) return g.name;
  return "?";
}

void ListProject(const fvhost::Project& project, std::ostream& out) {
  out << "Classification systems:\n";
  for (const auto& system : project.classificationSystems) {
    out << "  " << system.name << " (version " << system.version << ")\n";
    ListItems(system.items, 2, out);
  }
  out << "Property groups:\n";
  for (const auto& group : project.groups) {
    out << "  " << group.name << "\n";
    for (const auto& definition : project.definitions)
      if (definition.group == group.guid) out << "    " << definition.name << ": " << DefinitionText(definition) << "\n";
  }
  out << "Elements:\n";
  for (const auto& element : project.elements) ListElement(project, *element, out);
}

void ListMenus(const fvhost::Host& host, std::ostream& out) {
  for (const auto& menu : host.menus()) {
    out << menu.title << "\n";
    for (const auto& item : menu.items) {
      out << "  " << item.text;
      if (!item.icon.empty()) out << "  (icon " << item.icon << ")";
      out << "\n";
    }
  }
}

void PrintSessionReport(const std::vector<std::string>& lines, std::ostream& out, const std::string& indent) {
  out << "Session Report:\n";
  if (lines.empty()) out << indent << "(empty)\n";
  for (const auto& line : lines) out << indent << line << "\n";
}

}  // namespace fvcli
