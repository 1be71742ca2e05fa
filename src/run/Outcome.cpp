#include "run/Outcome.hpp"

namespace quarnel {

Outcome DeletePropertiesOutcome(HostError commandResult, RunStatus status) noexcept {
  if (commandResult == FvErr_NoError && status <= Outcome::Done) return Outcome::Done;
  return status;
}

Outcome ImportOutcome(HostError commandResult, RunStatus status) noexcept {
  if (commandResult != FvErr_NoError) return status;
  return (status >= Outcome::Failed && status != Outcome::Done) ? status : Outcome::Done;
}

Outcome ImportPropertyValuesOutcome(RunStatus status) noexcept {
  return (status == Outcome::Failed || status == Outcome::Partial) ? status : Outcome::Done;
}

}  // namespace quarnel
