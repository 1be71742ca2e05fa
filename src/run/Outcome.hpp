// How a wrapper turns its undoable command's result and its step's run status
// value into the step's outcome code. Pure: the wrappers decide nothing else.
#pragma once

#include "Corbane/Types.hpp"
#include "Forvane/Errors.hpp"
#include "run/Config.hpp"

namespace quarnel {

using RunStatus = Corbane::Int8;

// Group removal: all done only when the command ran and no deletion failed.
Outcome DeletePropertiesOutcome(HostError commandResult, RunStatus status) noexcept;
// Schema import and expression restore: a failed command leaves the status
// as the body recorded it; a command that ran turns 1 and anything negative into 1.
Outcome ImportOutcome(HostError commandResult, RunStatus status) noexcept;
// Value import: its body always answers 0, so only the status counts.
Outcome ImportPropertyValuesOutcome(RunStatus status) noexcept;

}  // namespace quarnel
