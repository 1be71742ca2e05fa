// Operations on elements and the values of their properties.
#include <algorithm>

#include "Checks.hpp"
#include "ForvaneHost/DisplayText.hpp"
#include "OperationSupport.hpp"
#include "Operations.hpp"

namespace fvhost::ops {

Availability::Availability(const Project& project, const Element& element) {
  for (const auto& id : element.classifications) {
    items_.push_back(id);  // an id that no system holds still matches itself
    for (auto& above : lookup::ItemAndAncestors(project, id)) items_.push_back(std::move(above));
  }
}

bool Availability::Allows(const Definition& definition) const {
  if (definition.availableFor.empty()) return true;
  return std::any_of(definition.availableFor.begin(), definition.availableFor.end(), [&](const std::string& id) {
    return std::find(items_.begin(), items_.end(), id) != items_.end();
  });
}

namespace {

const ElementValue* UserValue(const Element& element, const Guid& definition) {
  for (const auto& value : element.values)
    if (value.definition == definition) return &value;
  return nullptr;
}

std::int32_t TypeIdOf(const API_ElemType* type) { return type ? type->typeID : 0; }

// The element's type as a header gives it: its type id and the guid of its
// first classification item (null without one).
bool IsOfType(const Project& project, const Element& element, const API_ElemType& type) {
  if (type.typeID != 0 && convert::ElementTypeId(element.type) != type.typeID) return false;
  if (type.classificationID.IsNull()) return true;
  if (element.classifications.empty()) return false;
  const auto* item = lookup::ItemById(project, element.classifications.front());
  return item != nullptr && item->guid == type.classificationID;
}

// A value as the definition's collection keeps it: one variant or a list, never both.
PropertyValue StoredForm(const Definition& definition, PropertyValue value) {
  bool isList = definition.collectionType == API_ListCollection ||
                definition.collectionType == API_MultipleChoiceCollection;
  if (isList)
    value.single = Value{};
  else
    value.list.clear();
  return value;
}

// What a value shows needs only these parts of the record's definition.
Definition DisplayDefinition(const API_PropertyDefinition& record) {
  Definition definition;
  definition.collectionType = record.collectionType;
  definition.valueType = record.valueType;
  definition.measureType = record.measureType;
  for (const auto& variant : record.possibleEnumValues) {
    Option option;
    option.key = variant.keyVariant.guidValue;
    option.display = convert::FromApi(variant.displayVariant);
    definition.options.push_back(option);
  }
  return definition;
}

HostError StoreValue(Project& project, std::size_t elementIndex, const Definition& definition,
                     const ElementPropertyRecord& property) {
  const ElementValue* present = UserValue(*project.elements[elementIndex], definition.guid);
  if (property.isDefault) {
    if (present == nullptr) return FvErr_NoError;
    std::erase_if(project.MutableElement(elementIndex).values,
                  [&](const ElementValue& v) { return v.definition == definition.guid; });
    return FvErr_NoError;
  }
  PropertyValue value = StoredForm(definition, convert::FromApi(property.value));
  if (HostError unfit = checks::ValueFits(definition, value); unfit != FvErr_NoError) return unfit;
  Element& element = project.MutableElement(elementIndex);
  for (auto& v : element.values)
    if (v.definition == definition.guid) {
      v.value = std::move(value);
      return FvErr_NoError;
    }
  element.values.push_back({definition.guid, std::move(value)});
  return FvErr_NoError;
}

}  // namespace

HostError GetElemList(API_Token token, const API_ElemType* type, Corbane::Array<API_Guid>* elements,
                      std::int32_t filterFlags, const API_Guid* renovationFilter) {
  internal::HostState* host = internal::CurrentState();
  if (host == nullptr) return FvErr_General;
  return ThroughGate<FvSlot_GetElemList>(*host, {}, token, [&]() -> HostError {
    if (elements == nullptr) return FvErr_BadParameter;
    // This host has no type variations, element filters or renovation statuses.
    if ((type != nullptr && type->variationID != 0) || filterFlags != 0 ||
        (renovationFilter != nullptr && !renovationFilter->IsNull()))
      return FvErr_BadParameter;
    const Project& project = host->project;
    const API_ElemType wanted = type != nullptr ? *type : API_ElemType{};
    if (!wanted.classificationID.IsNull() && lookup::ItemByGuid(project, wanted.classificationID) == nullptr)
      return FvErr_BadId;
    elements->Clear();
    // One block of the right size, rather than doubling while the list fills
    // (the add-on's peak would otherwise hold the old and the new block at once).
    const bool every = TypeIdOf(type) == 0 && wanted.classificationID.IsNull();
    if (every) elements->Reserve(static_cast<Corbane::UIndex>(project.elements.size()));
    for (const auto& element : project.elements)
      if (every || IsOfType(project, *element, wanted)) elements->Push(element->guid);
    return FvErr_NoError;
  });
}

HostError GetElementHeader(API_Token token, API_ElementHeader* header, std::uint64_t mask) {
  internal::HostState* host = internal::CurrentState();
  if (host == nullptr) return FvErr_General;
  std::vector<std::string> subjects{GuidSubject(header ? &header->guid : nullptr)};
  return ThroughGate<FvSlot_GetElementHeader>(*host, subjects, token, [&]() -> HostError {
    if (mask != 0) return FvErr_BadParameter;  // only the whole header (mask 0) is offered
    const Project& project = host->project;
    std::size_t index = 0;
    if (HostError missing = FindElement(project, header ? &header->guid : nullptr, index); missing != FvErr_NoError)
      return missing;
    const Element& element = *project.elements[index];
    header->type = API_ElemType{};
    header->type.typeID = convert::ElementTypeId(element.type);
    if (!element.classifications.empty())
      if (const auto* item = lookup::ItemById(project, element.classifications.front()))
        header->type.classificationID = item->guid;
    header->linkGuid = element.link;
    header->layer = 0;
    header->floor = 0;
    return FvErr_NoError;
  });
}

HostError GetElementPropertyDefinitions(API_Token token, const API_Guid* elementGuid, std::int32_t filter,
                                        Corbane::Array<API_PropertyDefinition>* definitions) {
  internal::HostState* host = internal::CurrentState();
  if (host == nullptr) return FvErr_General;
  std::vector<std::string> subjects{GuidSubject(elementGuid)};
  return ThroughGate<FvSlot_GetElementPropertyDefinitions>(*host, subjects, token, [&]() -> HostError {
    if (filter != 0) return FvErr_BadParameter;  // only every available definition (filter 0) is offered
    const Project& project = host->project;
    std::size_t index = 0;
    if (HostError missing = FindElement(project, elementGuid, index); missing != FvErr_NoError) return missing;
    if (definitions == nullptr) return FvErr_BadParameter;
    Availability availability(project, *project.elements[index]);
    definitions->Clear();
    for (const auto& d : project.definitions)
      if (availability.Allows(d)) definitions->Push(convert::ToApi(project, d));
    return FvErr_NoError;
  });
}

HostError GetPropertyValue(API_Token token, const API_Guid* elementGuid, const API_Guid* definitionGuid,
                           ElementPropertyRecord* property) {
  internal::HostState* host = internal::CurrentState();
  if (host == nullptr) return FvErr_General;
  std::vector<std::string> subjects{GuidSubject(elementGuid), DefinitionSubject(host->project, definitionGuid)};
  return ThroughGate<FvSlot_GetPropertyValue>(*host, subjects, token, [&]() -> HostError {
    const Project& project = host->project;
    std::size_t elementIndex = 0, definitionIndex = 0;
    if (HostError missing = FindElement(project, elementGuid, elementIndex); missing != FvErr_NoError) return missing;
    if (HostError missing = FindDefinition(project, definitionGuid, definitionIndex); missing != FvErr_NoError)
      return missing;
    if (property == nullptr) return FvErr_BadParameter;
    const Element& element = *project.elements[elementIndex];
    const Definition& definition = project.definitions[definitionIndex];
    property->definition = convert::ToApi(project, definition);
    const ElementValue* userValue = UserValue(element, definition.guid);
    bool available = Availability(project, element).Allows(definition);
    property->status = available ? API_PropertyKnown : API_PropertyNotAvailable;
    property->isDefault = !(available && userValue);
    property->value = convert::ToApi(property->isDefault ? definition.defaultValue : userValue->value);
    return FvErr_NoError;
  });
}

HostError GetPropertyValueString(API_Token token, const ElementPropertyRecord* property, Corbane::UniString* text) {
  internal::HostState* host = internal::CurrentState();
  if (host == nullptr) return FvErr_General;
  std::vector<std::string> subjects{property ? convert::ToUtf8(property->definition.name) : std::string()};
  return ThroughGate<FvSlot_GetPropertyValueString>(*host, subjects, token, [&]() -> HostError {
    if (property == nullptr || text == nullptr) return FvErr_BadParameter;
    Definition definition = DisplayDefinition(property->definition);
    PropertyValue value = convert::FromApi(property->value);
    if (HostError unfit = checks::ValueFits(definition, value); unfit != FvErr_NoError) return unfit;
    *text = convert::ToUni(ValueDisplayText(definition, value));
    return FvErr_NoError;
  });
}

HostError SetProperty(API_Token token, const API_Guid* elementGuid, const ElementPropertyRecord* property) {
  internal::HostState* host = internal::CurrentState();
  if (host == nullptr) return FvErr_General;
  std::vector<std::string> subjects{GuidSubject(elementGuid),
                                    DefinitionSubject(host->project, property ? &property->definition.guid : nullptr)};
  return ThroughGate<FvSlot_SetProperty>(*host, subjects, token, [&]() -> HostError {
    if (HostError outside = RequireCommand<FvSlot_SetProperty>(*host); outside != FvErr_NoError) return outside;
    Project& project = host->project;
    std::size_t elementIndex = 0, definitionIndex = 0;
    if (HostError missing = FindElement(project, elementGuid, elementIndex); missing != FvErr_NoError) return missing;
    const API_Guid* definitionGuid = property ? &property->definition.guid : nullptr;
    if (HostError missing = FindDefinition(project, definitionGuid, definitionIndex); missing != FvErr_NoError)
      return missing;
    const Definition& definition = project.definitions[definitionIndex];
    if (!Availability(project, *project.elements[elementIndex]).Allows(definition)) return FvErr_NotAvailable;
    if (!definition.editable) return FvErr_ReadOnly;
    return AsHost([&] { return StoreValue(project, elementIndex, definition, *property); });
  });
}

}  // namespace fvhost::ops
