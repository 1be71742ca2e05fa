// Step 6: the data file read back record by record, one element's rows at a
// time, and each value set again on the element's re-imported definition of
// the same group and property name. Runs inside the undoable command
// "Import Property Values"; the file is deleted at the end whatever happened.
#include "values/ValueImport.hpp"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <string>
#include <string_view>
#include <system_error>

#include "expressions/OptionText.hpp"
#include "host/HostApi.hpp"
#include "host/IfcGroup.hpp"
#include "host/Report.hpp"
#include "run/Config.hpp"
#include "run/RunStatus.hpp"
#include "values/DataFile.hpp"
#include "values/DataFileHold.hpp"
#include "values/DataFileReader.hpp"
#include "values/DefinitionMemo.hpp"
#include "values/Narrow.hpp"
#include "values/RecordWords.hpp"
#include "values/RowKey.hpp"

namespace quarnel {

namespace {

// One row's four texts as the data file holds them, 8-bit in the default
// character code, and read in that form: words and numbers are plain ASCII,
// the same in both forms, and only a string value or a choice text that is
// not plain ASCII is turned into text. A short text then needs no block of
// its own, and a row that takes over a removed row's storage needs none at all.
struct RowTexts {
  Bytes valueType;
  Bytes measure;
  Bytes collection;
  Bytes valueText;
  bool valueQuoted = false;
  bool taken = false;         // a definition of the element took the row
  Corbane::UIndex order = 0;  // the row's place among the element's rows in the file
};

// Row key -> the row's texts, for the element being restored.
using ElementRows = Corbane::HashTable<RowKey, RowTexts>;

// A value that is not restored, on its own report line: the step goes on
// with the others and is partial.
void MarkPartial() noexcept { importPropertyValuesStatus = Outcome::Partial; }

bool IsWord(std::string_view text, std::string_view word) noexcept { return text == word; }

enum class ValueForm { Cleared, Undefined, Value };

ValueForm FormOf(const RowTexts& row) noexcept {
  if (row.valueQuoted) return ValueForm::Value;
  if (row.valueText.empty()) return ValueForm::Cleared;
  if (IsWord(row.valueText, undefinedValueWord)) return ValueForm::Undefined;
  return ValueForm::Value;
}

// strtovalue reads 16-bit text; plain ASCII widens unit by unit on the stack.
bool ReadInteger(std::string_view text, Int32& number) {
  Corbane::UniChar wide[32];
  if (text.size() < std::size(wide) && IsAscii(text)) {
    for (std::size_t i = 0; i < text.size(); ++i) wide[i] = static_cast<unsigned char>(text[i]);
    wide[text.size()] = 0;
    return Corbane::strtovalue(wide, number, Corbane::STV_Decimal, false);
  }
  return Corbane::strtovalue(Widen(text).GetData(), number, Corbane::STV_Decimal, false);
}

// The stored double itself, in the stored unit: no scaling, no locale.
bool ReadReal(std::string_view text, double& number) noexcept {
  const char* end = text.data() + text.size();
  const std::from_chars_result read = std::from_chars(text.data(), end, number);
  return read.ec == std::errc() && read.ptr == end;
}

// One value of a single-value row or one item of a list, by the row's value
// type word; false when the text does not read as such a value.
bool ReadItem(API_Variant& variant, const Bytes& valueType, std::string_view text) {
  if (IsWord(valueType, ValueTypeWord(API_VariantInteger))) return ReadInteger(text, variant.intValue);
  if (IsWord(valueType, ValueTypeWord(API_VariantReal))) return ReadReal(text, variant.doubleValue);
  if (IsWord(valueType, ValueTypeWord(API_VariantBoolean))) {
    variant.boolValue = text == "True";
    return true;
  }
  if (IsWord(valueType, ValueTypeWord(API_VariantString))) variant.uniStringValue = Widen(text);
  return true;
}

// The stored unit of a real of the row's measure, so that a report line says
// what its number means.
const char* StoredUnit(const RowTexts& row) noexcept {
  if (!IsWord(row.valueType, ValueTypeWord(API_VariantReal))) return "";
  if (IsWord(row.measure, MeasureWord(API_MeasureLength))) return " m";
  if (IsWord(row.measure, MeasureWord(API_MeasureArea))) return " m\xC2\xB2";
  if (IsWord(row.measure, MeasureWord(API_MeasureVolume))) return " m\xC2\xB3";
  if (IsWord(row.measure, MeasureWord(API_MeasureAngle))) return " rad";
  return "";
}

// What a row holds, as a report line names it: a value in quotes (the items
// of a list or multiple choice joined by "; ", as the host shows them), or
// what the user made of it.
UniString ShownValue(const RowTexts& row) {
  switch (FormOf(row)) {
    case ValueForm::Cleared: return UniString("(cleared)");
    case ValueForm::Undefined: return UniString("(undefined)");
    case ValueForm::Value: break;
  }
  UniString text;
  Array<Bytes> items;
  Corbane::UIndex count = 0;
  const bool nested = IsWord(row.collection, listWord) || IsWord(row.collection, multipleChoiceWord);
  if (!nested || !SplitNestedRecord(row.valueText, items, count)) return QuotedText(Widen(row.valueText) + StoredUnit(row));
  for (Corbane::UIndex i = 0; i < count; ++i) {
    if (i > 0) text += "; ";
    text += Widen(items[i]) + StoredUnit(row);
  }
  return QuotedText(text);
}

// Which properties the new configuration holds at all, so that a row no
// definition of its element took is told apart from one whose property the
// element no longer has. Listed once, when the first such row is met: a run
// in which every row finds its definition makes no call for it.
class ConfiguredProperties {
 public:
  enum class Presence { Configured, NotConfigured, Unknown };

  Presence Of(const RowKey& key) {
    if (!listed_) List();
    if (keys_.ContainsKey(key)) return Presence::Configured;
    return complete_ ? Presence::NotConfigured : Presence::Unknown;
  }

 private:
  void List() {
    listed_ = true;
    Array<API_PropertyDefinition> definitions;
    complete_ = host::GetPropertyDefinitions(APINullGuid, definitions) == FvErr_NoError;
    Corbane::HashTable<API_Guid, UniString> groupNames;
    RowKey key;
    for (const API_PropertyDefinition& definition : definitions) {
      if (!groupNames.ContainsKey(definition.groupGuid)) {
        API_PropertyGroup group;
        group.guid = definition.groupGuid;
        if (host::GetPropertyGroup(group) != FvErr_NoError) {
          complete_ = false;  // the group's properties stay unknown
          continue;
        }
        groupNames.Add(definition.groupGuid, group.name);
      }
      const UniString& groupName = groupNames.Get(definition.groupGuid);
      if (!IsIfcGroupName(groupName)) continue;
      SetRowKey(key, groupName, definition.name);
      keys_.Add(key, true);
    }
  }

  bool listed_ = false;
  bool complete_ = false;
  Corbane::HashTable<RowKey, bool> keys_;
};

// Sets one element's rows on its definitions. Kept for the whole step, so that
// its key keeps its storage from element to element.
class ElementRestore {
 public:
  // `elementText` may be null: the guid text is then made from its bytes when
  // a report line needs it, which a successful restore never does.
  void Apply(const char* elementBytes, const UniString* elementText, ElementRows& rows) {
    element_ = Guid2APIGuid(Corbane::Guid(elementBytes));
    elementBytes_ = elementBytes;
    elementText_ = elementText;
    rows_ = &rows;
    taken_ = 0;
    unmatched_.Clear();
    Array<API_PropertyDefinition> definitions;
    if (HostError error = host::GetElementPropertyDefinitions(element_, definitions); error != FvErr_NoError) {
      Report(error, "Import Property Values: GetPropertyDefinitions of element ", Name(ElementText()),
             " failed with error code %d");
      MarkPartial();
      return;
    }
    for (Corbane::UIndex place = 0; place < definitions.GetSize(); ++place) Restore(place, definitions[place]);
    if (taken_ < rows.GetSize()) ReportRowsNotTaken();
  }

 private:
  void Restore(Corbane::UIndex place, const API_PropertyDefinition& definition) {
    API_PropertyGroup group;
    group.guid = definition.groupGuid;
    if (HostError error = host::GetPropertyGroup(group); error != FvErr_NoError) {
      Report(error, "Import Property Values: GetPropertyGroup of element ", Name(ElementText()), " for property ",
             Name(definition.name), " failed with error code %d");
      MarkPartial();
      unmatched_.Push(definition.name);
      return;
    }
    const RowKey* key = KeyOf(place, definition, group.name);
    if (key == nullptr) return;  // not an IFC property
    RowTexts* row = rows_->GetPtr(*key);
    if (row == nullptr || row->taken) return;
    row->taken = true;
    ++taken_;
    if (Fits(*row, group.name, definition)) SetValue(*row, group.name, definition);
  }

  UniString ElementText() const { return elementText_ != nullptr ? *elementText_ : UniString(elementBytes_); }

  // The row key of an IFC property, null for any other; made the first time
  // the definition is met.
  const RowKey* KeyOf(Corbane::UIndex place, const API_PropertyDefinition& definition, const UniString& groupName) {
    const DefinitionKey& known = keys_.Of(place, definition, [&](DefinitionKey& made) {
      made.ifc = IsIfcGroupName(groupName);
      SetRowKey(made.key, groupName, definition.name);
    });
    return known.ifc ? &known.key : nullptr;
  }

  // A value is set only on a definition that can hold it as recorded: the
  // same kind of collection and, for single values and lists, the same value
  // type. Anything else would store an empty or wrong value without a word.
  bool Fits(const RowTexts& row, const UniString& groupName, const API_PropertyDefinition& definition) {
    if (row.collection.empty() || !IsWord(row.collection, CollectionWord(definition.collectionType))) {
      NotRestored("collection type", groupName, definition);
      return false;
    }
    const bool typed =
        definition.collectionType == API_SingleCollection || definition.collectionType == API_ListCollection;
    if (typed && !IsWord(row.valueType, ValueTypeWord(definition.valueType))) {
      NotRestored("value type", groupName, definition);
      return false;
    }
    return true;
  }

  void NotRestored(const char* what, const UniString& groupName, const API_PropertyDefinition& definition) {
    Report(FvErr_NoError, "Import Property Values: ", what, " of element ", Name(ElementText()), " for ",
           Name(groupName), " - ", Name(definition.name), " changed; value not restored");
    MarkPartial();
  }

  void SetValue(const RowTexts& row, const UniString& groupName, const API_PropertyDefinition& definition) {
    ElementPropertyRecord property;
    property.definition = definition;
    property.value.singleVariant.type = definition.valueType;
    property.isDefault = false;
    if (!FillValue(property.value, row, groupName, definition)) return;
    if (HostError error = host::SetProperty(element_, property); error != FvErr_NoError) {
      Report(error, "Import Property Values: SetProperty of element ", Name(ElementText()), " for ", Name(groupName),
             " - ", Name(definition.name), " failed with error code %d");
      MarkPartial();
    }
  }

  // False, with the reason reported, when nothing of the row can be set.
  bool FillValue(API_PropertyValue& value, const RowTexts& row, const UniString& groupName,
                 const API_PropertyDefinition& definition) {
    switch (FormOf(row)) {
      case ValueForm::Cleared: value.variantStatus = API_ValueNull; return true;
      case ValueForm::Undefined: value.variantStatus = API_ValueUndefined; return true;
      case ValueForm::Value: break;
    }
    if (definition.collectionType == API_SingleCollection) {
      if (ReadItem(value.singleVariant, row.valueType, row.valueText)) return true;
      return Unreadable(row, groupName, definition);
    }
    if (definition.collectionType == API_SingleChoiceCollection) {
      if (const API_SingleEnumerationVariant* option = OptionShowing(definition, row.valueText)) {
        value.singleVariant = option->keyVariant;
        return true;
      }
      OptionGone(row.valueText, groupName, definition);
      return false;
    }
    Corbane::UIndex count = 0;
    if (!SplitNestedRecord(row.valueText, items_, count)) return Unreadable(row, groupName, definition);
    for (Corbane::UIndex i = 0; i < count; ++i) {
      if (definition.collectionType == API_ListCollection) {
        API_Variant& item = value.listVariant.PushNew();
        item.type = definition.valueType;
        if (!ReadItem(item, row.valueType, items_[i])) return Unreadable(row, groupName, definition);
      } else if (const API_SingleEnumerationVariant* option = OptionShowing(definition, items_[i])) {
        value.listVariant.Push(option->keyVariant);
      } else {
        OptionGone(items_[i], groupName, definition);  // the other choices are still set
      }
    }
    return count == 0 || !value.listVariant.IsEmpty();
  }

  // The last option whose shown value is the recorded text.
  const API_SingleEnumerationVariant* OptionShowing(const API_PropertyDefinition& definition, std::string_view text) {
    const API_SingleEnumerationVariant* found = nullptr;
    if (IsAscii(text)) {
      for (const API_SingleEnumerationVariant& option : definition.possibleEnumValues)
        if (IsAsciiText(OptionDisplayText(option, optionText_), text)) found = &option;
      return found;
    }
    const UniString wide = Widen(text);
    for (const API_SingleEnumerationVariant& option : definition.possibleEnumValues)
      if (OptionDisplayText(option, optionText_) == wide) found = &option;
    return found;
  }

  void OptionGone(std::string_view text, const UniString& groupName, const API_PropertyDefinition& definition) {
    Report(FvErr_NoError, "Import Property Values: option ", Name(QuotedText(Widen(text))), " of ", Name(groupName),
           ":", Name(definition.name), " is no longer offered; it is not restored on element ", Name(ElementText()));
    MarkPartial();
  }

  bool Unreadable(const RowTexts& row, const UniString& groupName, const API_PropertyDefinition& definition) {
    Report(FvErr_NoError, "Import Property Values: value ", Name(ShownValue(row)), " of element ",
           Name(ElementText()), " for ", Name(groupName), " - ", Name(definition.name),
           " cannot be read; value not restored");
    MarkPartial();
    return false;
  }

  // Each row that no definition of the element took, in file order, with its
  // value, so that nothing the user set is lost without a word.
  void ReportRowsNotTaken() {
    struct NotTaken {
      const RowKey* key;
      const RowTexts* row;
    };
    Array<NotTaken> rows;
    rows_->ForEach([&rows](const RowKey& key, const RowTexts& row) {
      if (!row.taken) rows.Push({&key, &row});
    });
    std::sort(rows.begin(), rows.end(), [](const NotTaken& a, const NotTaken& b) { return a.row->order < b.row->order; });
    for (const NotTaken& entry : rows) ReportRowNotTaken(*entry.key, *entry.row);
  }

  void ReportRowNotTaken(const RowKey& key, const RowTexts& row) {
    Bytes group, property;
    SplitRowKey(key, group, property);
    const UniString propertyName = Widen(property);
    Report(FvErr_NoError, "Import Property Values: property ", Name(Widen(group)), ":", Name(propertyName),
           " of element ", Name(ElementText()), WhyNotTaken(key, propertyName), "; value ", Name(ShownValue(row)),
           " not restored");
    MarkPartial();
  }

  const char* WhyNotTaken(const RowKey& key, const UniString& propertyName) {
    // The definition may be there, under a group that could not be read.
    if (std::find(unmatched_.begin(), unmatched_.end(), propertyName) != unmatched_.end())
      return " could not be matched to its definition";
    switch (configured_.Of(key)) {
      case ConfiguredProperties::Presence::Configured: return " is no longer available for this element";
      case ConfiguredProperties::Presence::NotConfigured: return " is not in the new configuration";
      case ConfiguredProperties::Presence::Unknown: break;
    }
    return " is not in the new configuration or not available for this element";
  }

  API_Guid element_;
  const char* elementBytes_ = "";
  const UniString* elementText_ = nullptr;
  ElementRows* rows_ = nullptr;
  Corbane::UIndex taken_ = 0;
  Array<UniString> unmatched_;  // definitions of the element whose group could not be read
  struct DefinitionKey {
    bool ifc = false;
    RowKey key;
  };
  DefinitionMemo<DefinitionKey> keys_;
  Array<Bytes> items_;     // of a list or multiple choice; they keep their storage from row to row
  UniString optionText_;   // an option's shown value, when written out
  ConfiguredProperties configured_;
};

// Takes one record into the current element's rows; a key already there keeps
// its first row. The table with its rows and the key keep their storage from
// record to record and from element to element, so that reading the file of
// a whole project allocates next to nothing per record.
class RecordGrouping {
 public:
  void Take(const DataFileReader& record) {
    const std::string_view element = record.Field(0);
    if (!rows_.IsEmpty() && element != std::string_view(currentElement_)) Apply();
    currentElement_.assign(element);
    SetRowKey(key_, record.Field(1), record.Field(2));
    const Corbane::UIndex order = rows_.GetSize();
    rows_.AddFilled(key_, [&record, order](RowTexts& row) {
      row.valueType.assign(record.Field(3));
      row.measure.assign(record.Field(4));
      row.collection.assign(record.Field(5));
      row.valueText.assign(record.Field(6));
      row.valueQuoted = record.FieldQuoted(6);
      row.taken = false;
      row.order = order;
    });
  }

  // The rows of the element collected last.
  void Finish() {
    if (!rows_.IsEmpty()) Apply();
  }

 private:
  void Apply() {
    restore_.Apply(currentElement_.c_str(), nullptr, rows_);
    rows_.RemoveAllKeepingStorage();
  }

  Bytes currentElement_;
  RowKey key_;
  ElementRows rows_;
  ElementRestore restore_;
};

// A record the writer did not finish, or one longer than it writes, is never
// applied: its value may be cut. It is named by its element and property
// when its first fields are whole, else by its place in the file.
void ReportFlawedRecord(const DataFileReader& record, Corbane::UIndex number) {
  MarkPartial();
  const bool cut = record.State() == DataFileReader::Record::Cut;
  if (record.WholeFieldCount() > 2) {
    Report(FvErr_NoError, "Import Property Values: value of element ", Name(record.FieldText(0)), " for property ",
           Name(record.FieldText(1)), ":", Name(record.FieldText(2)),
           cut ? " is cut short in the data file" : " is longer than the data file takes", "; value not restored");
    return;
  }
  char digits[24];
  const std::to_chars_result end = std::to_chars(digits, digits + sizeof digits, number);
  Report(FvErr_NoError, "Import Property Values: record ", Name(Widen(std::string_view(digits, end.ptr))),
         " of the data file", cut ? " is cut short" : " is longer than the data file takes", "; it is not restored");
}

// Records of one element are consecutive; a change of element guid text
// closes the previous element's rows.
void RestoreFromRecords(DataFileReader& reader) {
  RecordGrouping grouping;
  Corbane::UIndex number = 0;
  while (reader.Next()) {
    ++number;
    if (reader.State() != DataFileReader::Record::Whole)
      ReportFlawedRecord(reader, number);
    else if (reader.FieldCount() >= valueRowFieldCount)  // shorter ones are never written
      grouping.Take(reader);
  }
  grouping.Finish();
}

void ReportNotRead(const char* why) {
  Report(FvErr_NoError, "Import Property Values: the data file ", Name(dataFileLocation.ToDisplayText()), why,
         "; nothing is read from it");
}

// Whether what stands at the data file's name is the file the export wrote.
bool WrittenFileIsThere() {
  return IdentityAt(PathText(dataFileLocation).Get()) == dataFileHold.Written();
}

}  // namespace

void applyElementRows(UniString elementGuidText, RowTable rows) {
  enum EntryField : Corbane::UIndex { ValueTypeEntry, MeasureEntry, CollectionEntry, ValueTextEntry, EntryFieldCount };
  ElementRows texts;
  rows.ForEach([&texts](const RowKey& key, const Array<UniString>& entry) {
    if (entry.GetSize() < EntryFieldCount) return;  // as if absent: such an entry restores nothing
    texts.AddFilled(key, [&entry, order = texts.GetSize()](RowTexts& row) {
      row.order = order;
      NarrowInto(row.valueType, entry[ValueTypeEntry]);
      NarrowInto(row.measure, entry[MeasureEntry]);
      NarrowInto(row.collection, entry[CollectionEntry]);
      NarrowInto(row.valueText, entry[ValueTextEntry]);
    });
  });
  ElementRestore().Apply(Narrow(elementGuidText).Get(), &elementGuidText, texts);
}

HostError Config::restoreValuesFromDataFile() {
  DataFileReader reader;
  bool keepFile = false;
  switch (reader.Open(dataFileLocation)) {
    case DataFileReader::Opened::No:
      Report(FvErr_NoError, "Import Property Values: IFC+SG Data file (csv) could not be opened!");
      break;
    case DataFileReader::Opened::NotRegular: ReportNotRead(" is not a regular file"); break;
    case DataFileReader::Opened::Yes:
      // Read only the file the export wrote, not one that came to stand at its name since.
      if (!(reader.Identity() == dataFileHold.Written())) {
        ReportNotRead(" is not the file the export wrote");
        break;
      }
      RestoreFromRecords(reader);
      if (!reader.ReadToTheEnd()) {
        Report(FvErr_NoError, "Import Property Values: the data file ", Name(dataFileLocation.ToDisplayText()),
               " could not be read to its end; it is kept, and the values after its last whole record are not "
               "restored");
        MarkPartial();
        keepFile = true;
      }
      reader.Close();
      if (importPropertyValuesStatus < Outcome::Partial) importPropertyValuesStatus = Outcome::Done;
      break;
  }
  // Only the run's own file goes: whatever else stands at its name stays.
  if (!keepFile && WrittenFileIsThere())
    Nostrel::FileSystem::Delete(dataFileLocation, Nostrel::FileSystem::Fast, Nostrel::FileSystem::Report);
  dataFileHold.Release();
  return FvErr_NoError;
}

}  // namespace quarnel
