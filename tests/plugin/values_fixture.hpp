// What the value tests share: the data file in a scratch data folder (special
// folder 4), the re-import of the IFC groups by steps 3 and 4, and readers of
// the project's element values.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "ForvaneHost/Host.hpp"
#include "ForvaneHost/Model.hpp"
#include "host/HostApi.hpp"
#include "host/IfcGroup.hpp"
#include "run/Config.hpp"
#include "run/RunStatus.hpp"
#include "support/configuration_xml.hpp"
#include "support/in_process_host.hpp"
#include "support/project_builder.hpp"
#include "support/scratch_folder.hpp"
#include "values/DataFile.hpp"
#include "values/DataFileHold.hpp"
#include "values/ValueImport.hpp"

namespace values_test {

namespace fs = std::filesystem;

// Where the steps keep the data file when `folder` is special folder 4.
inline fs::path DataFileIn(const testing_support::ScratchFolder& folder) { return folder.path() / quarnel::dataFileName; }

inline bool IsIfc(const std::string& groupName) { return quarnel::IsIfcGroupName(Corbane::UniString(groupName.c_str())); }

// The project's IFC groups with their definitions, and its classification
// systems: what a configuration that gives the groups back holds.
inline fvhost::Project IfcPart(const fvhost::Project& project) {
  fvhost::Project part;
  part.classificationSystems = project.classificationSystems;
  for (const fvhost::Group& group : project.groups)
    if (IsIfc(group.name)) part.groups.push_back(group);
  for (const fvhost::Definition& d : project.definitions)
    if (std::any_of(part.groups.begin(), part.groups.end(), [&](const fvhost::Group& g) { return g.guid == d.group; }))
      part.definitions.push_back(d);
  return part;
}

[[noreturn]] inline void StepFailed(testing_support::InProcessHost& host, const std::string& step) {
  std::string why = step + " did not do all its work; the Session Report:";
  for (const std::string& line : host.Report()) why += "\n" + line;
  throw std::runtime_error(why);
}

// Steps 3 and 4 of a run, between the export and the restores: the plug-in's
// own steps delete the IFC groups through the host and hand the host's
// importers a configuration (in a scratch folder) that gives the groups back
// as they were, with `change` applied to it. The groups, definitions and
// option keys come back under new guids and without element values.
// std::runtime_error when a step does not do all its work.
template <class Change>
void Reimport(testing_support::InProcessHost& host, Change change) {
  fvhost::Project configuration = IfcPart(host.project());
  change(configuration);
  const testing_support::ScratchFolder folder;
  fvhost::DialogAnswer answer;
  answer.path = folder.Write("configuration.xml", testing_support::ConfigurationXml(configuration));
  quarnel::ResetRunStatus();
  if (host.AsAddOn([] { return quarnel::Config().deleteProperties(); }) != quarnel::Outcome::Done)
    StepFailed(host, "Delete Property Groups");
  host.host().QueueDialogAnswer(answer);
  if (host.AsAddOn([] { return quarnel::Config().importPropertiesAndClassifications(); }) != quarnel::Outcome::Done)
    StepFailed(host, "Import Properties and Classifications");
}
inline void Reimport(testing_support::InProcessHost& host) {
  Reimport(host, [](fvhost::Project&) {});
}

inline fvhost::Definition& DefinitionNamed(fvhost::Project& project, const std::string& group,
                                           const std::string& name) {
  for (auto& g : project.groups)
    if (g.name == group)
      for (auto& d : project.definitions)
        if (d.group == g.guid && d.name == name) return d;
  throw std::logic_error("no definition " + group + ":" + name);
}

inline const fvhost::Element& ElementOf(const fvhost::Project& project, const fvhost::Guid& element) {
  for (const auto& e : project.elements)
    if (e->guid == element) return *e;
  throw std::logic_error("no such element");
}

// The user-set value of an element, or null when it shows the default.
inline const fvhost::PropertyValue* UserValue(fvhost::Project& project, const fvhost::Guid& element,
                                              const std::string& group, const std::string& name) {
  const fvhost::Guid definition = DefinitionNamed(project, group, name).guid;
  for (const auto& v : ElementOf(project, element).values)
    if (v.definition == definition) return &v.value;
  return nullptr;
}

// The option key's display text of a choice value.
inline std::string ChosenText(fvhost::Project& project, const fvhost::Guid& element, const std::string& group,
                              const std::string& name) {
  const fvhost::PropertyValue* value = UserValue(project, element, group, name);
  if (value == nullptr) return "<default>";
  for (const auto& option : DefinitionNamed(project, group, name).options)
    if (option.key == value->single.guid) return option.display.text;
  return "<no option>";
}

enum class DataFileFrom { TheExport, Elsewhere };

// The file at the data file's place becomes the one the export wrote.
inline void TakeAsWrittenByTheExport() {
  const int file = ::open(quarnel::PathText(quarnel::dataFileLocation).Get(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK);
  quarnel::dataFileHold.RememberWritten(file);
  if (file >= 0) ::close(file);
}

// Step 6's body in its undoable command, as the run calls it; the status it
// recorded. The file at the data file's place counts as the one the export
// wrote unless `from` says it came from elsewhere.
inline int RunRestore(DataFileFrom from = DataFileFrom::TheExport) {
  if (from == DataFileFrom::TheExport) TakeAsWrittenByTheExport();
  quarnel::importPropertyValuesStatus = quarnel::Outcome::Failed;
  quarnel::Config config;
  auto body = [&config]() -> HostError { return config.restoreValuesFromDataFile(); };
  quarnel::host::CallUndoableCommand(Corbane::UniString("Import Property Values"), body);
  return static_cast<int>(quarnel::importPropertyValuesStatus);
}

inline std::string GuidText(const fvhost::Guid& guid) { return fvhost::GuidText(guid); }

}  // namespace values_test
