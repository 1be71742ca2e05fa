#include "run/Handler.hpp"

#include "host/Report.hpp"
#include "run/Config.hpp"
#include "run/FinalAlert.hpp"
#include "run/RunStatus.hpp"

namespace quarnel {

namespace {

// Anything but a failure as a whole: Done, Partial, or either of step 4's
// failed imports.
bool Worked(Outcome outcome) noexcept { return outcome > Outcome::Failed; }

// Steps 1 to 3 always run; the later ones only when what they build on worked.
RunOutcomes RunSteps(Config& config) {
  RunOutcomes o;
  o.exportExpressions = config.exportExpressions();
  o.exportPropertyValues = config.exportPropertyValues();
  o.deleteProperties = config.deleteProperties();
  if (Worked(o.deleteProperties)) o.importSchema = config.importPropertiesAndClassifications();
  if (Worked(o.importSchema)) {
    if (Worked(o.exportExpressions)) o.importExpressions = config.importExpressions();
    if (Worked(o.exportPropertyValues)) o.importPropertyValues = config.importPropertyValues();
  }
  return o;
}

}  // namespace

void RunImport() {
  ResetRunStatus();
  Config config;
  ShowFinalAlert(ChooseFinalAlert(RunSteps(config)));
}

void RunGuarded(void (*run)()) noexcept {
  // The host's thread must never see an exception of ours. A run that ends
  // this way did not do all its work, and the user is told so; the steps it
  // finished stay as undo steps.
  try {
    run();
    return;
  } catch (...) {
  }
  try {
    Report(FvErr_General, "Import IFC+SG Classifications and Properties: Failed with error code: %d");
    ShowFinalAlert({AlertChoice::Failure});
  } catch (...) {
  }
}

HostError HandleMenuCommand(const API_MenuCallParams* params) {
  if (params == nullptr || params->menuResourceId != ImportMenuResourceId || params->itemIndex != ImportMenuItemIndex)
    return FvErr_NoError;
  RunGuarded(&RunImport);
  return FvErr_NoError;
}

}  // namespace quarnel
