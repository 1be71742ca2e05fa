#include "run/Outcome.hpp"

namespace quarnel {

Outcome DeletePropertiesOutcome(HostError commandResult, RunStatus status) noexcept {
  if (commandResult == 0 && status <= 1) return 1;
  return status;
}

Outcome ImportOutcome(HostError commandResult, RunStatus status) noexcept {
  if (commandResult != 0) return status;
  return (status >= 0 && status != 1) ? status : Outcome{1};
}

Outcome ImportPropertyValuesOutcome(RunStatus status) noexcept {
  return (status == 0 || status == 2) ? status : Outcome{1};
}

}  // namespace quarnel
