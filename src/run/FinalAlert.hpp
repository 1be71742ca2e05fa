// The one alert that ends a run, chosen from the six steps' outcomes.
#pragma once

#include "Corbane/UniString.hpp"
#include "run/Config.hpp"

namespace quarnel {

struct RunOutcomes {
  Outcome exportExpressions = Outcome::Failed;     // E
  Outcome exportPropertyValues = Outcome::Failed;  // P
  Outcome deleteProperties = Outcome::Failed;      // D
  Outcome importSchema = Outcome::NotRun;          // I
  Outcome importExpressions = Outcome::NotRun;     // X
  Outcome importPropertyValues = Outcome::NotRun;  // V
};

enum class AlertChoice { None, Success, PartialSuccess, Failure };

// A partial success when everything was kept but one or more property groups
// stayed: no row of kept data applies, and ending without an alert would
// leave the user thinking every group had been replaced.
inline constexpr char groupsLeftRow = 'i';

struct FinalAlert {
  AlertChoice choice = AlertChoice::None;
  char row = 0;  // 'a' to 'h' for a partial success: which kinds of data were not retained; or groupsLeftRow
  friend bool operator==(const FinalAlert&, const FinalAlert&) = default;
};

// Pure: the alert for these outcomes (or none).
FinalAlert ChooseFinalAlert(const RunOutcomes& outcomes) noexcept;

// What the user sees; `kind` is the alert kind PellarinAlert takes.
struct AlertText {
  Corbane::Int16 kind = 0;
  const char* title = "";
  const char* message = "";
};
AlertText FinalAlertText(const FinalAlert& alert) noexcept;

// Shows the alert (nothing for AlertChoice::None).
void ShowFinalAlert(const FinalAlert& alert);

}  // namespace quarnel
