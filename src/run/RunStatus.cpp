#include "run/RunStatus.hpp"

namespace quarnel {

RunStatus deletePropertiesStatus = Outcome::Failed;
RunStatus importPropertiesAndClassificationsStatus = Outcome::Failed;
RunStatus importExpressionsStatus = Outcome::Failed;
RunStatus importPropertyValuesStatus = Outcome::Failed;

void ResetRunStatus() noexcept {
  deletePropertiesStatus = Outcome::Failed;
  importPropertiesAndClassificationsStatus = Outcome::Failed;
  importExpressionsStatus = Outcome::Failed;
  importPropertyValuesStatus = Outcome::Failed;
}

}  // namespace quarnel
