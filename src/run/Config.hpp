// One run of the import command: six steps, always in this order, each a
// method returning its outcome.
//
// Config holds nothing; what the steps hand to each other lives in module
// storage (the snapshot store, the data file and its place, the run status
// values).
#pragma once

#include "Corbane/Types.hpp"
#include "Forvane/Errors.hpp"

namespace quarnel {

// A step's outcome. Each keeps the number of the outcome code it names, so
// that whatever prints or compares an outcome sees the codes it always saw.
enum class Outcome : Corbane::Int8 {
  NotRun = -1,  // what it builds on did not work
  Failed = 0,   // the step failed as a whole (step 4: also no file chosen)
  Done = 1,     // the step did all its work
  Partial = 2,  // some of its work was not done; each miss has its report line
  // Step 4 only: its two imports, and which of them failed. The command
  // failed either way; the classification failure shares Partial's code.
  ClassificationsFailed = Partial,
  PropertiesFailed = 3,
};

class Config {
 public:
  Outcome exportExpressions();                   // expressions/ExpressionSnapshot.cpp
  Outcome exportPropertyValues();                // values/ValueExport.cpp
  Outcome deleteProperties();                    // run/GroupRemoval.cpp
  Outcome importPropertiesAndClassifications();  // run/Wrappers.cpp
  Outcome importExpressions();                   // run/Wrappers.cpp
  Outcome importPropertyValues();                // run/Wrappers.cpp

  // The bodies that run inside the undoable commands.
  HostError deletePropertiesBody();       // run/GroupRemoval.cpp
  HostError importSchemaFile();           // schema/SchemaImport.cpp
  HostError restoreExpressions();         // expressions/ExpressionRestore.cpp
  HostError restoreValuesFromDataFile();  // values/ValueImport.cpp
};

}  // namespace quarnel
