#include "run/RunStatus.hpp"

namespace quarnel {

Corbane::Int8 deletePropertiesStatus = 0;
Corbane::Int8 importPropertiesAndClassificationsStatus = 0;
Corbane::Int8 importExpressionsStatus = 0;
Corbane::Int8 importPropertyValuesStatus = 0;

void ResetRunStatus() noexcept {
  deletePropertiesStatus = 0;
  importPropertiesAndClassificationsStatus = 0;
  importExpressionsStatus = 0;
  importPropertyValuesStatus = 0;
}

}  // namespace quarnel
