#include "Checks.hpp"

#include <algorithm>
#include <cmath>

#include "ForvaneHost/Expression.hpp"

namespace fvhost::checks {
namespace {

bool InRange(std::int32_t code, std::int32_t low, std::int32_t high) { return code >= low && code <= high; }

HostError VariantFits(const Value& value, std::int32_t valueType) {
  if (value.type != valueType) return FvErr_ValueDoesNotFit;
  if (valueType == API_VariantReal && !std::isfinite(value.realValue)) return FvErr_ValueDoesNotFit;
  return FvErr_NoError;
}

HostError OptionKeyFits(const Definition& definition, const Value& value) {
  if (value.type != API_VariantGuid) return FvErr_ValueDoesNotFit;
  bool known = std::any_of(definition.options.begin(), definition.options.end(),
                           [&](const Option& option) { return option.key == value.guid; });
  return known ? FvErr_NoError : FvErr_NotAnOption;
}

bool IsChoice(std::int32_t collectionType) {
  return collectionType == API_SingleChoiceCollection || collectionType == API_MultipleChoiceCollection;
}

HostError CheckCodes(const Definition& d) {
  bool inRange = InRange(d.definitionType, API_StaticDefinition, API_CustomDefinition) &&
                 InRange(d.collectionType, API_SingleCollection, API_MultipleChoiceCollection) &&
                 InRange(d.valueType, API_VariantInteger, API_VariantBoolean) &&
                 InRange(d.measureType, API_MeasureDefault, API_MeasureAngle);
  return inRange ? FvErr_NoError : FvErr_BadParameter;
}

HostError CheckName(const Project& project, const Definition& changed) {
  if (changed.name.empty()) return FvErr_BadParameter;
  for (const auto& other : project.definitions)
    if (other.group == changed.group && other.guid != changed.guid && other.name == changed.name)
      return FvErr_NameTaken;
  return FvErr_NoError;
}

HostError CheckOptions(Definition& changed) {
  for (auto& option : changed.options) {
    if (option.key.IsNull()) option.key = NewGuid();
    if (HostError fit = VariantFits(option.display, changed.valueType)) return fit;
  }
  for (std::size_t i = 0; i < changed.options.size(); ++i)
    for (std::size_t j = i + 1; j < changed.options.size(); ++j)
      if (changed.options[i].key == changed.options[j].key) return FvErr_BadParameter;
  return FvErr_NoError;
}

HostError CheckExpressions(const Project& project, const Definition& changed) {
  if (!changed.hasExpression) return FvErr_NoError;
  for (const auto& stored : changed.expressions)
    if (HostError bad = CheckExpression(project, ExpressionCheckForm(stored))) return bad;
  return FvErr_NoError;
}

}  // namespace

HostError ValueFits(const Definition& definition, const PropertyValue& value) {
  if (!InRange(value.status, API_ValueNull, API_ValueNormal)) return FvErr_BadParameter;
  if (value.status != API_ValueNormal) return FvErr_NoError;
  switch (definition.collectionType) {
    case API_SingleCollection: return VariantFits(value.single, definition.valueType);
    case API_SingleChoiceCollection: return OptionKeyFits(definition, value.single);
    case API_ListCollection:
      for (const auto& item : value.list)
        if (HostError fit = VariantFits(item, definition.valueType)) return fit;
      return FvErr_NoError;
    case API_MultipleChoiceCollection:
      for (const auto& item : value.list)
        if (HostError fit = OptionKeyFits(definition, item)) return fit;
      return FvErr_NoError;
    default: return FvErr_ValueDoesNotFit;
  }
}

HostError CheckChangedDefinition(const Project& project, Definition& changed) {
  if (HostError bad = CheckCodes(changed)) return bad;
  if (HostError bad = CheckName(project, changed)) return bad;
  if (!IsChoice(changed.collectionType)) changed.options.clear();  // options mean nothing there
  if (HostError bad = CheckOptions(changed)) return bad;
  if (HostError bad = CheckExpressions(project, changed)) return bad;
  // With an expression the basic value is not what the definition shows, so it is kept unchecked.
  if (changed.hasExpression) return FvErr_NoError;
  return ValueFits(changed, changed.defaultValue);
}

bool ChangeMayUnfitValues(const Definition& before, const Definition& after) {
  if (before.valueType != after.valueType || before.collectionType != after.collectionType) return true;
  if (!IsChoice(after.collectionType)) return false;
  // A removed option key leaves element values naming it without an option.
  for (const auto& option : before.options)
    if (std::none_of(after.options.begin(), after.options.end(), [&](const Option& o) { return o.key == option.key; }))
      return true;
  return false;
}

}  // namespace fvhost::checks
