// The body of the "Import Expressions" command: put what the snapshot saved
// back onto the definitions that the configuration import re-created, matched
// by group name and definition name. Each failure is reported and makes the
// step partial; the walk always goes on to the next definition.
#include <utility>

#include "expressions/ExpressionCheckForm.hpp"
#include "expressions/OptionText.hpp"
#include "expressions/SnapshotStore.hpp"
#include "host/HostApi.hpp"
#include "host/IfcGroup.hpp"
#include "host/Report.hpp"
#include "run/Config.hpp"
#include "run/RunStatus.hpp"

namespace quarnel {

using Corbane::Array;
using Corbane::UniString;

namespace {

void MarkPartial() noexcept { importExpressionsStatus = 2; }

// The texts that the host accepts, in their saved form; each rejected text is
// reported.
Array<UniString> AcceptedExpressions(const Array<UniString>& savedTexts, const UniString& groupName,
                                     const UniString& definitionName) {
  Array<UniString> accepted;
  for (const UniString& text : savedTexts) {
    const HostError error = host::CheckPropertyExpressionString(ExpressionCheckForm(text));
    if (error != FvErr_NoError) {
      Report(error, "Import Expressions and Option Sets: Expression check ", Name(text), " for propertry ",
             Name(groupName), ":", Name(definitionName), "failed with error %d");
      MarkPartial();
      continue;
    }
    accepted.Push(text);
  }
  return accepted;
}

void RestoreExpressions(API_PropertyDefinition& definition, const UniString& groupName,
                        const Array<UniString>& savedTexts) {
  Array<UniString> accepted = AcceptedExpressions(savedTexts, groupName, definition.name);
  if (accepted.IsEmpty()) return;
  definition.defaultValue.hasExpression = true;
  definition.defaultValue.propertyExpressions = std::move(accepted);
  const HostError error = host::ChangePropertyDefinition(definition);
  if (error != FvErr_NoError) {
    Report(error, "Import Expressions and Option Sets: ChangePropertyDefinition (Expression) for property ",
           Name(groupName), ":", Name(definition.name), " failed with error code %d");
    MarkPartial();
  }
}

// Option keys are the host's, so the saved default is found again by its
// display text in the option list as the host stored it.
void RebindDefaultOption(API_PropertyDefinition& definition, const UniString& groupName,
                         const UniString& defaultOptionText) {
  const API_SingleEnumerationVariant* chosen = nullptr;
  for (const API_SingleEnumerationVariant& option : definition.possibleEnumValues) {
    if (OptionDisplayText(option) == defaultOptionText) {
      chosen = &option;
      break;
    }
  }
  if (chosen == nullptr) return;
  definition.defaultValue.basicValue.singleVariant = chosen->keyVariant;
  const HostError error = host::ChangePropertyDefinition(definition);
  if (error != FvErr_NoError) {
    Report(error,
           "Import Expressions and Option Sets: ChangePropertyDefinition (Option Set) to set default property for "
           "property ",
           Name(groupName), ":", Name(definition.name), " failed with error code %d");
    MarkPartial();
  }
}

void RestoreOptionSet(API_PropertyDefinition& definition, const UniString& groupName, const UniString& key,
                      const Array<API_SingleEnumerationVariant>& savedOptions) {
  const UniString* defaultOptionText = savedDefaultOptions.GetPtr(key);
  definition.collectionType = API_SingleChoiceCollection;
  definition.possibleEnumValues = savedOptions;
  API_PropertyValue& defaultValue = definition.defaultValue.basicValue;
  if (defaultOptionText != nullptr) defaultValue.variantStatus = API_ValueNormal;
  // An empty saved list has no first option: the default stays as imported.
  if (!savedOptions.IsEmpty()) defaultValue.singleVariant = savedOptions.GetFirst().keyVariant;

  const HostError error = host::ChangePropertyDefinition(definition);
  if (error != FvErr_NoError) {
    Report(error, "Import Expressions and Option Sets: ChangePropertyDefinition (Option Set) for property ",
           Name(groupName), ":", Name(definition.name), " failed with error code %d");
    MarkPartial();
    return;
  }
  if (defaultOptionText != nullptr) RebindDefaultOption(definition, groupName, *defaultOptionText);
}

void RestoreDefaultValue(API_PropertyDefinition& definition, const UniString& groupName,
                         const API_PropertyValue& savedValue) {
  definition.defaultValue.basicValue = savedValue;
  const HostError error = host::ChangePropertyDefinition(definition);
  if (error != FvErr_NoError) {
    Report(error, "Import Default Values: ChangePropertyDefinition (Default Value) for property ", Name(groupName),
           ":", Name(definition.name), " failed with error code %d");
    MarkPartial();
  }
}

// Expressions first, then an option set, then a default value: at most one.
void RestoreDefinition(API_PropertyDefinition& definition, const UniString& groupName) {
  if (!IsIfcGroupName(groupName)) return;
  const UniString key = DefinitionKey(groupName, definition.name);
  if (const Array<UniString>* texts = savedExpressions.GetPtr(key)) {
    RestoreExpressions(definition, groupName, *texts);
  } else if (const Array<API_SingleEnumerationVariant>* options = savedOptionSets.GetPtr(key)) {
    RestoreOptionSet(definition, groupName, key, *options);
  } else if (const API_PropertyValue* value = savedDefaultValues.GetPtr(DefaultValueKey(groupName, definition.name))) {
    RestoreDefaultValue(definition, groupName, *value);
  }
}

}  // namespace

HostError Config::restoreExpressions() {
  Array<API_PropertyDefinition> definitions;
  const HostError listError = host::GetPropertyDefinitions(APINullGuid, definitions);
  if (listError != FvErr_NoError) {
    Report(listError, "Import Expressions and Options Sets: GetPropertyDefinitions failed Error Code: %d");
    importExpressionsStatus = 0;
    return listError;
  }

  for (API_PropertyDefinition& definition : definitions) {
    API_PropertyGroup group;
    group.guid = definition.groupGuid;
    const HostError error = host::GetPropertyGroup(group);
    if (error != FvErr_NoError) {
      Report(error, "Import Expressions and Option Sets: GetPropertyGroup for ", Name(definition.name),
             " failed with Error Code: %d");
      MarkPartial();
      continue;
    }
    RestoreDefinition(definition, group.name);
  }

  EmptySnapshotStore();
  if (importExpressionsStatus < 2) importExpressionsStatus = 1;
  return FvErr_NoError;
}

}  // namespace quarnel
