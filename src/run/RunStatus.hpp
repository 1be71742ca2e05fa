// The run status values: what the body of each undoable step recorded, read by
// its wrapper after the command returned (run/Outcome.hpp). All four are
// Failed at the start of every run: a body that records nothing has not done
// its work, except group removal's, which records only what went wrong.
#pragma once

#include "run/Config.hpp"

namespace quarnel {

using RunStatus = Outcome;

extern RunStatus deletePropertiesStatus;
extern RunStatus importPropertiesAndClassificationsStatus;
extern RunStatus importExpressionsStatus;
extern RunStatus importPropertyValuesStatus;

void ResetRunStatus() noexcept;

}  // namespace quarnel
