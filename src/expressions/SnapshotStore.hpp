// The snapshot store: what the expression snapshot keeps of the IFC property
// definitions while their groups are deleted and re-imported, for the restore
// to put back onto the new definitions, matched by group and definition name.
//
// One set of tables per loaded plug-in (static storage). Every table is keyed
// by RowKey (values/RowKey.hpp), the key the data file uses too, so that two
// different pairs of group and definition names never share an entry. Every
// table is add-if-absent: the first value stored under a key stays. The
// snapshot empties the tables before it fills them, so one run never restores
// what an earlier run saved; the restore empties them once it has walked the
// definitions.
#pragma once

#include "Corbane/Corbane.hpp"
#include "Forvane/Records.hpp"
#include "values/RowKey.hpp"

namespace quarnel {

// The expression texts, in their order.
extern Corbane::HashTable<RowKey, Corbane::Array<Corbane::UniString>> savedExpressions;
// The whole option list of a single-choice definition.
extern Corbane::HashTable<RowKey, Corbane::Array<API_SingleEnumerationVariant>> savedOptionSets;
// The display text of the option that was the default of a single-choice definition.
extern Corbane::HashTable<RowKey, Corbane::UniString> savedDefaultOptions;
// The whole default value of a definition that is neither an expression nor a single choice.
extern Corbane::HashTable<RowKey, API_PropertyValue> savedDefaultValues;
// For a multiple-choice default: the display texts of the options it chose, in
// its order. Option keys do not survive the re-import; these texts find the
// options again.
extern Corbane::HashTable<RowKey, Corbane::Array<Corbane::UniString>> savedDefaultChoices;

// A definition that gave the tables something, as the restore needs it when
// the re-import no longer has it: to name it, and to show its default value
// the way the host showed it.
struct SavedDefinition {
  RowKey key;
  Corbane::UniString groupName;
  Corbane::UniString definitionName;
  Corbane::Int32 collectionType = API_SingleCollection;
  Corbane::Int32 valueType = API_VariantString;
  Corbane::Int32 measureType = API_MeasureDefault;
};
// In the order the snapshot met them.
extern Corbane::Array<SavedDefinition> savedDefinitions;

void EmptySnapshotStore() noexcept;
bool SnapshotStoreIsEmpty() noexcept;

}  // namespace quarnel
