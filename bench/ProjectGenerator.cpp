#include "ProjectGenerator.hpp"

#include <cstdio>
#include <memory>

namespace quarnel_bench {

namespace {

std::uint64_t Mix(std::uint64_t x) {
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}

const char* elementTypes[] = {"Wall", "Slab", "Door", "Window", "Space"};

fvhost::Definition MakeDefinition(const fvhost::Guid& group, int property, const std::string& name) {
  fvhost::Definition d;
  d.guid = fvhost::NewGuid();
  d.group = group;
  d.name = name;
  d.defaultValue.status = API_ValueUndefined;
  switch (KindOf(property)) {
    case PropertyKind::Text: d.valueType = API_VariantString; break;
    case PropertyKind::Integer: d.valueType = API_VariantInteger; break;
    case PropertyKind::Length: d.valueType = API_VariantReal; d.measureType = API_MeasureLength; break;
    case PropertyKind::Boolean: d.valueType = API_VariantBoolean; break;
    case PropertyKind::Area: d.valueType = API_VariantReal; d.measureType = API_MeasureArea; break;
    case PropertyKind::Angle: d.valueType = API_VariantReal; d.measureType = API_MeasureAngle; break;
    case PropertyKind::LengthList:
      d.valueType = API_VariantReal;
      d.measureType = API_MeasureLength;
      d.collectionType = API_ListCollection;
      break;
    case PropertyKind::Choice:
    case PropertyKind::MultipleChoice:
      d.valueType = API_VariantString;
      d.collectionType =
          KindOf(property) == PropertyKind::Choice ? API_SingleChoiceCollection : API_MultipleChoiceCollection;
      for (int o = 0; o < choiceOptionCount; ++o) {
        fvhost::Option option;
        option.key = fvhost::NewGuid();
        option.display.type = API_VariantString;
        option.display.text = std::string("Option ") + static_cast<char>('A' + o);
        d.options.push_back(option);
      }
      d.defaultValue.single.type = API_VariantGuid;
      break;
  }
  if (d.collectionType == API_SingleCollection) d.defaultValue.single.type = d.valueType;
  if (d.collectionType == API_ListCollection || d.collectionType == API_MultipleChoiceCollection) d.defaultValue.single = {};
  return d;
}

}  // namespace

std::string PropertyName(int property) {
  char name[32];
  std::snprintf(name, sizeof name, "Property%02d", property);
  return name;
}

PropertyKind KindOf(int propertyIndex) { return static_cast<PropertyKind>(propertyIndex % propertyKindCount); }

bool IsSet(const ProjectShape& shape, int element, int property) {
  const std::uint64_t h = Mix((static_cast<std::uint64_t>(element) << 20) ^ static_cast<std::uint64_t>(property));
  return static_cast<double>(h >> 11) * 0x1.0p-53 < shape.valueShare;
}

namespace {

int ChoiceOf(int element, int property) { return (element + property) % choiceOptionCount; }

fvhost::Value OptionKey(const fvhost::Definition& definition, int option) {
  fvhost::Value key;
  key.type = API_VariantGuid;
  key.guid = definition.options[static_cast<std::size_t>(option % choiceOptionCount)].key;
  return key;
}

fvhost::Value Real(double real) {
  fvhost::Value v;
  v.type = API_VariantReal;
  v.realValue = real;
  return v;
}

}  // namespace

fvhost::PropertyValue ValueOf(const fvhost::Definition& definition, int element, int property) {
  fvhost::PropertyValue value;
  fvhost::Value& v = value.single;
  switch (KindOf(property)) {
    case PropertyKind::Text:
      v.type = API_VariantString;
      v.text = (element % 7 == 0 ? "Rated, tested " : "Rated ") + std::to_string(element) + "-" + std::to_string(property);
      break;
    case PropertyKind::Integer: v.type = API_VariantInteger; v.intValue = element * 7 + property; break;
    case PropertyKind::Length: v = Real((element % 1000) * 0.001 + property * 0.25); break;
    case PropertyKind::Boolean: v.type = API_VariantBoolean; v.boolValue = (element + property) % 2 == 0; break;
    case PropertyKind::Area: v = Real(12.5 + (element % 97) / 3.0); break;
    case PropertyKind::Angle: v = Real((element % 360) * 0.0174532925199); break;
    case PropertyKind::Choice: v = OptionKey(definition, ChoiceOf(element, property)); break;
    case PropertyKind::MultipleChoice:  // one to three options
      for (int o = 0; o <= (element + property) % 3; ++o) value.list.push_back(OptionKey(definition, ChoiceOf(element, property) + 2 * o));
      break;
    case PropertyKind::LengthList:  // two or three lengths
      for (int i = 0; i < 2 + element % 2; ++i) value.list.push_back(Real((element % 500) * 0.002 + i * 0.4));
      break;
  }
  return value;
}

std::string GroupName(int group) {
  char name[32];
  std::snprintf(name, sizeof name, group % 2 == 0 ? "Pset_Bench%02d" : "SGPset_Bench%02d", group + 1);
  return name;
}

fvhost::Project GenerateProject(const ProjectShape& shape) {
  fvhost::Project project;
  int property = 0;
  for (int g = 0; g <= shape.ifcGroups; ++g) {
    const bool other = g == shape.ifcGroups;
    fvhost::Group group;
    group.guid = fvhost::NewGuid();
    group.name = other ? otherGroupName : GroupName(g);
    project.groups.push_back(group);
    const int count = other ? shape.otherProperties : shape.propertiesPerGroup;
    for (int p = 0; p < count; ++p, ++property)
      project.definitions.push_back(MakeDefinition(group.guid, property, PropertyName(property)));
  }
  project.elements.reserve(static_cast<std::size_t>(shape.elements));
  for (int e = 0; e < shape.elements; ++e) {
    auto element = std::make_shared<fvhost::Element>();
    element->guid = fvhost::NewGuid();
    element->type = elementTypes[e % 5];
    for (int p = 0; p < static_cast<int>(project.definitions.size()); ++p) {
      if (!IsSet(shape, e, p)) continue;
      const fvhost::Definition& d = project.definitions[static_cast<std::size_t>(p)];
      element->values.push_back({d.guid, ValueOf(d, e, p)});
    }
    project.elements.push_back(std::move(element));
  }
  return project;
}

}  // namespace quarnel_bench
