// Step 3: remove every IFC property group, so that the schema import creates
// them afresh. One undoable command; a group that cannot be removed is
// reported and the others are still attempted.

#include "host/HostApi.hpp"
#include "host/IfcGroup.hpp"
#include "host/Report.hpp"
#include "run/Config.hpp"
#include "run/Outcome.hpp"
#include "run/RunStatus.hpp"

namespace quarnel {

Outcome Config::deleteProperties() {
  bool ran = false;
  auto body = [this, &ran] {
    ran = true;
    return deletePropertiesBody();
  };
  const HostError result = host::CallUndoableCommand(Corbane::UniString("Delete Property Groups"), body);
  // A body that ran has written its own line for a failure; a command the
  // host did not run has no other line to send the user to.
  if (result != FvErr_NoError && !ran) Report(result, "Delete Property Groups: Failed with error code: %d");
  return DeletePropertiesOutcome(result, deletePropertiesStatus);
}

HostError Config::deletePropertiesBody() {
  // Fetched once, before any deletion: removing a group does not disturb the visit.
  Corbane::Array<API_PropertyGroup> groups;
  const HostError listError = host::GetPropertyGroups(groups);
  if (listError != FvErr_NoError) {
    Report(listError, "Removing Property: GetPropertyGroups failed with error code: %d");
    deletePropertiesStatus = Outcome::Failed;
    return listError;
  }
  for (const API_PropertyGroup& group : groups) {
    if (!IsIfcGroupName(group.name)) continue;
    const HostError error = host::DeletePropertyGroup(group.guid);
    if (error != FvErr_NoError) {
      Report(error, "Removing Property: DeletePropertyGroup ", Name(group.name), " failed with error code: %d");
      deletePropertiesStatus = Outcome::Partial;
    }
  }
  return FvErr_NoError;
}

}  // namespace quarnel
