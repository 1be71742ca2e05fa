#include "expressions/SnapshotStore.hpp"

namespace quarnel {

using Corbane::Array;
using Corbane::HashTable;
using Corbane::UniString;

HashTable<RowKey, Array<UniString>> savedExpressions;
HashTable<RowKey, Array<API_SingleEnumerationVariant>> savedOptionSets;
HashTable<RowKey, UniString> savedDefaultOptions;
HashTable<RowKey, API_PropertyValue> savedDefaultValues;
HashTable<RowKey, Array<UniString>> savedDefaultChoices;
Array<SavedDefinition> savedDefinitions;

void EmptySnapshotStore() noexcept {
  savedExpressions.Clear();
  savedOptionSets.Clear();
  savedDefaultOptions.Clear();
  savedDefaultValues.Clear();
  savedDefaultChoices.Clear();
  savedDefinitions.Clear();
}

bool SnapshotStoreIsEmpty() noexcept {
  return savedExpressions.IsEmpty() && savedOptionSets.IsEmpty() && savedDefaultOptions.IsEmpty() &&
         savedDefaultValues.IsEmpty() && savedDefaultChoices.IsEmpty() && savedDefinitions.IsEmpty();
}

}  // namespace quarnel
