// One run of the import command: six steps, always in this order, each a
// method returning its outcome code.
//
// Outcome codes: 1 the step did all its work; 2 partial (for step 4: the
// classification import failed); 3 step 4 only: the property import failed;
// 0 the step failed as a whole (step 4: no file chosen); -1 not run.
//
// Config holds nothing; what the steps hand to each other lives in module
// storage (the snapshot store, the data file and its place, the run status
// values).
#pragma once

#include "Corbane/Types.hpp"
#include "Forvane/Errors.hpp"

namespace quarnel {

using Outcome = Corbane::Int8;

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
