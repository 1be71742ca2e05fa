// The gate every operation call passes: counters, injected faults, the token
// check and the call event.
#include <algorithm>

#include "HostInternal.hpp"
#include "HostState.hpp"

namespace fvhost::internal {
namespace {

bool SubjectMatches(const FaultRule& rule, const std::vector<std::string>& subjects) {
  if (!rule.subject) return true;
  return std::find(subjects.begin(), subjects.end(), *rule.subject) != subjects.end();
}

}  // namespace

HostError HostState::BeginCall(const char* operation, const std::vector<std::string>& subjects, API_Token token,
                               bool needsToken) {
  Corbane::OwnerScope hostMemory(Corbane::HostOwner);
  long callIndex = ++callCount_;
  int op = OperationIndex(operation);
  long nthOfOperation = op >= 0 ? ++perOperationCalls_[static_cast<std::size_t>(op)] : 0;

  for (const auto& fault : options.callFaults)
    if (fault.index == callIndex) return fault.error;
  for (const auto& rule : options.faults)
    if (rule.operation == operation && (rule.nth == 0 || rule.nth == nthOfOperation) && SubjectMatches(rule, subjects))
      return rule.error;

  if (!needsToken) return FvErr_NoError;
  bool known = token != 0 && std::any_of(addOns.begin(), addOns.end(),
                                         [token](const AddOn& addOn) { return addOn.token == token; });
  return known ? FvErr_NoError : FvErr_BadToken;
}

void HostState::EndCall(const char* operation, const std::vector<std::string>& subjects, HostError result) {
  if (!options.traceCalls) return;
  Corbane::OwnerScope hostMemory(Corbane::HostOwner);
  JsonObject event("call");
  event.Text("op", operation);
  if (subjects.empty())
    event.Null("subject");
  else
    event.Text("subject", subjects.front());
  transcript.Add(event.Number("result", result).Done());
}

}  // namespace fvhost::internal
