// Operations on property groups and definitions, and the configuration importers.
#include <algorithm>

#include "Checks.hpp"
#include "ForvaneHost/ConfigImport.hpp"
#include "ForvaneHost/Expression.hpp"
#include "OperationSupport.hpp"
#include "Operations.hpp"

namespace fvhost::ops {
namespace {

bool IsDefinitionIn(const std::vector<Guid>& definitions, const Guid& guid) {
  return std::find(definitions.begin(), definitions.end(), guid) != definitions.end();
}

// Removes the element values of the given definitions, copying only the elements that hold one.
void RemoveElementValues(Project& project, const std::vector<Guid>& definitions) {
  for (std::size_t i = 0; i < project.elements.size(); ++i) {
    const auto& values = project.elements[i]->values;
    bool holdsOne = std::any_of(values.begin(), values.end(),
                                [&](const ElementValue& v) { return IsDefinitionIn(definitions, v.definition); });
    if (!holdsOne) continue;
    auto& mutableValues = project.MutableElement(i).values;
    std::erase_if(mutableValues, [&](const ElementValue& v) { return IsDefinitionIn(definitions, v.definition); });
  }
}

// After a definition changed, element values that no longer fit it are dropped:
// a value the definition cannot hold is no value of it.
void DropUnfitValues(Project& project, const Definition& definition) {
  for (std::size_t i = 0; i < project.elements.size(); ++i) {
    const auto& values = project.elements[i]->values;
    auto unfit = [&](const ElementValue& v) {
      return v.definition == definition.guid && checks::ValueFits(definition, v.value) != FvErr_NoError;
    };
    if (std::none_of(values.begin(), values.end(), unfit)) continue;
    std::erase_if(project.MutableElement(i).values, unfit);
  }
}

// Availability ids that name no classification item are not in the record the
// add-on saw; they are kept, so that handing back a record loses nothing.
void KeepUnknownAvailability(const Project& project, const Definition& stored, Definition& changed) {
  for (const auto& id : stored.availableFor)
    if (lookup::ItemById(project, id) == nullptr) changed.availableFor.push_back(id);
}

HostError BuildChangedDefinition(const Project& project, const API_PropertyDefinition& record,
                                 const Definition& stored, Definition& changed) {
  if (HostError bad = convert::FromApi(project, record, changed); bad != FvErr_NoError) return bad;
  if (changed.group.IsNull()) changed.group = stored.group;
  if (lookup::FindGroup(project, changed.group) == nullptr) return FvErr_NoSuchGroup;
  KeepUnknownAvailability(project, stored, changed);
  return checks::CheckChangedDefinition(project, changed);
}

using Importer = HostError (*)(Project&, std::string_view, std::string&);

// Imports into a copy, so that a failed import leaves the project as it was
// whatever the importer did; the copy shares the elements, so it is cheap.
template <FvSlot slot>
HostError Import(internal::HostState& host, const Corbane::UniString* xml, Importer importer,
                 const char* reportPrefix) {
  if (HostError outside = RequireCommand<slot>(host); outside != FvErr_NoError) return outside;
  if (xml == nullptr) return FvErr_BadParameter;
  std::string text = convert::ToUtf8(*xml);
  return AsHost([&]() -> HostError {
    Project imported = host.project;
    std::string message;
    HostError result = importer(imported, text, message);
    if (result != FvErr_NoError) {
      host.AddReportLine(reportPrefix + message);
      return result;
    }
    host.project = std::move(imported);
    return FvErr_NoError;
  });
}

}  // namespace

HostError GetPropertyGroups(API_Token token, Corbane::Array<API_PropertyGroup>* groups) {
  internal::HostState* host = internal::CurrentState();
  if (host == nullptr) return FvErr_General;
  return ThroughGate<FvSlot_GetPropertyGroups>(*host, {}, token, [&]() -> HostError {
    if (groups == nullptr) return FvErr_BadParameter;
    groups->Clear();
    for (const auto& group : host->project.groups) groups->Push(convert::ToApi(group));
    return FvErr_NoError;
  });
}

HostError GetPropertyGroup(API_Token token, API_PropertyGroup* group) {
  internal::HostState* host = internal::CurrentState();
  if (host == nullptr) return FvErr_General;
  std::vector<std::string> subjects{GroupSubject(host->project, group ? &group->guid : nullptr)};
  return ThroughGate<FvSlot_GetPropertyGroup>(*host, subjects, token, [&]() -> HostError {
    if (group == nullptr) return FvErr_BadParameter;
    if (group->guid.IsNull()) return FvErr_BadId;
    const Group* found = lookup::FindGroup(host->project, group->guid);
    if (found == nullptr) return FvErr_NoSuchGroup;
    *group = convert::ToApi(*found);
    return FvErr_NoError;
  });
}

HostError DeletePropertyGroup(API_Token token, const API_Guid* groupGuid) {
  internal::HostState* host = internal::CurrentState();
  if (host == nullptr) return FvErr_General;
  std::vector<std::string> subjects{GroupSubject(host->project, groupGuid)};
  return ThroughGate<FvSlot_DeletePropertyGroup>(*host, subjects, token, [&]() -> HostError {
    if (HostError outside = RequireCommand<FvSlot_DeletePropertyGroup>(*host); outside != FvErr_NoError) return outside;
    if (groupGuid == nullptr) return FvErr_BadParameter;
    if (groupGuid->IsNull()) return FvErr_BadId;
    Project& project = host->project;
    if (lookup::FindGroup(project, *groupGuid) == nullptr) return FvErr_NoSuchGroup;
    return AsHost([&]() -> HostError {
      std::vector<Guid> definitions;
      for (const auto& d : project.definitions)
        if (d.group == *groupGuid) definitions.push_back(d.guid);
      RemoveElementValues(project, definitions);
      std::erase_if(project.definitions, [&](const Definition& d) { return d.group == *groupGuid; });
      std::erase_if(project.groups, [&](const Group& g) { return g.guid == *groupGuid; });
      return FvErr_NoError;
    });
  });
}

HostError GetPropertyDefinitions(API_Token token, const API_Guid* groupGuid,
                                 Corbane::Array<API_PropertyDefinition>* definitions) {
  internal::HostState* host = internal::CurrentState();
  if (host == nullptr) return FvErr_General;
  std::vector<std::string> subjects{GroupSubject(host->project, groupGuid)};
  return ThroughGate<FvSlot_GetPropertyDefinitions>(*host, subjects, token, [&]() -> HostError {
    if (definitions == nullptr) return FvErr_BadParameter;
    const Project& project = host->project;
    bool all = groupGuid == nullptr || groupGuid->IsNull();
    if (!all && lookup::FindGroup(project, *groupGuid) == nullptr) return FvErr_NoSuchGroup;
    definitions->Clear();
    for (const auto& d : project.definitions)
      if (all || d.group == *groupGuid) definitions->Push(convert::ToApi(project, d));
    return FvErr_NoError;
  });
}

HostError ChangePropertyDefinition(API_Token token, API_PropertyDefinition* definition) {
  internal::HostState* host = internal::CurrentState();
  if (host == nullptr) return FvErr_General;
  std::vector<std::string> subjects;
  if (definition) {
    subjects.push_back(convert::ToUtf8(definition->name));
    subjects.push_back(GroupSubject(host->project, &definition->groupGuid));
  }
  return ThroughGate<FvSlot_ChangePropertyDefinition>(*host, subjects, token, [&]() -> HostError {
    if (HostError outside = RequireCommand<FvSlot_ChangePropertyDefinition>(*host); outside != FvErr_NoError)
      return outside;
    std::size_t index = 0;
    const API_Guid* guid = definition ? &definition->guid : nullptr;
    if (HostError missing = FindDefinition(host->project, guid, index); missing != FvErr_NoError) return missing;
    Project& project = host->project;
    HostError result = AsHost([&]() -> HostError {
      const Definition& stored = project.definitions[index];
      Definition changed;
      if (HostError bad = BuildChangedDefinition(project, *definition, stored, changed); bad != FvErr_NoError)
        return bad;
      bool mayUnfit = checks::ChangeMayUnfitValues(stored, changed);
      project.definitions[index] = std::move(changed);
      if (mayUnfit) DropUnfitValues(project, project.definitions[index]);
      return FvErr_NoError;
    });
    if (result == FvErr_NoError) *definition = convert::ToApi(project, project.definitions[index]);
    return result;
  });
}

HostError CheckPropertyExpressionString(API_Token token, const Corbane::UniString* expression) {
  internal::HostState* host = internal::CurrentState();
  if (host == nullptr) return FvErr_General;
  std::vector<std::string> subjects{expression ? convert::ToUtf8(*expression) : std::string()};
  return ThroughGate<FvSlot_CheckPropertyExpressionString>(*host, subjects, token, [&]() -> HostError {
    if (expression == nullptr) return FvErr_BadParameter;
    return CheckExpression(host->project, subjects.front());
  });
}

// The one way of each import this host offers: classification systems merged
// by name (1), an item id already held by another system refused (0); an
// existing group reused and its definitions updated in place (0).
constexpr std::int32_t MergeSystems = 1;
constexpr std::int32_t RefuseItemConflicts = 0;
constexpr std::int32_t UpdateInPlace = 0;

HostError ImportClassifications(API_Token token, const Corbane::UniString* xml, std::int32_t mergeMode,
                                std::int32_t conflictMode) {
  internal::HostState* host = internal::CurrentState();
  if (host == nullptr) return FvErr_General;
  return ThroughGate<FvSlot_ImportClassifications>(*host, {}, token, [&]() -> HostError {
    if (mergeMode != MergeSystems || conflictMode != RefuseItemConflicts) return FvErr_BadParameter;
    return Import<FvSlot_ImportClassifications>(*host, xml, &ImportClassificationsXml, "Import Classifications: ");
  });
}

HostError ImportProperties(API_Token token, const Corbane::UniString* xml, std::int32_t mode) {
  internal::HostState* host = internal::CurrentState();
  if (host == nullptr) return FvErr_General;
  return ThroughGate<FvSlot_ImportProperties>(*host, {}, token, [&]() -> HostError {
    if (mode != UpdateInPlace) return FvErr_BadParameter;
    return Import<FvSlot_ImportProperties>(*host, xml, &ImportPropertiesXml, "Import Properties: ");
  });
}

}  // namespace fvhost::ops
