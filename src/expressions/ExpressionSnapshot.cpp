// Step 1 of the import run: save the expressions, option sets and default
// values of the IFC property definitions before their groups are deleted.
// Reads the project only.
#include "expressions/OptionText.hpp"
#include "expressions/SnapshotStore.hpp"
#include "host/HostApi.hpp"
#include "host/IfcGroup.hpp"
#include "host/Report.hpp"
#include "run/Config.hpp"

namespace quarnel {

using Corbane::UniString;

namespace {

// The display text of the option that the default points at; false when the
// default is not a known value or points at no option.
bool FindDefaultOptionText(const API_PropertyDefinition& definition, UniString& text) {
  const API_PropertyValue& defaultValue = definition.defaultValue.basicValue;
  if (defaultValue.variantStatus != API_ValueNormal) return false;
  for (const API_SingleEnumerationVariant& option : definition.possibleEnumValues) {
    if (option.keyVariant.guidValue == defaultValue.singleVariant.guidValue) {
      text = OptionDisplayText(option);
      return true;
    }
  }
  return false;
}

// A definition gives the store its expressions, or else its option set, or
// else its default value; never more than one of the three.
void SaveDefinition(const UniString& groupName, const API_PropertyDefinition& definition) {
  const UniString key = DefinitionKey(groupName, definition.name);
  const API_PropertyDefaultValue& defaultValue = definition.defaultValue;
  if (defaultValue.hasExpression) {
    savedExpressions.Add(key, defaultValue.propertyExpressions);
  } else if (definition.collectionType == API_SingleChoiceCollection) {
    savedOptionSets.Add(key, definition.possibleEnumValues);
    UniString defaultOptionText;
    if (FindDefaultOptionText(definition, defaultOptionText)) savedDefaultOptions.Add(key, defaultOptionText);
  } else if (defaultValue.basicValue.variantStatus != API_ValueUndefined) {
    savedDefaultValues.Add(DefaultValueKey(groupName, definition.name), defaultValue.basicValue);
  }
}

}  // namespace

Outcome Config::exportExpressions() {
  EmptySnapshotStore();

  Corbane::Array<API_PropertyDefinition> definitions;
  HostError error = host::GetPropertyDefinitions(APINullGuid, definitions);
  if (error != FvErr_NoError) {
    Report(error, "Export Expressions: GetPropertyDefinitions failed Error Code: %d");
    return 0;
  }

  bool anyGroupMissed = false;
  for (const API_PropertyDefinition& definition : definitions) {
    API_PropertyGroup group;
    group.guid = definition.groupGuid;
    error = host::GetPropertyGroup(group);
    if (error != FvErr_NoError) {
      Report(error, "Export Expressions: GetPropertyGroup for property ", Name(definition.name),
             " failed with Error Code : % d");
      anyGroupMissed = true;
      continue;
    }
    if (definition.definitionType == API_CustomDefinition && IsIfcGroupName(group.name))
      SaveDefinition(group.name, definition);
  }
  return anyGroupMissed ? 2 : 1;
}

}  // namespace quarnel
