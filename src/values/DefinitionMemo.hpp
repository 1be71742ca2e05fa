// What a value step makes of a definition once for the whole step (the
// export's record fields, the import's row key). Every element lists the same
// definitions, nearly always in the same order, and nothing renames one while
// the step runs; so an entry is found by its place in the element's list when
// the definition there is the one last met at that place, and by its guid only
// when it is not. The place check is one guid comparison per definition.
#pragma once

#include "Corbane/Array.hpp"
#include "Corbane/HashTable.hpp"
#include "Forvane/Records.hpp"

namespace quarnel {

template <class Made>
class DefinitionMemo {
 public:
  // The entry of the definition at `place` in the element's list; the first
  // time a definition is met, `make(Made&)` fills its entry before it is kept.
  template <class Make>
  const Made& Of(Corbane::UIndex place, const API_PropertyDefinition& definition, Make&& make) {
    if (place < byPlace_.GetSize() && byPlace_[place].guid == definition.guid) return *byPlace_[place].made;
    const Made* made = byGuid_.GetPtr(definition.guid);
    if (made == nullptr) {
      Made fresh;
      make(fresh);
      byGuid_.Add(definition.guid, fresh);
      made = byGuid_.GetPtr(definition.guid);
    }
    while (byPlace_.GetSize() <= place) byPlace_.PushNew();
    byPlace_[place] = Placed{definition.guid, made};  // the table's entries stay where they are
    return *made;
  }

 private:
  struct Placed {
    API_Guid guid;
    const Made* made = nullptr;
  };
  Corbane::Array<Placed> byPlace_;
  Corbane::HashTable<API_Guid, Made> byGuid_;
};

}  // namespace quarnel
