// Step 1 of the import run: save the expressions, option sets and default
// values of the IFC property definitions before their groups are deleted.
// Reads the project only.
#include "expressions/OptionText.hpp"
#include "expressions/SnapshotStore.hpp"
#include "host/HostApi.hpp"
#include "host/IfcGroup.hpp"
#include "host/Report.hpp"
#include "run/Config.hpp"
#include "values/DataFile.hpp"

namespace quarnel {

using Corbane::Array;
using Corbane::UniString;

namespace {

const API_SingleEnumerationVariant* OptionOfKey(const API_PropertyDefinition& definition, const API_Variant& key) {
  for (const API_SingleEnumerationVariant& option : definition.possibleEnumValues)
    if (option.keyVariant.guidValue == key.guidValue) return &option;
  return nullptr;
}

// The display text of the option that the default points at; false when the
// default is not a known value or points at no option.
bool FindDefaultOptionText(const API_PropertyDefinition& definition, UniString& text) {
  const API_PropertyValue& defaultValue = definition.defaultValue.basicValue;
  if (defaultValue.variantStatus != API_ValueNormal) return false;
  const API_SingleEnumerationVariant* option = OptionOfKey(definition, defaultValue.singleVariant);
  if (option == nullptr) return false;
  text = OptionDisplayText(*option);
  return true;
}

// The display texts of the options a multiple-choice default chose, in its
// order. A key that names no option has no text to be found again by, and is
// left out as a single choice's stray default is.
Array<UniString> DefaultChoiceTexts(const API_PropertyDefinition& definition) {
  Array<UniString> texts;
  for (const API_Variant& key : definition.defaultValue.basicValue.listVariant)
    if (const API_SingleEnumerationVariant* option = OptionOfKey(definition, key))
      texts.Push(OptionDisplayText(*option));
  return texts;
}

bool SaveDefaultValue(const UniString& key, const API_PropertyDefinition& definition) {
  const API_PropertyValue& defaultValue = definition.defaultValue.basicValue;
  if (!savedDefaultValues.Add(key, defaultValue)) return false;
  // Even a null default may hold keys, which must not go back as they are.
  if (definition.collectionType == API_MultipleChoiceCollection)
    savedDefaultChoices.Add(key, DefaultChoiceTexts(definition));
  return true;
}

// A definition gives the store its expressions, or else its option set, or
// else its default value; never more than one of the three.
void SaveDefinition(const UniString& groupName, const API_PropertyDefinition& definition) {
  const UniString key = RowKey(groupName, definition.name);
  const API_PropertyDefaultValue& defaultValue = definition.defaultValue;
  bool saved = false;
  if (defaultValue.hasExpression) {
    saved = savedExpressions.Add(key, defaultValue.propertyExpressions);
  } else if (definition.collectionType == API_SingleChoiceCollection) {
    saved = savedOptionSets.Add(key, definition.possibleEnumValues);
    UniString defaultOptionText;
    if (saved && FindDefaultOptionText(definition, defaultOptionText)) savedDefaultOptions.Add(key, defaultOptionText);
  } else if (defaultValue.basicValue.variantStatus != API_ValueUndefined) {
    saved = SaveDefaultValue(key, definition);
  }
  if (saved)
    savedDefinitions.Push({key, groupName, definition.name, definition.collectionType, definition.valueType,
                           definition.measureType});
}

}  // namespace

Outcome Config::exportExpressions() {
  EmptySnapshotStore();

  Corbane::Array<API_PropertyDefinition> definitions;
  HostError error = host::GetPropertyDefinitions(APINullGuid, definitions);
  if (error != FvErr_NoError) {
    // verbatim: "failed Error Code" without "with"
    Report(error, "Export Expressions: GetPropertyDefinitions failed Error Code: %d");
    return Outcome::Failed;
  }

  bool anyGroupMissed = false;
  for (const API_PropertyDefinition& definition : definitions) {
    API_PropertyGroup group;
    group.guid = definition.groupGuid;
    error = host::GetPropertyGroup(group);
    if (error != FvErr_NoError) {
      // verbatim: "Error Code : % d" (a blank before the colon, and printf's blank flag)
      Report(error, "Export Expressions: GetPropertyGroup for property ", Name(definition.name),
             " failed with Error Code : % d");
      anyGroupMissed = true;
      continue;
    }
    if (definition.definitionType == API_CustomDefinition && IsIfcGroupName(group.name))
      SaveDefinition(group.name, definition);
  }
  return anyGroupMissed ? Outcome::Partial : Outcome::Done;
}

}  // namespace quarnel
