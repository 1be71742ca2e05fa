// Step 6: the data file read back record by record, one element's rows at a
// time, and each value set again on the element's re-imported definition of
// the same group and property name. Runs inside the undoable command
// "Import Property Values"; the file is deleted at the end whatever happened.
#include "values/ValueImport.hpp"

#include <cstdlib>
#include <cstring>
#include <numbers>
#include <string_view>
#include <utility>

#include "host/HostApi.hpp"
#include "host/IfcGroup.hpp"
#include "host/Report.hpp"
#include "run/Config.hpp"
#include "run/RunStatus.hpp"
#include "values/DataFile.hpp"

namespace quarnel {

namespace {

enum EntryField : Corbane::UIndex { ValueTypeEntry, MeasureEntry, CollectionEntry, ValueTextEntry, EntryFieldCount };

void MarkFailed() noexcept { importPropertyValuesStatus = 2; }

// The host shows lengths in millimetres and angles in degrees; this undoes
// exactly that, in the host's own arithmetic, so the number reads back bit for bit.
double BaseValue(const UniString& shownText, const UniString& measureWord) {
  const double shown = std::atof(Narrow(shownText).Get());
  if (IsWord(measureWord, MeasureWord(API_MeasureLength))) return shown / 1000.0;
  if (IsWord(measureWord, MeasureWord(API_MeasureAngle))) return shown * (std::numbers::pi / 180.0);
  return shown;
}

void FillSingleValue(API_Variant& variant, const UniString& valueTypeWord, const UniString& text,
                     const UniString& measureWord) {
  if (IsWord(valueTypeWord, ValueTypeWord(API_VariantInteger))) {
    Int32 number = 0;
    Corbane::strtovalue(text.GetData(), number, Corbane::STV_Decimal, false);
    variant.intValue = number;
  } else if (IsWord(valueTypeWord, ValueTypeWord(API_VariantReal))) {
    variant.doubleValue = BaseValue(text, measureWord);
  } else if (IsWord(valueTypeWord, ValueTypeWord(API_VariantBoolean))) {
    variant.boolValue = std::strcmp(Narrow(text).Get(), "True") == 0;
  } else if (IsWord(valueTypeWord, ValueTypeWord(API_VariantString))) {
    variant.uniStringValue = text;
  }
}

// The last option whose display text is the recorded text; none: left unfilled,
// and the host refuses the value.
void FillChoice(API_Variant& variant, const API_PropertyDefinition& definition, const UniString& text) {
  for (const API_SingleEnumerationVariant& option : definition.possibleEnumValues)
    if (option.displayVariant.uniStringValue == text) variant = option.keyVariant;
}

class ElementRestore {
 public:
  ElementRestore(const API_Guid& element, const UniString& elementText, const RowTable& rows)
      : element_(element), elementText_(elementText), rows_(rows) {}

  void Restore(const API_PropertyDefinition& definition) {
    API_PropertyGroup group;
    group.guid = definition.groupGuid;
    if (HostError error = host::GetPropertyGroup(group); error != FvErr_NoError) {
      Report(error, "Import Property Values: GetPropertyGroup of element ", Name(elementText_), " for property ",
             Name(definition.name), " failed with error code %d");
      MarkFailed();
      return;
    }
    if (!IsIfcGroupName(group.name)) return;
    SetRowKey(key_, group.name, definition.name);
    const Array<UniString>* entry = rows_.GetPtr(key_);
    if (entry == nullptr || entry->GetSize() < EntryFieldCount) return;
    if (Fits(*entry, group.name, definition)) SetValue(*entry, group.name, definition);
  }

 private:
  // A value is set only on a definition that can hold it as recorded: the
  // same kind of collection and, for a single value, the same value type.
  // Anything else would store an empty or wrong value without a word.
  bool Fits(const Array<UniString>& entry, const UniString& groupName, const API_PropertyDefinition& definition) {
    if (entry[CollectionEntry].IsEmpty() || !IsWord(entry[CollectionEntry], CollectionWord(definition.collectionType))) {
      NotRestored("collection type", groupName, definition);
      return false;
    }
    if (definition.collectionType == API_SingleCollection &&
        !IsWord(entry[ValueTypeEntry], ValueTypeWord(definition.valueType))) {
      NotRestored("value type", groupName, definition);
      return false;
    }
    return true;
  }

  // The host shows a value the user cleared as an empty text. A number, a
  // boolean or a choice always shows something, so for them an empty text means
  // "no value": set it so, rather than as 0, False or a choice that fails.
  static bool HoldsNoValue(const Array<UniString>& entry) {
    return entry[ValueTextEntry].IsEmpty() && !(IsWord(entry[CollectionEntry], singleValueWord) &&
                                                IsWord(entry[ValueTypeEntry], ValueTypeWord(API_VariantString)));
  }

  void NotRestored(const char* what, const UniString& groupName, const API_PropertyDefinition& definition) {
    Report(FvErr_NoError, "Import Property Values: ", what, " of element ", Name(elementText_), " for ", Name(groupName), " - ", Name(definition.name),
           " changed; value not restored");
    MarkFailed();
  }

  void SetValue(const Array<UniString>& entry, const UniString& groupName, const API_PropertyDefinition& definition) {
    ElementPropertyRecord property;
    property.definition = definition;
    property.value.singleVariant.type = definition.valueType;
    if (HoldsNoValue(entry))
      property.value.variantStatus = API_ValueNull;
    else if (IsWord(entry[CollectionEntry], singleValueWord))
      FillSingleValue(property.value.singleVariant, entry[ValueTypeEntry], entry[ValueTextEntry], entry[MeasureEntry]);
    else
      FillChoice(property.value.singleVariant, definition, entry[ValueTextEntry]);
    property.isDefault = false;
    if (HostError error = host::SetProperty(element_, property); error != FvErr_NoError) {
      Report(error, "Import Property Values: SetProperty of element ", Name(elementText_), " for ", Name(groupName),
             " - ", Name(definition.name), " failed with error code %d");
      MarkFailed();
    }
  }

  const API_Guid& element_;
  const UniString& elementText_;
  const RowTable& rows_;
  UniString key_;  // reused from definition to definition
};

// Takes one record into the current element's rows; a key already there keeps its first row.
class RecordGrouping {
 public:
  void Take(const DataFileReader& record) {
    const std::string_view element = record.Field(0);
    if (!rows_.IsEmpty() && element != std::string_view(currentElement_)) Apply();
    currentElement_.assign(element);
    key_.assign(record.Field(1));
    key_.push_back(':');
    key_.append(record.Field(2));
    const UniString key(key_.data(), static_cast<Corbane::UIndex>(key_.size()), Corbane::CC_Default);
    if (!rows_.Add(key, Array<UniString>())) return;
    Array<UniString>& entry = rows_.Get(key);
    entry.Reserve(EntryFieldCount);
    for (Corbane::UIndex field = 3; field < valueRowFieldCount; ++field) entry.Push(record.FieldText(field));
  }

  // The rows of the element collected last.
  void Finish() {
    if (!rows_.IsEmpty()) Apply();
  }

 private:
  void Apply() {
    applyElementRows(UniString(currentElement_.data(), static_cast<Corbane::UIndex>(currentElement_.size()),
                               Corbane::CC_Default),
                     std::move(rows_));
    rows_ = RowTable();
  }

  Bytes currentElement_;
  Bytes key_;
  RowTable rows_;
};

// Records of one element are consecutive; a change of element guid text
// closes the previous element's rows.
void RestoreFromRecords(DataFileReader& reader) {
  RecordGrouping grouping;
  while (reader.Next())
    if (reader.FieldCount() >= valueRowFieldCount) grouping.Take(reader);  // shorter ones are never written
  grouping.Finish();
}

}  // namespace

void applyElementRows(UniString elementGuidText, RowTable rows) {
  const API_Guid element = Guid2APIGuid(Corbane::Guid(Narrow(elementGuidText).Get()));
  Array<API_PropertyDefinition> definitions;
  if (HostError error = host::GetElementPropertyDefinitions(element, definitions); error != FvErr_NoError) {
    Report(error, "Import Property Values: GetPropertyDefinitions of element ", Name(elementGuidText),
           " failed with error code %d");
    MarkFailed();
    return;
  }
  ElementRestore restore(element, elementGuidText, rows);
  for (const API_PropertyDefinition& definition : definitions) restore.Restore(definition);
}

HostError Config::restoreValuesFromDataFile() {
  DataFileReader reader;
  if (reader.Open(dataFileLocation)) {
    RestoreFromRecords(reader);
    reader.Close();
    if (importPropertyValuesStatus < 2) importPropertyValuesStatus = 1;
  } else {
    Report(FvErr_NoError, "Import Property Values: IFC+SG Data file (csv) could not be opened!");
  }
  Nostrel::FileSystem::Delete(dataFileLocation, Nostrel::FileSystem::Fast, Nostrel::FileSystem::Report);
  return FvErr_NoError;
}

}  // namespace quarnel
