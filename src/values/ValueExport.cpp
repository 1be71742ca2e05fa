// Step 2: every value the user set on an element for an IFC property goes into
// the data file before the IFC property groups are deleted. Only reads the
// project; runs outside any undoable command.
#include <charconv>

#include "expressions/OptionText.hpp"
#include "host/HostApi.hpp"
#include "host/IfcGroup.hpp"
#include "host/Report.hpp"
#include "run/Config.hpp"
#include "values/DataFile.hpp"
#include "values/DataFileHold.hpp"
#include "values/DataFileWriter.hpp"
#include "values/DefinitionMemo.hpp"
#include "values/Narrow.hpp"
#include "values/RecordWords.hpp"

namespace quarnel {

namespace {

bool IsKeptCollection(Int32 collectionType) noexcept {
  return collectionType >= API_SingleCollection && collectionType <= API_MultipleChoiceCollection;
}

bool IsChoiceCollection(Int32 collectionType) noexcept {
  return collectionType == API_SingleChoiceCollection || collectionType == API_MultipleChoiceCollection;
}

template <class Number>
void WriteNumber(Bytes& out, Number number) {
  char text[32];
  const std::to_chars_result end = std::to_chars(text, text + sizeof text, number);
  out.assign(text, end.ptr);
}

void PlaceDataFile() {
  dataFileLocation = Nostrel::Location();
  host::GetSpecialFolder(FvFolder_Data, dataFileLocation);
  dataFileLocation.AppendToLocal(Nostrel::RelativeLocation(UniString(dataFileName)));
}

class ValueExport {
 public:
  explicit ValueExport(DataFileWriter& writer) : writer_(writer) {}

  void ExportElement(const API_Guid& element) {
    APIGuid2Guid(element).ToText(elementBytes_);
    API_ElementHeader header;
    header.guid = element;
    if (HostError error = host::GetElementHeader(header); error != FvErr_NoError) {
      // Without its header the element cannot be told from a linked copy, so
      // its values are not written; deleting the groups takes them, so say so.
      Report(error, "Export Property Values: GetElementHeader of element ", Name(ElementText()),
             " failed with Error Code: %d");
      failed_ = true;
      return;
    }
    linkedCopy_ = !header.linkGuid.IsNull();
    Array<API_PropertyDefinition> definitions;
    if (HostError error = host::GetElementPropertyDefinitions(element, definitions); error != FvErr_NoError) {
      Report(error, "Export Property Values: GetPropertyDefinitions for element ", Name(ElementText()),
             " failed with Error Code: %d");
      failed_ = true;
      return;
    }
    for (Corbane::UIndex place = 0; place < definitions.GetSize(); ++place)
      ExportProperty(element, place, definitions[place]);
  }

  Outcome Result() const noexcept { return failed_ ? Outcome::Partial : Outcome::Done; }

 private:
  // The guid text of the element being exported, made only for a report line.
  UniString ElementText() const { return UniString(elementBytes_); }

  void ExportProperty(const API_Guid& element, Corbane::UIndex place, const API_PropertyDefinition& definition) {
    API_PropertyGroup group;
    group.guid = definition.groupGuid;
    if (HostError error = host::GetPropertyGroup(group); error != FvErr_NoError) {
      // verbatim: "Error Code : % d"
      Report(error, "Export Property Values: GetPropertyGroup of element ", Name(ElementText()), " for property ",
             Name(definition.name), " failed with Error Code : % d");
      failed_ = true;
      return;
    }
    const Bytes* definitionFields = DefinitionFieldsOf(place, definition, group.name);
    if (definitionFields == nullptr) return;

    ElementPropertyRecord property;
    if (HostError error = host::GetPropertyValue(element, definition.guid, property); error != FvErr_NoError) {
      // verbatim: "Export Default Property Values" for an element's own value, and "Error Code : % d"
      Report(error, "Export Default Property Values: GetPropertyValue of element ", Name(ElementText()),
             " for property ", Name(group.name), ":", Name(definition.name), " failed with Error Code : % d");
      failed_ = true;
      return;
    }
    if (property.isDefault || property.status != API_PropertyKnown) return;
    if (linkedCopy_) {
      // A linked copy's values are not written, yet deleting the group takes
      // them: say so, rather than lose them in silence.
      Report(FvErr_NoError, "Export Property Values: value of element ", Name(ElementText()), " for property ",
             Name(group.name), ":", Name(definition.name), " is on a linked copy and is not kept");
      failed_ = true;
      return;
    }
    // The record carries the value as the host stores it, and that is what
    // travels; the host's text of it is asked for all the same, since a value
    // the host cannot show is one it would not take back.
    if (HostError error = host::GetPropertyValueString(property, shown_); error != FvErr_NoError) {
      // verbatim: "Export Default Property Values" for an element's own value, and "Error Code : % d"
      Report(error, "Export Default Property Values: GetPropertyValueString of element ", Name(ElementText()),
             " for property ", Name(group.name), ":", Name(definition.name), " failed with Error Code : % d");
      failed_ = true;
      return;
    }
    WriteRow(*definitionFields, definition, property.value);  // a row that does not reach the file is named by LostRows
  }

  // The record fields of a kept IFC property, null for any other property;
  // made the first time the definition is met.
  const Bytes* DefinitionFieldsOf(Corbane::UIndex place, const API_PropertyDefinition& definition,
                                  const UniString& groupName) {
    const KnownDefinition& known = definitions_.Of(place, definition, [&](KnownDefinition& made) {
      made.kept = IsIfcGroupName(groupName) && IsKeptCollection(definition.collectionType);
      NarrowInto(item_, groupName);
      NarrowInto(value_, definition.name);
      SetDefinitionFields(made.fields, item_, value_, ValueTypeWord(definition.valueType),
                          MeasureWord(definition.measureType), CollectionWord(definition.collectionType));
    });
    return known.kept ? &known.fields : nullptr;
  }

  void WriteRow(const Bytes& definitionFields, const API_PropertyDefinition& definition, const API_PropertyValue& value) {
    const bool quoteValue = SetValueField(definition, value);
    writer_.Write(std::string_view(elementBytes_), definitionFields, value_, quoteValue);
  }

  // Fills value_ with the value field; true when it must stand in quotes to
  // read back as the value it is rather than as a cleared or undefined one.
  bool SetValueField(const API_PropertyDefinition& definition, const API_PropertyValue& value) {
    value_.clear();
    if (value.variantStatus == API_ValueNull) return false;
    if (value.variantStatus == API_ValueUndefined) {
      value_.assign(undefinedValueWord);
      return false;
    }
    if (definition.collectionType == API_SingleCollection || definition.collectionType == API_SingleChoiceCollection) {
      SetItemText(value_, definition, value.singleVariant);
      return value_.empty() || std::string_view(value_) == undefinedValueWord;
    }
    for (const API_Variant& item : value.listVariant) {
      SetItemText(item_, definition, item);
      AppendNestedItem(value_, item_);
    }
    return true;
  }

  // One value as the host stores it: a choice as its option's shown value.
  void SetItemText(Bytes& out, const API_PropertyDefinition& definition, const API_Variant& item) {
    out.clear();
    if (IsChoiceCollection(definition.collectionType)) {
      // The host has shown the value, so its key is one of the options.
      for (const API_SingleEnumerationVariant& option : definition.possibleEnumValues)
        if (option.keyVariant.guidValue == item.guidValue) return NarrowInto(out, OptionDisplayText(option, optionText_));
      return;
    }
    switch (definition.valueType) {
      case API_VariantInteger: return WriteNumber(out, item.intValue);
      case API_VariantReal: return WriteNumber(out, item.doubleValue);
      case API_VariantBoolean: out.assign(item.boolValue ? "True" : "False"); return;
      case API_VariantString: return NarrowInto(out, item.uniStringValue);
      default: return;
    }
  }

  DataFileWriter& writer_;
  bool failed_ = false;
  bool linkedCopy_ = false;  // of the element being exported
  char elementBytes_[37] = {};  // the current element's guid text, as the file holds it
  Bytes value_, item_;  // a row's texts; they keep their storage from row to row
  struct KnownDefinition {
    bool kept = false;
    Bytes fields;
  };
  DefinitionMemo<KnownDefinition> definitions_;
  UniString shown_, optionText_;
};

// Names each row that may not be in the data file, from the row's own text,
// so that no value the deletion of the groups takes is lost without a word.
class LostRows final : public DataFileWriter::LostRecords {
 public:
  void Lost(std::string_view record, DataFileWriter::Loss why) noexcept override {
    any_ = true;
    try {
      Corbane::UIndex count = 0;
      if (!SplitNestedRecord(record, fields_, count) || count < 3) return;  // never so: the writer made the record
      const UniString element = Widen(fields_[0]), group = Widen(fields_[1]), property = Widen(fields_[2]);
      if (why == DataFileWriter::Loss::TooLong)
        Report(FvErr_NoError, "Export Property Values: value of element ", Name(element), " for property ",
               Name(group), ":", Name(property), " is longer than the data file takes; it is not kept");
      else
        Report(FvErr_NoError, "Export Property Values: value of element ", Name(element), " for property ",
               Name(group), ":", Name(property), " could not be written to the data file");
    } catch (...) {
      // Out of memory for the line itself: the step's outcome still says values are missing.
    }
  }

  bool Any() const noexcept { return any_; }

 private:
  Array<Bytes> fields_;
  bool any_ = false;
};

void ReportInUse() {
  Report(FvErr_NoError, "Export Property Values: the data file ", Name(dataFileLocation.ToDisplayText()),
         " is in use by another session; the values are not written");
}

}  // namespace

Outcome Config::exportPropertyValues() {
  Array<API_Guid> elements;
  if (HostError error = host::GetElemList(elements); error != FvErr_NoError) {
    Report(error, "Export Property Values: GetElemList failed with Error Code: %d");
    return Outcome::Failed;
  }
  PlaceDataFile();
  // Nothing at the data file's name is touched before its lock is held.
  const DataFileHold::Taken taken = dataFileHold.Take(dataFileLocation);
  if (taken == DataFileHold::Taken::InUse) {
    ReportInUse();
    return Outcome::Failed;
  }
  LostRows lost;
  DataFileWriter writer(&lost);
  if (taken != DataFileHold::Taken::Held || !writer.Open(dataFileLocation)) {
    dataFileHold.Release();
    // verbatim: the line always gives error code 0
    Report(FvErr_NoError, "Export Property Values: CSV (data) File creation failed with Error Code: %d");
    return Outcome::Failed;
  }
  dataFileHold.RememberWritten(writer.Descriptor());
  // The step holds a host file object for the data file while it writes, as
  // the command always has; nothing goes through it, the writer owns the file. Made after the file, which it then only finds:
  // made before, it would create a file at the name that is not the run's own.
  const Nostrel::File file(dataFileLocation, Nostrel::File::Create);
  ValueExport run(writer);
  for (const API_Guid& element : elements) run.ExportElement(element);
  const bool complete = writer.Close();
  if (!complete && !lost.Any())
    Report(FvErr_NoError, "Export Property Values: CSV (data) File could not be written completely");
  return complete ? run.Result() : Outcome::Partial;
}

}  // namespace quarnel
