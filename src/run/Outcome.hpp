// How a wrapper turns its undoable command's result and its step's run status
// value into the step's outcome. Pure: the wrappers decide nothing else.
#pragma once

#include "Forvane/Errors.hpp"
#include "run/Config.hpp"
#include "run/RunStatus.hpp"

namespace quarnel {

// Group removal: all done only when the command ran and no deletion failed.
Outcome DeletePropertiesOutcome(HostError commandResult, RunStatus status) noexcept;
// Schema import and expression restore: a failed command leaves the status
// as the body recorded it; a command that ran turns Done and anything below
// Failed into Done.
Outcome ImportOutcome(HostError commandResult, RunStatus status) noexcept;
// Value import: its body always answers FvErr_NoError, so only the status counts.
Outcome ImportPropertyValuesOutcome(RunStatus status) noexcept;

}  // namespace quarnel
