// The host operations: the functions that the host entry table points at.
// Each is a thin adapter: Host::BeginCall (token, injected faults, counters),
// then the model work, then Host::EndCall (the call event).
#pragma once

#include "Forvane/EntryTable.hpp"

namespace fvhost::ops {

#define FV_DECLARE_OPERATION(name, slot, when, ret, params) ret name params;
FV_HOST_OPERATIONS(FV_DECLARE_OPERATION)
#undef FV_DECLARE_OPERATION

}  // namespace fvhost::ops
