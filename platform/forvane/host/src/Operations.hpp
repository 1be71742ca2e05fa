// The host operations: the functions that the host entry table points at,
// declared from the list of operations. Each is a thin adapter: the call gate
// (ThroughGate: token, injected faults, counters), the model work, the call event.
#pragma once

#include "Forvane/EntryTable.hpp"

namespace fvhost::ops {

#define FV_DECLARE_OPERATION(name, slot, when, ret, params) ret name params;
FV_HOST_OPERATIONS(FV_DECLARE_OPERATION)
#undef FV_DECLARE_OPERATION

}  // namespace fvhost::ops
