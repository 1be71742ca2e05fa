// Step 6: the data file read back record by record, one element's rows at a
// time, and each value set again on the element's re-imported definition of
// the same group and property name. Runs inside the undoable command
// "Import Property Values"; the file is deleted at the end whatever happened.
#include "values/ValueImport.hpp"

#include <cstdlib>
#include <cstring>
#include <iterator>
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
};

// A row key in its 8-bit form (SetRowKey), hashed as bytes.
struct KeyBytes {
  Bytes text;

  friend bool operator==(const KeyBytes& a, const KeyBytes& b) noexcept { return a.text == b.text; }
  // Eight bytes a step, since every definition of every element is looked up;
  // the last mix spreads every byte into the low bits that pick the bucket.
  friend Corbane::UInt64 GenerateHashValue(const KeyBytes& key) noexcept {
    constexpr Corbane::UInt64 multiplier = 0xFF51AFD7ED558CCDull;
    const char* bytes = key.text.data();
    std::size_t left = key.text.size();
    Corbane::UInt64 hash = 0x9E3779B97F4A7C15ull ^ left;
    for (; left >= sizeof(Corbane::UInt64); bytes += sizeof(Corbane::UInt64), left -= sizeof(Corbane::UInt64)) {
      Corbane::UInt64 word;
      std::memcpy(&word, bytes, sizeof word);
      hash = (hash ^ word) * multiplier;
      hash ^= hash >> 32;
    }
    Corbane::UInt64 tail = 0;
    std::memcpy(&tail, bytes, left);
    hash = (hash ^ tail) * multiplier;
    hash ^= hash >> 33;
    hash *= 0xC4CEB9FE1A85EC53ull;
    return hash ^ (hash >> 33);
  }
};

// Row key -> the row's texts, for the element being restored.
using ElementRows = Corbane::HashTable<KeyBytes, RowTexts>;

void MarkFailed() noexcept { importPropertyValuesStatus = 2; }

bool IsWord(const Bytes& text, const char* word) noexcept { return std::string_view(text) == word; }

UniString Text(const Bytes& bytes) {
  return UniString(bytes.data(), static_cast<Corbane::UIndex>(bytes.size()), Corbane::CC_Default);
}

// strtovalue reads 16-bit text; plain ASCII widens unit by unit on the stack.
Int32 ReadInteger(const Bytes& text) {
  Int32 number = 0;
  Corbane::UniChar wide[32];
  if (text.size() < std::size(wide) && IsAscii(text)) {
    for (std::size_t i = 0; i <= text.size(); ++i) wide[i] = static_cast<unsigned char>(text.c_str()[i]);
    Corbane::strtovalue(wide, number, Corbane::STV_Decimal, false);
  } else {
    Corbane::strtovalue(Text(text).GetData(), number, Corbane::STV_Decimal, false);
  }
  return number;
}

// The host shows lengths in millimetres and angles in degrees; this undoes
// exactly that, in the host's own arithmetic, so the number reads back bit for bit.
double BaseValue(const Bytes& shownText, const Bytes& measureWord) {
  const double shown = std::atof(shownText.c_str());
  if (IsWord(measureWord, MeasureWord(API_MeasureLength))) return shown / 1000.0;
  if (IsWord(measureWord, MeasureWord(API_MeasureAngle))) return shown * (std::numbers::pi / 180.0);
  return shown;
}

void FillSingleValue(API_Variant& variant, const RowTexts& row) {
  if (IsWord(row.valueType, ValueTypeWord(API_VariantInteger))) {
    variant.intValue = ReadInteger(row.valueText);
  } else if (IsWord(row.valueType, ValueTypeWord(API_VariantReal))) {
    variant.doubleValue = BaseValue(row.valueText, row.measure);
  } else if (IsWord(row.valueType, ValueTypeWord(API_VariantBoolean))) {
    variant.boolValue = std::strcmp(row.valueText.c_str(), "True") == 0;
  } else if (IsWord(row.valueType, ValueTypeWord(API_VariantString))) {
    variant.uniStringValue = Text(row.valueText);
  }
}

// The last option whose display text is the recorded text; none: left unfilled,
// and the host refuses the value.
void FillChoice(API_Variant& variant, const API_PropertyDefinition& definition, const Bytes& text) {
  if (IsAscii(text)) {
    for (const API_SingleEnumerationVariant& option : definition.possibleEnumValues)
      if (IsAsciiText(option.displayVariant.uniStringValue, text)) variant = option.keyVariant;
    return;
  }
  const UniString wide = Text(text);
  for (const API_SingleEnumerationVariant& option : definition.possibleEnumValues)
    if (option.displayVariant.uniStringValue == wide) variant = option.keyVariant;
}

// Sets one element's rows on its definitions. Kept for the whole step, so that
// its key keeps its storage from element to element.
class ElementRestore {
 public:
  // `elementText` may be null: the guid text is then made from its bytes when
  // a report line needs it, which a successful restore never does.
  void Apply(const char* elementBytes, const UniString* elementText, const ElementRows& rows) {
    element_ = Guid2APIGuid(Corbane::Guid(elementBytes));
    elementBytes_ = elementBytes;
    elementText_ = elementText;
    rows_ = &rows;
    Array<API_PropertyDefinition> definitions;
    if (HostError error = host::GetElementPropertyDefinitions(element_, definitions); error != FvErr_NoError) {
      Report(error, "Import Property Values: GetPropertyDefinitions of element ", Name(ElementText()),
             " failed with error code %d");
      MarkFailed();
      return;
    }
    for (const API_PropertyDefinition& definition : definitions) Restore(definition);
  }

 private:
  void Restore(const API_PropertyDefinition& definition) {
    API_PropertyGroup group;
    group.guid = definition.groupGuid;
    if (HostError error = host::GetPropertyGroup(group); error != FvErr_NoError) {
      Report(error, "Import Property Values: GetPropertyGroup of element ", Name(ElementText()), " for property ",
             Name(definition.name), " failed with error code %d");
      MarkFailed();
      return;
    }
    if (!IsIfcGroupName(group.name)) return;
    SetRowKey(key_.text, group.name, definition.name);
    const RowTexts* row = rows_->GetPtr(key_);
    if (row == nullptr) return;
    if (Fits(*row, group.name, definition)) SetValue(*row, group.name, definition);
  }

  UniString ElementText() const { return elementText_ != nullptr ? *elementText_ : UniString(elementBytes_); }

  // A value is set only on a definition that can hold it as recorded: the
  // same kind of collection and, for a single value, the same value type.
  // Anything else would store an empty or wrong value without a word.
  bool Fits(const RowTexts& row, const UniString& groupName, const API_PropertyDefinition& definition) {
    if (row.collection.empty() || !IsWord(row.collection, CollectionWord(definition.collectionType))) {
      NotRestored("collection type", groupName, definition);
      return false;
    }
    if (definition.collectionType == API_SingleCollection && !IsWord(row.valueType, ValueTypeWord(definition.valueType))) {
      NotRestored("value type", groupName, definition);
      return false;
    }
    return true;
  }

  // The host shows a value the user cleared as an empty text. A number, a
  // boolean or a choice always shows something, so for them an empty text means
  // "no value": set it so, rather than as 0, False or a choice that fails.
  static bool HoldsNoValue(const RowTexts& row) {
    return row.valueText.empty() &&
           !(IsWord(row.collection, singleValueWord) && IsWord(row.valueType, ValueTypeWord(API_VariantString)));
  }

  void NotRestored(const char* what, const UniString& groupName, const API_PropertyDefinition& definition) {
    Report(FvErr_NoError, "Import Property Values: ", what, " of element ", Name(ElementText()), " for ",
           Name(groupName), " - ", Name(definition.name), " changed; value not restored");
    MarkFailed();
  }

  void SetValue(const RowTexts& row, const UniString& groupName, const API_PropertyDefinition& definition) {
    ElementPropertyRecord property;
    property.definition = definition;
    property.value.singleVariant.type = definition.valueType;
    if (HoldsNoValue(row))
      property.value.variantStatus = API_ValueNull;
    else if (IsWord(row.collection, singleValueWord))
      FillSingleValue(property.value.singleVariant, row);
    else
      FillChoice(property.value.singleVariant, definition, row.valueText);
    property.isDefault = false;
    if (HostError error = host::SetProperty(element_, property); error != FvErr_NoError) {
      Report(error, "Import Property Values: SetProperty of element ", Name(ElementText()), " for ", Name(groupName),
             " - ", Name(definition.name), " failed with error code %d");
      MarkFailed();
    }
  }

  API_Guid element_;
  const char* elementBytes_ = "";
  const UniString* elementText_ = nullptr;
  const ElementRows* rows_ = nullptr;
  KeyBytes key_;
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
    SetRowKey(key_.text, record.Field(1), record.Field(2));
    rows_.AddFilled(key_, [&record](RowTexts& row) {
      row.valueType.assign(record.Field(3));
      row.measure.assign(record.Field(4));
      row.collection.assign(record.Field(5));
      row.valueText.assign(record.Field(6));
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
  KeyBytes key_;
  ElementRows rows_;
  ElementRestore restore_;
};

// Records of one element are consecutive; a change of element guid text
// closes the previous element's rows.
void RestoreFromRecords(DataFileReader& reader) {
  RecordGrouping grouping;
  while (reader.Next())
    if (reader.FieldCount() >= valueRowFieldCount) grouping.Take(reader);  // shorter ones are never written
  grouping.Finish();
}

Bytes Narrowed(const UniString& text) {
  const Corbane::CStr bytes = Narrow(text);
  return Bytes(bytes.Get(), bytes.GetLength());
}

}  // namespace

void applyElementRows(UniString elementGuidText, RowTable rows) {
  enum EntryField : Corbane::UIndex { ValueTypeEntry, MeasureEntry, CollectionEntry, ValueTextEntry, EntryFieldCount };
  ElementRows texts;
  rows.ForEach([&texts](const UniString& key, const Array<UniString>& entry) {
    if (entry.GetSize() < EntryFieldCount) return;  // as if absent: such an entry restores nothing
    KeyBytes keyBytes;
    SetRowKey(keyBytes.text, key);
    texts.AddFilled(keyBytes, [&entry](RowTexts& row) {
      row.valueType = Narrowed(entry[ValueTypeEntry]);
      row.measure = Narrowed(entry[MeasureEntry]);
      row.collection = Narrowed(entry[CollectionEntry]);
      row.valueText = Narrowed(entry[ValueTextEntry]);
    });
  });
  ElementRestore().Apply(Narrow(elementGuidText).Get(), &elementGuidText, texts);
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
