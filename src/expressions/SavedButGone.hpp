// What the snapshot saved for a definition that the re-import no longer has:
// nothing can take it back, so the Session Report names it, with what it was,
// for a person to carry over by hand.
#pragma once

#include "Corbane/Corbane.hpp"
#include "values/RowKey.hpp"

namespace quarnel {

// One line for each saved expression, option set and default value whose key
// is not in `met` (the restore found no definition for it), unless a
// definition of that name is in `unplaced` (its group could not be fetched,
// which has its own line). True when it wrote any line.
bool ReportSavedButGone(const Corbane::HashTable<RowKey, bool>& met,
                        const Corbane::HashTable<Corbane::UniString, bool>& unplaced);

}  // namespace quarnel
