// What the value tests share: a scratch data folder for special folder 4, the
// re-import of the IFC groups as steps 3 and 4 leave them, and readers of the
// project's element values.
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

// What deleting the IFC groups and importing them again from a configuration
// leaves: groups, definitions and option keys of the same names under new
// guids, and no element values of them.
inline void Reimport(fvhost::Project& project) {
  std::vector<fvhost::Guid> gone;
  for (auto& group : project.groups) {
    if (!IsIfc(group.name)) continue;
    const fvhost::Guid old = group.guid;
    group.guid = fvhost::NewGuid();
    for (auto& d : project.definitions) {
      if (d.group != old) continue;
      gone.push_back(d.guid);
      d.group = group.guid;
      d.guid = fvhost::NewGuid();
      for (auto& option : d.options) {
        const fvhost::Guid oldKey = option.key;
        option.key = fvhost::NewGuid();
        if (d.defaultValue.single.guid == oldKey) d.defaultValue.single.guid = option.key;
      }
    }
  }
  for (std::size_t i = 0; i < project.elements.size(); ++i) {
    auto& values = project.MutableElement(i).values;
    std::erase_if(values, [&](const fvhost::ElementValue& v) {
      return std::find(gone.begin(), gone.end(), v.definition) != gone.end();
    });
  }
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
  quarnel::importPropertyValuesStatus = 0;
  quarnel::Config config;
  auto body = [&config]() -> HostError { return config.restoreValuesFromDataFile(); };
  quarnel::host::CallUndoableCommand(Corbane::UniString("Import Property Values"), body);
  return quarnel::importPropertyValuesStatus;
}

inline std::string GuidText(const fvhost::Guid& guid) { return fvhost::GuidText(guid); }

}  // namespace values_test
