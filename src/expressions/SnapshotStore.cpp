#include "expressions/SnapshotStore.hpp"

namespace quarnel {

using Corbane::Array;
using Corbane::HashTable;
using Corbane::UniString;

HashTable<UniString, Array<UniString>> savedExpressions;
HashTable<UniString, Array<API_SingleEnumerationVariant>> savedOptionSets;
HashTable<UniString, UniString> savedDefaultOptions;
HashTable<UniString, API_PropertyValue> savedDefaultValues;
HashTable<UniString, Array<UniString>> savedDefaultChoices;
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
