// Steps 4 to 6: each runs its body as one undoable command and turns what the
// command returned and what the body recorded into the step's outcome.

#include "host/HostApi.hpp"
#include "host/Report.hpp"
#include "run/Config.hpp"
#include "run/Outcome.hpp"
#include "run/RunStatus.hpp"
#include "values/DataFile.hpp"

namespace quarnel {

namespace {

template <class Body>
HostError RunAsCommand(const char* commandName, Body body) {
  return host::CallUndoableCommand(Corbane::UniString(commandName), body);
}

}  // namespace

Outcome Config::importPropertiesAndClassifications() {
  const HostError result =
      RunAsCommand("Import Properties and Classifications", [this] { return importSchemaFile(); });
  if (result != FvErr_NoError) Report(result, "Import Properties and Classifications: Failed with error code: %d");
  return ImportOutcome(result, importPropertiesAndClassificationsStatus);
}

Outcome Config::importExpressions() {
  const HostError result = RunAsCommand("Import Expressions", [this] { return restoreExpressions(); });
  // verbatim: "Option sets"
  if (result != FvErr_NoError) Report(result, "Import Expressions and Option sets failed with Error Code: %d");
  return ImportOutcome(result, importExpressionsStatus);
}

Outcome Config::importPropertyValues() {
  bool ran = false;
  const HostError result = RunAsCommand("Import Property Values", [this, &ran] {
    ran = true;
    return restoreValuesFromDataFile();
  });
  // The body reads and deletes the data file; a command that never ran left
  // the user's values in it, and the user needs to know where.
  if (result != FvErr_NoError && !ran)
    Report(result, "Import Property Values: Failed with error code: %d; the values are kept in ",
           Name(Corbane::UniString(PathText(dataFileLocation).Get())));
  return ImportPropertyValuesOutcome(importPropertyValuesStatus);
}

}  // namespace quarnel
