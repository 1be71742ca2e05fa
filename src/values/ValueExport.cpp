// Step 2: every value the user set on an element for an IFC property goes into
// the data file before the IFC property groups are deleted. Only reads the
// project; runs outside any undoable command.
#include <algorithm>
#include <utility>

#include "host/HostApi.hpp"
#include "host/IfcGroup.hpp"
#include "host/Report.hpp"
#include "run/Config.hpp"
#include "values/DataFile.hpp"

namespace quarnel {

namespace {

bool IsListCollection(Int32 collectionType) noexcept {
  return collectionType == API_ListCollection || collectionType == API_MultipleChoiceCollection;
}

bool IsSingleCollection(Int32 collectionType) noexcept {
  return collectionType == API_SingleCollection || collectionType == API_SingleChoiceCollection;
}

// Reals are written as the host shows them, without the thousands separators,
// so that the import reads the number back. A comma is one byte in the 8-bit
// form too, and no other character's bytes hold it.
void DropThousandsSeparators(Bytes& shown) { shown.erase(std::remove(shown.begin(), shown.end(), ','), shown.end()); }

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
    const UniString elementText(elementBytes_);
    API_ElementHeader header;
    header.guid = element;
    if (HostError error = host::GetElementHeader(header); error != FvErr_NoError) {
      // Without its header the element cannot be told from a linked copy, so
      // its values are not written; deleting the groups takes them, so say so.
      Report(error, "Export Property Values: GetElementHeader of element ", Name(elementText),
             " failed with Error Code: %d");
      failed_ = true;
      return;
    }
    linkedCopy_ = !header.linkGuid.IsNull();
    Array<API_PropertyDefinition> definitions;
    if (HostError error = host::GetElementPropertyDefinitions(element, definitions); error != FvErr_NoError) {
      Report(error, "Export Property Values: GetPropertyDefinitions for element ", Name(elementText),
             " failed with Error Code: %d");
      failed_ = true;
      return;
    }
    for (const API_PropertyDefinition& definition : definitions) ExportProperty(element, elementText, definition);
  }

  Outcome Result() const noexcept { return failed_ ? 2 : 1; }

 private:
  void ExportProperty(const API_Guid& element, const UniString& elementText, const API_PropertyDefinition& definition) {
    API_PropertyGroup group;
    group.guid = definition.groupGuid;
    if (HostError error = host::GetPropertyGroup(group); error != FvErr_NoError) {
      Report(error, "Export Property Values: GetPropertyGroup of element ", Name(elementText), " for property ",
             Name(definition.name), " failed with Error Code : % d");
      failed_ = true;
      return;
    }
    if (!IsIfcGroupName(group.name)) return;
    if (!IsSingleCollection(definition.collectionType) && !IsListCollection(definition.collectionType)) return;

    ElementPropertyRecord property;
    if (HostError error = host::GetPropertyValue(element, definition.guid, property); error != FvErr_NoError) {
      Report(error, "Export Default Property Values: GetPropertyValue of element ", Name(elementText),
             " for property ", Name(group.name), ":", Name(definition.name), " failed with Error Code : % d");
      failed_ = true;
      return;
    }
    if (property.isDefault || property.status != API_PropertyKnown) return;
    if (linkedCopy_) {
      // A linked copy's values are not written, yet deleting the group takes
      // them: say so, rather than lose them in silence.
      Report(FvErr_NoError, "Export Property Values: value of element ", Name(elementText), " for property ",
             Name(group.name), ":", Name(definition.name), " is on a linked copy and is not kept");
      failed_ = true;
      return;
    }
    if (IsListCollection(definition.collectionType)) {
      // The file has one value text per property; a list cannot travel in it,
      // so the user is told rather than losing it in silence.
      Report(FvErr_NoError, "Export Property Values: value of element ", Name(elementText), " for property ",
             Name(group.name), ":", Name(definition.name), " is a list and is not kept");
      failed_ = true;
      return;
    }

    UniString shown;
    if (HostError error = host::GetPropertyValueString(property, shown); error != FvErr_NoError) {
      Report(error, "Export Default Property Values: GetPropertyValueString of element ", Name(elementText),
             " for property ", Name(group.name), ":", Name(definition.name), " failed with Error Code : % d");
      failed_ = true;
      return;
    }
    if (!WriteRow(group.name, definition, shown)) {
      Report(FvErr_NoError, "Export Property Values: value of element ", Name(elementText), " for property ",
             Name(group.name), ":", Name(definition.name), " could not be written to the data file");
      failed_ = true;
    }
  }

  bool WriteRow(const UniString& groupName, const API_PropertyDefinition& definition, const UniString& shown) {
    NarrowInto(group_, groupName);
    NarrowInto(property_, definition.name);
    NarrowInto(value_, shown);
    if (definition.valueType == API_VariantReal) DropThousandsSeparators(value_);
    const std::string_view fields[valueRowFieldCount] = {
        std::string_view(elementBytes_), group_, property_, ValueTypeWord(definition.valueType),
        MeasureWord(definition.measureType), CollectionWord(definition.collectionType), value_};
    return writer_.Write(fields);
  }

  DataFileWriter& writer_;
  bool failed_ = false;
  bool linkedCopy_ = false;  // of the element being exported
  char elementBytes_[37] = {};  // the current element's guid text, as the file holds it
  Bytes group_, property_, value_;  // a row's texts; they keep their storage from row to row
};

}  // namespace

Outcome Config::exportPropertyValues() {
  Array<API_Guid> elements;
  if (HostError error = host::GetElemList(elements); error != FvErr_NoError) {
    Report(error, "Export Property Values: GetElemList failed with Error Code: %d");
    return 0;
  }
  PlaceDataFile();
  const Nostrel::File file(dataFileLocation, Nostrel::File::Create);
  DataFileWriter writer;
  if (!writer.Open(dataFileLocation)) {
    Report(FvErr_NoError, "Export Property Values: CSV (data) File creation failed with Error Code: %d");
    return 0;
  }
  ValueExport run(writer);
  for (const API_Guid& element : elements) run.ExportElement(element);
  if (!writer.Close()) {
    Report(FvErr_NoError, "Export Property Values: CSV (data) File could not be written completely");
    return 2;
  }
  return run.Result();
}

}  // namespace quarnel
