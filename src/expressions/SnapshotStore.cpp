#include "expressions/SnapshotStore.hpp"

namespace quarnel {

using Corbane::Array;
using Corbane::HashTable;
using Corbane::UniString;

HashTable<UniString, Array<UniString>> savedExpressions;
HashTable<UniString, Array<API_SingleEnumerationVariant>> savedOptionSets;
HashTable<UniString, UniString> savedDefaultOptions;
HashTable<UniString, API_PropertyValue> savedDefaultValues;

UniString DefinitionKey(const UniString& groupName, const UniString& definitionName) {
  return groupName + ";" + definitionName;
}

UniString DefaultValueKey(const UniString& groupName, const UniString& definitionName) {
  return groupName + ":" + definitionName;
}

void EmptySnapshotStore() noexcept {
  savedExpressions.Clear();
  savedOptionSets.Clear();
  savedDefaultOptions.Clear();
  savedDefaultValues.Clear();
}

bool SnapshotStoreIsEmpty() noexcept {
  return savedExpressions.IsEmpty() && savedOptionSets.IsEmpty() && savedDefaultOptions.IsEmpty() &&
         savedDefaultValues.IsEmpty();
}

}  // namespace quarnel
