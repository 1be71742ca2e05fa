// The body of the "Import Expressions" command: put what the snapshot saved
// back onto the definitions that the configuration import re-created, matched
// by group name and definition name. Each failure is reported and makes the
// step partial; the walk always goes on to the next definition. What was saved
// for a definition that no longer exists is named at the end, and is partial too.
#include <utility>

#include "expressions/ExpressionCheckForm.hpp"
#include "expressions/OptionText.hpp"
#include "expressions/SavedButGone.hpp"
#include "expressions/SnapshotStore.hpp"
#include "host/HostApi.hpp"
#include "host/IfcGroup.hpp"
#include "host/Report.hpp"
#include "run/Config.hpp"
#include "run/RunStatus.hpp"
#include "values/DataFile.hpp"

namespace quarnel {

using Corbane::Array;
using Corbane::HashTable;
using Corbane::UniString;

namespace {

// A setting that is not restored, on its own report line: the step goes on
// with the others and is partial.
void MarkPartial() noexcept { importExpressionsStatus = Outcome::Partial; }

// The texts that the host accepts, in their saved form; each rejected text is
// reported.
Array<UniString> AcceptedExpressions(const Array<UniString>& savedTexts, const UniString& groupName,
                                     const UniString& definitionName) {
  Array<UniString> accepted;
  for (const UniString& text : savedTexts) {
    const HostError error = host::CheckPropertyExpressionString(ExpressionCheckForm(text));
    if (error != FvErr_NoError) {
      // verbatim: "propertry", and no blank before "failed"
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

// Option keys are the host's, so a saved default is found again by the
// display text of its option in the option list as the host stored it.
const API_SingleEnumerationVariant* OptionOfText(const API_PropertyDefinition& definition, const UniString& text) {
  UniString written;
  for (const API_SingleEnumerationVariant& option : definition.possibleEnumValues)
    if (OptionDisplayText(option, written) == text) return &option;
  return nullptr;
}

void RebindDefaultOption(API_PropertyDefinition& definition, const UniString& groupName,
                         const UniString& defaultOptionText) {
  const API_SingleEnumerationVariant* chosen = OptionOfText(definition, defaultOptionText);
  if (chosen == nullptr) return;
  definition.defaultValue.basicValue.singleVariant = chosen->keyVariant;
  const HostError error = host::ChangePropertyDefinition(definition);
  if (error != FvErr_NoError) {
    // verbatim: "default property for property"
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

// A multiple-choice default names its options by keys that the re-import made
// anew, so each chosen option is found again by its display text. One that is
// no longer offered is reported and the others are kept; with none left the
// default stays as the configuration made it.
void RestoreDefaultChoices(API_PropertyDefinition& definition, const UniString& groupName,
                           const API_PropertyValue& savedValue, const Array<UniString>& choiceTexts) {
  API_PropertyValue value = savedValue;
  value.listVariant.Clear();
  for (const UniString& text : choiceTexts) {
    if (const API_SingleEnumerationVariant* option = OptionOfText(definition, text)) {
      value.listVariant.Push(option->keyVariant);
      continue;
    }
    Report(FvErr_NoError, "Import Default Values: option ", Name(QuotedText(text)), " of ", Name(groupName), ":",
           Name(definition.name), " is no longer offered; it is not restored in the default value");
    MarkPartial();
  }
  if (value.listVariant.IsEmpty() && !choiceTexts.IsEmpty()) {
    Report(FvErr_NoError, "Import Default Values: no option of the default value of ", Name(groupName), ":",
           Name(definition.name), " is offered any more; the default value stays as the configuration made it");
    return;
  }
  RestoreDefaultValue(definition, groupName, value);
}

// Expressions first, then an option set, then a default value: at most one.
// The key of each saved setting met goes into `met`.
void RestoreDefinition(API_PropertyDefinition& definition, const UniString& groupName,
                       HashTable<UniString, bool>& met) {
  if (!IsIfcGroupName(groupName)) return;
  const UniString key = RowKey(groupName, definition.name);
  if (const Array<UniString>* texts = savedExpressions.GetPtr(key)) {
    RestoreExpressions(definition, groupName, *texts);
  } else if (const Array<API_SingleEnumerationVariant>* options = savedOptionSets.GetPtr(key)) {
    RestoreOptionSet(definition, groupName, key, *options);
  } else if (const API_PropertyValue* value = savedDefaultValues.GetPtr(key)) {
    if (const Array<UniString>* choices = savedDefaultChoices.GetPtr(key))
      RestoreDefaultChoices(definition, groupName, *value, *choices);
    else
      RestoreDefaultValue(definition, groupName, *value);
  } else {
    return;
  }
  met.Add(key, true);
}

}  // namespace

HostError Config::restoreExpressions() {
  Array<API_PropertyDefinition> definitions;
  const HostError listError = host::GetPropertyDefinitions(APINullGuid, definitions);
  if (listError != FvErr_NoError) {
    // verbatim: "Options Sets", and "failed Error Code" without "with"
    Report(listError, "Import Expressions and Options Sets: GetPropertyDefinitions failed Error Code: %d");
    importExpressionsStatus = Outcome::Failed;
    return listError;
  }

  HashTable<UniString, bool> met;
  // A definition whose group could not be fetched is reported as that; its
  // saved settings are not said to be gone as well.
  HashTable<UniString, bool> unplaced;
  for (API_PropertyDefinition& definition : definitions) {
    API_PropertyGroup group;
    group.guid = definition.groupGuid;
    const HostError error = host::GetPropertyGroup(group);
    if (error != FvErr_NoError) {
      Report(error, "Import Expressions and Option Sets: GetPropertyGroup for ", Name(definition.name),
             " failed with Error Code: %d");
      MarkPartial();
      unplaced.Add(definition.name, true);
      continue;
    }
    RestoreDefinition(definition, group.name, met);
  }
  if (ReportSavedButGone(met, unplaced)) MarkPartial();

  EmptySnapshotStore();
  if (importExpressionsStatus < Outcome::Partial) importExpressionsStatus = Outcome::Done;
  return FvErr_NoError;
}

}  // namespace quarnel
