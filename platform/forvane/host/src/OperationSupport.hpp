// What every operation adapter does around its model work.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "Convert.hpp"
#include "Corbane/Memory.hpp"
#include "Forvane/EntryTable.hpp"
#include "ForvaneHost/Model.hpp"
#include "HostState.hpp"
#include "Lookup.hpp"

namespace fvhost::ops {

// The call gate (HostState::BeginCall), then `work` when the call may go on,
// then the call event. The operation's name is the list's, by its slot.
// Nothing thrown inside the host gets out to the add-on: it becomes FvErr_General.
template <FvSlot slot, class Work>
HostError ThroughGate(internal::HostState& host, const std::vector<std::string>& subjects, API_Token token,
                      Work&& work, bool needsToken = true) {
  const char* operation = FvOperation<slot>::name;
  HostError result = host.BeginCall(operation, subjects, token, needsToken);
  if (result == FvErr_NoError) {
    try {
      result = work();
    } catch (...) {
      result = FvErr_General;
    }
  }
  host.EndCall(operation, subjects, result);
  return result;
}

// Runs `work` with the host as memory owner: what the project keeps is the
// host's, while records handed to the add-on stay charged to the add-on.
template <class Work>
auto AsHost(Work&& work) {
  Corbane::OwnerScope hostMemory(Corbane::HostOwner);
  return work();
}

// The refusal of a project change outside an undoable command, for the
// operations that the list of operations marks so.
template <FvSlot slot>
HostError RequireCommand(const internal::HostState& host) {
  static_assert(FvOperation<slot>::when == FvWhen_InCommand, "the list marks this operation as callable anywhere");
  return host.InCommand() ? FvErr_NoError : FvErr_NotInCommand;
}

inline std::string GuidSubject(const API_Guid* guid) { return guid ? GuidText(*guid) : std::string(); }

inline std::string GroupSubject(const Project& project, const API_Guid* guid) {
  const Group* group = guid ? lookup::FindGroup(project, *guid) : nullptr;
  return group ? group->name : std::string();
}

inline std::string DefinitionSubject(const Project& project, const API_Guid* guid) {
  const Definition* definition = guid ? lookup::FindDefinition(project, *guid) : nullptr;
  return definition ? definition->name : std::string();
}

// The index of a known element, or the error that says why there is none.
inline HostError FindElement(const Project& project, const API_Guid* guid, std::size_t& index) {
  if (guid == nullptr) return FvErr_BadParameter;
  if (guid->IsNull()) return FvErr_BadId;
  auto found = lookup::Element(project, *guid);
  if (!found) return FvErr_NoSuchElement;
  index = *found;
  return FvErr_NoError;
}

inline HostError FindDefinition(const Project& project, const API_Guid* guid, std::size_t& index) {
  if (guid == nullptr) return FvErr_BadParameter;
  if (guid->IsNull()) return FvErr_BadId;
  auto found = lookup::Definition(project, *guid);
  if (!found) return FvErr_NoSuchDefinition;
  index = *found;
  return FvErr_NoError;
}

// The definitions an element may carry: those available for every element,
// or for one of its classification items or an item above one.
class Availability {
 public:
  Availability(const Project& project, const Element& element);
  bool Allows(const Definition& definition) const;

 private:
  std::vector<std::string> items_;
};

}  // namespace fvhost::ops
