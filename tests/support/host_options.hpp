// Options for a host in a test: quiet (nothing printed), with a data folder
// of its own, with faults.
//
//   fvhost::Host host(Quiet());
//   InProcessHost host(project, Quiet({.faults = {Fail("GetPropertyGroup", FvErr_General, 2),
//                                                 FailFor("SetProperty", "Pset_WallCommon", FvErr_ReadOnly)}}));
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "Forvane/Errors.hpp"
#include "ForvaneHost/Host.hpp"
#include "support/scratch_folder.hpp"

namespace testing_support {

// The options as given, with nothing echoed on standard output.
inline fvhost::HostOptions Quiet(fvhost::HostOptions options = {}) {
  options.echo = false;
  return options;
}

// The operation fails with `error` on every call (`nth` 0) or only on its Nth call, counted from 1.
inline fvhost::FaultRule Fail(const std::string& operation, HostError error = FvErr_General, int nth = 0) {
  fvhost::FaultRule rule;
  rule.operation = operation;
  rule.nth = nth;
  rule.error = error;
  return rule;
}

// The same, only on calls one of whose subjects is `subject` (an empty subject is one too).
inline fvhost::FaultRule FailFor(const std::string& operation, const std::string& subject,
                                 HostError error = FvErr_General, int nth = 0) {
  fvhost::FaultRule rule = Fail(operation, error, nth);
  rule.subject = subject;
  return rule;
}

// Quiet, with `folder` as the data folder (special folder 4) and the faults given.
inline fvhost::HostOptions OptionsFor(const ScratchFolder& folder, std::vector<fvhost::FaultRule> faults = {}) {
  fvhost::HostOptions options = Quiet();
  options.specialFolder = folder.path().string();
  options.faults = std::move(faults);
  return options;
}

// An error code as the report lines give it: its number.
inline std::string Code(HostError error) { return std::to_string(static_cast<int>(error)); }

}  // namespace testing_support
