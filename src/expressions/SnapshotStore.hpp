// The snapshot store: what the expression snapshot keeps of the IFC property
// definitions while their groups are deleted and re-imported, for the restore
// to put back onto the new definitions, matched by group and definition name.
//
// One set of tables per loaded plug-in (static storage). Every table is
// add-if-absent: the first value stored under a key stays. The snapshot
// empties the tables before it fills them, so one run never restores what an
// earlier run saved; the restore empties them once it has walked the
// definitions.
#pragma once

#include "Corbane/Corbane.hpp"
#include "Forvane/Records.hpp"

namespace quarnel {

// Keyed by DefinitionKey: the expression texts, in their order.
extern Corbane::HashTable<Corbane::UniString, Corbane::Array<Corbane::UniString>> savedExpressions;
// Keyed by DefinitionKey: the whole option list of a single-choice definition.
extern Corbane::HashTable<Corbane::UniString, Corbane::Array<API_SingleEnumerationVariant>> savedOptionSets;
// Keyed by DefinitionKey: the display text of the option that was the default.
extern Corbane::HashTable<Corbane::UniString, Corbane::UniString> savedDefaultOptions;
// Keyed by DefaultValueKey: the whole default value of a plain definition.
extern Corbane::HashTable<Corbane::UniString, API_PropertyValue> savedDefaultValues;

// group + ";" + definition
Corbane::UniString DefinitionKey(const Corbane::UniString& groupName, const Corbane::UniString& definitionName);
// group + ":" + definition
Corbane::UniString DefaultValueKey(const Corbane::UniString& groupName, const Corbane::UniString& definitionName);

void EmptySnapshotStore() noexcept;
bool SnapshotStoreIsEmpty() noexcept;

}  // namespace quarnel
