#include "run/Handler.hpp"

#include "run/Config.hpp"
#include "run/FinalAlert.hpp"
#include "run/RunStatus.hpp"

namespace quarnel {

namespace {

// Steps 1 to 3 always run; the later ones only when what they build on worked.
RunOutcomes RunSteps(Config& config) {
  RunOutcomes o;
  o.exportExpressions = config.exportExpressions();
  o.exportPropertyValues = config.exportPropertyValues();
  o.deleteProperties = config.deleteProperties();
  if (o.deleteProperties > 0) o.importSchema = config.importPropertiesAndClassifications();
  if (o.importSchema > 0) {
    if (o.exportExpressions > 0) o.importExpressions = config.importExpressions();
    if (o.exportPropertyValues > 0) o.importPropertyValues = config.importPropertyValues();
  }
  return o;
}

}  // namespace

void RunImport() {
  ResetRunStatus();
  Config config;
  ShowFinalAlert(ChooseFinalAlert(RunSteps(config)));
}

HostError HandleMenuCommand(const API_MenuCallParams* params) {
  if (params == nullptr || params->menuResourceId != ImportMenuResourceId || params->itemIndex != ImportMenuItemIndex)
    return 0;
  // The host's thread must never see an exception of ours.
  try {
    RunImport();
  } catch (...) {
  }
  return 0;
}

}  // namespace quarnel
