// Step 6's per-element work, open to tests: the rows of one element, by row
// key, set again on the element's re-imported definitions.
#pragma once

#include "Corbane/Corbane.hpp"
#include "values/RowKey.hpp"

namespace quarnel {

// Row key -> value type word, measure word, collection word, value text. The
// first row of a key wins (Add keeps what is there). The texts are read in
// their 8-bit form, as the data file carries them.
using RowTable = Corbane::HashTable<RowKey, Corbane::Array<Corbane::UniString>>;

// Both arguments are the function's own; callers move them in.
void applyElementRows(Corbane::UniString elementGuidText, RowTable rows);

}  // namespace quarnel
