#include "Convert.hpp"

#include <array>

#include "Lookup.hpp"

namespace fvhost::convert {

Corbane::UniString ToUni(const std::string& text) {
  return Corbane::UniString(text.data(), static_cast<Corbane::UIndex>(text.size()), Corbane::CC_UTF8);
}

std::string ToUtf8(const Corbane::UniString& text) {
  Corbane::CStr narrow = text.ToCStr();
  return std::string(narrow.Get(), narrow.GetLength());
}

API_Variant ToApi(const Value& value) {
  API_Variant variant;
  variant.type = value.type;
  variant.intValue = value.intValue;
  variant.doubleValue = value.realValue;
  variant.boolValue = value.boolValue;
  variant.uniStringValue = ToUni(value.text);
  variant.guidValue = value.guid;
  return variant;
}

Value FromApi(const API_Variant& variant) {
  Value value;
  value.type = variant.type;
  switch (variant.type) {
    case API_VariantInteger: value.intValue = variant.intValue; break;
    case API_VariantReal: value.realValue = variant.doubleValue; break;
    case API_VariantString: value.text = ToUtf8(variant.uniStringValue); break;
    case API_VariantBoolean: value.boolValue = variant.boolValue; break;
    case API_VariantGuid: value.guid = variant.guidValue; break;
    default: break;
  }
  return value;
}

API_PropertyValue ToApi(const PropertyValue& value) {
  API_PropertyValue out;
  out.singleVariant = ToApi(value.single);
  for (const auto& item : value.list) out.listVariant.Push(ToApi(item));
  out.variantStatus = value.status;
  return out;
}

PropertyValue FromApi(const API_PropertyValue& value) {
  PropertyValue out;
  out.single = FromApi(value.singleVariant);
  for (const auto& item : value.listVariant) out.list.push_back(FromApi(item));
  out.status = value.variantStatus;
  return out;
}

API_PropertyGroup ToApi(const Group& group) {
  API_PropertyGroup out;
  out.guid = group.guid;
  out.groupType = group.groupType;
  out.name = ToUni(group.name);
  out.description = ToUni(group.description);
  return out;
}

API_PropertyDefinition ToApi(const Project& project, const Definition& definition) {
  API_PropertyDefinition out;
  out.guid = definition.guid;
  out.groupGuid = definition.group;
  out.name = ToUni(definition.name);
  out.description = ToUni(definition.description);
  out.definitionType = definition.definitionType;
  out.collectionType = definition.collectionType;
  out.valueType = definition.valueType;
  out.measureType = definition.measureType;
  out.defaultValue.hasExpression = definition.hasExpression;
  for (const auto& expression : definition.expressions) out.defaultValue.propertyExpressions.Push(ToUni(expression));
  out.defaultValue.basicValue = ToApi(definition.defaultValue);
  for (const auto& option : definition.options) {
    API_SingleEnumerationVariant variant;
    variant.keyVariant.type = API_VariantGuid;
    variant.keyVariant.guidValue = option.key;
    variant.displayVariant = ToApi(option.display);
    variant.hasNonLocalizedValue = option.hasNonLocalized;
    variant.nonLocalizedValue = ToUni(option.nonLocalized);
    out.possibleEnumValues.Push(variant);
  }
  for (const auto& id : definition.availableFor)
    if (const auto* item = lookup::ItemById(project, id)) out.availability.Push(item->guid);
  out.canValueBeEditable = definition.editable;
  return out;
}

HostError FromApi(const Project& project, const API_PropertyDefinition& record, Definition& out) {
  Definition definition;
  definition.guid = record.guid;
  definition.group = record.groupGuid;
  definition.name = ToUtf8(record.name);
  definition.description = ToUtf8(record.description);
  definition.definitionType = record.definitionType;
  definition.collectionType = record.collectionType;
  definition.valueType = record.valueType;
  definition.measureType = record.measureType;
  definition.hasExpression = record.defaultValue.hasExpression;
  for (const auto& expression : record.defaultValue.propertyExpressions) definition.expressions.push_back(ToUtf8(expression));
  definition.defaultValue = FromApi(record.defaultValue.basicValue);
  for (const auto& variant : record.possibleEnumValues) {
    Option option;
    option.key = variant.keyVariant.guidValue;
    option.display = FromApi(variant.displayVariant);
    option.hasNonLocalized = variant.hasNonLocalizedValue;
    option.nonLocalized = ToUtf8(variant.nonLocalizedValue);
    definition.options.push_back(option);
  }
  for (const auto& guid : record.availability) {
    const auto* item = lookup::ItemByGuid(project, guid);
    if (item == nullptr) return FvErr_BadId;
    definition.availableFor.push_back(item->id);
  }
  definition.editable = record.canValueBeEditable;
  out = std::move(definition);
  return FvErr_NoError;
}

std::int32_t ElementTypeId(const std::string& type) {
  static const std::array<const char*, 16> known = {"Wall",  "Column", "Beam",   "Window", "Door",    "Object",
                                                    "Lamp",  "Slab",   "Roof",   "Mesh",   "Zone",    "CurtainWall",
                                                    "Shell", "Stair",  "Railing", "Opening"};
  for (std::size_t i = 0; i < known.size(); ++i)
    if (type == known[i]) return static_cast<std::int32_t>(i + 1);
  return 99;  // any other type
}

}  // namespace fvhost::convert
