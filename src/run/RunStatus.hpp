// The run status values: what the body of each undoable step recorded, read by
// its wrapper after the command returned. All four are 0 at the start of every run.
#pragma once

#include "Corbane/Types.hpp"

namespace quarnel {

extern Corbane::Int8 deletePropertiesStatus;
extern Corbane::Int8 importPropertiesAndClassificationsStatus;
extern Corbane::Int8 importExpressionsStatus;
extern Corbane::Int8 importPropertyValuesStatus;

void ResetRunStatus() noexcept;

}  // namespace quarnel
