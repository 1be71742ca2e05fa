#include "expressions/SavedButGone.hpp"

#include "expressions/SnapshotStore.hpp"
#include "host/HostApi.hpp"
#include "host/Report.hpp"

namespace quarnel {

using Corbane::Array;
using Corbane::HashTable;
using Corbane::UniString;

namespace {

UniString QuotedList(const Array<UniString>& texts) {
  UniString list;
  for (const UniString& text : texts) {
    if (!list.IsEmpty()) list += ", ";
    list += QuotedText(text);
  }
  return list;
}

void ReportExpressions(const SavedDefinition& saved, const Array<UniString>& texts) {
  Report(FvErr_NoError, "Import Expressions and Option Sets: property ", Name(saved.groupName), ":",
         Name(saved.definitionName), " is not in the new configuration; ",
         texts.GetSize() == 1 ? "expression " : "expressions ", Name(QuotedList(texts)), " not restored");
}

void ReportOptionSet(const SavedDefinition& saved, const Array<API_SingleEnumerationVariant>& options) {
  const UniString count = UniString::Printf("%u", static_cast<unsigned>(options.GetSize()));
  Report(FvErr_NoError, "Import Expressions and Option Sets: property ", Name(saved.groupName), ":",
         Name(saved.definitionName), " is not in the new configuration; option set of ", Name(count),
         options.GetSize() == 1 ? " option" : " options", " not restored");
}

// The host shows a value by the definition's codes alone, so the saved codes
// stand in for the definition that is gone. A multiple-choice default keeps
// only its options' texts; the host shows those joined the same way.
HostError ShowDefaultValue(const SavedDefinition& saved, const API_PropertyValue& value, UniString& text) {
  if (const Array<UniString>* choices = savedDefaultChoices.GetPtr(saved.key)) {
    if (value.variantStatus != API_ValueNormal) return FvErr_NoError;
    for (const UniString& choice : *choices) {
      if (!text.IsEmpty()) text += "; ";
      text += choice;
    }
    return FvErr_NoError;
  }
  ElementPropertyRecord record;
  record.definition.name = saved.definitionName;
  record.definition.collectionType = saved.collectionType;
  record.definition.valueType = saved.valueType;
  record.definition.measureType = saved.measureType;
  record.status = API_PropertyKnown;
  record.value = value;
  return host::GetPropertyValueString(record, text);
}

void ReportDefaultValue(const SavedDefinition& saved, const API_PropertyValue& value) {
  UniString shown;
  const HostError error = ShowDefaultValue(saved, value, shown);
  if (error != FvErr_NoError) {
    Report(error, "Import Default Values: property ", Name(saved.groupName), ":", Name(saved.definitionName),
           " is not in the new configuration; its default value not restored (GetPropertyValueString failed with "
           "error code %d)");
    return;
  }
  Report(FvErr_NoError, "Import Default Values: property ", Name(saved.groupName), ":", Name(saved.definitionName),
         " is not in the new configuration; default value ", Name(QuotedText(shown)), " not restored");
}

}  // namespace

bool ReportSavedButGone(const HashTable<RowKey, bool>& met, const HashTable<UniString, bool>& unplaced) {
  bool reported = false;
  // Two groups of one name give one key twice; its settings are named once.
  HashTable<RowKey, bool> named;
  for (const SavedDefinition& saved : savedDefinitions) {
    if (met.ContainsKey(saved.key) || unplaced.ContainsKey(saved.definitionName)) continue;
    if (!named.Add(saved.key, true)) continue;
    if (const Array<UniString>* texts = savedExpressions.GetPtr(saved.key)) {
      ReportExpressions(saved, *texts);
      reported = true;
    }
    if (const Array<API_SingleEnumerationVariant>* options = savedOptionSets.GetPtr(saved.key)) {
      ReportOptionSet(saved, *options);
      reported = true;
    }
    if (const API_PropertyValue* value = savedDefaultValues.GetPtr(saved.key)) {
      ReportDefaultValue(saved, *value);
      reported = true;
    }
  }
  return reported;
}

}  // namespace quarnel
