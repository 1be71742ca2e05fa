// What the run and schema tests share: a host with faults, the alerts the run
// showed (from the transcript), configuration files on disk, and a few
// lookups in the project.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "ForvaneHost/Host.hpp"
#include "run/Config.hpp"
#include "run/Handler.hpp"
#include "run/RunStatus.hpp"
#include "support/host_options.hpp"
#include "support/in_process_host.hpp"
#include "support/project_builder.hpp"
#include "support/scratch_folder.hpp"
#include "support/transcript_events.hpp"

namespace run_test {

using testing_support::Code;
using testing_support::Events;
using testing_support::Fail;
using testing_support::FailFor;
using testing_support::InProcessHost;
using testing_support::ProjectBuilder;

inline fvhost::HostOptions Options(std::vector<fvhost::FaultRule> faults = {}, std::vector<std::string> without = {}) {
  fvhost::HostOptions options = testing_support::Quiet();
  options.faults = std::move(faults);
  options.without = std::move(without);
  return options;
}

struct ShownAlert {
  int kind = 0;
  std::string title;
  std::string message;
  std::string second;
  std::vector<std::string> buttons;
};

inline std::vector<ShownAlert> Alerts(InProcessHost& host) {
  std::vector<ShownAlert> alerts;
  for (const nlohmann::json& event : Events(host.Transcript(), "alert")) {
    ShownAlert alert;
    alert.kind = event.value("kind", 0);
    alert.title = event.value("title", "");
    alert.message = event.value("message", "");
    alert.second = event.value("second", "");
    if (event.contains("buttons") && event["buttons"].is_array())
      for (const auto& button : event["buttons"]) alert.buttons.push_back(button.get<std::string>());
    alerts.push_back(alert);
  }
  return alerts;
}

inline std::vector<std::string> CommandNames(InProcessHost& host) {
  std::vector<std::string> names;
  for (const nlohmann::json& event : Events(host.Transcript(), "command")) names.push_back(event.value("name", ""));
  return names;
}

inline std::vector<std::string> GroupNames(const fvhost::Project& project) {
  std::vector<std::string> names;
  for (const fvhost::Group& group : project.groups) names.push_back(group.name);
  return names;
}

// Runs the command as the host's menu would.
inline HostError RunMenu(std::uint16_t menu = 32500, std::int32_t item = 1) {
  API_MenuCallParams params;
  params.menuResourceId = menu;
  params.itemIndex = item;
  return quarnel::HandleMenuCommand(&params);
}

// A configuration file in a folder of its own, removed with the test.
class ConfigFile {
 public:
  explicit ConfigFile(const std::string& text, const std::string& name = "config.xml")
      : path_(folder_.Write(name, text)) {}
  const std::string& path() const { return path_; }
  std::string folder() const { return folder_.path().string(); }

 private:
  testing_support::ScratchFolder folder_;
  std::string path_;
};

inline void Choose(InProcessHost& host, const std::string& path) {
  fvhost::DialogAnswer answer;
  answer.path = path;
  host.host().QueueDialogAnswer(answer);
}

inline void Cancel(InProcessHost& host) {
  fvhost::DialogAnswer answer;
  answer.cancel = true;
  host.host().QueueDialogAnswer(answer);
}

// A small configuration: one classification system and the wall's IFC group.
inline std::string WallConfiguration(const std::string& groupName = "Pset_WallCommon") {
  return R"(<?xml version="1.0" encoding="UTF-8"?>
<Configuration>
  <ClassificationSystems>
    <ClassificationSystem name="IFC+SG" version="2">
      <Item id="IfcWall" name="Wall"><Item id="IfcWall.PARTITIONING" name="Partition"/></Item>
    </ClassificationSystem>
  </ClassificationSystems>
  <PropertyGroups>
    <PropertyGroup name=")" +
         groupName + R"(">
      <PropertyDefinition name="FireRating" valueType="String" collectionType="SingleValue" measureType="Default">
        <DefaultValue>2HR</DefaultValue>
        <AvailableFor item="IfcWall"/>
      </PropertyDefinition>
      <PropertyDefinition name="Finish" valueType="String" collectionType="SingleValueFromCollection">
        <Option>Paint</Option><Option>Tile</Option>
        <DefaultValue>Paint</DefaultValue>
      </PropertyDefinition>
    </PropertyGroup>
  </PropertyGroups>
</Configuration>
)";
}

// A project with IFC groups and one group of the office's own.
inline ProjectBuilder WallProject() {
  ProjectBuilder b;
  b.Classification("IFC+SG", {"IfcWall"});
  auto wall = b.Group("Pset_WallCommon");
  b.Definition(wall, "FireRating");
  auto sg = b.Group("SGPset_Wall");
  b.Definition(sg, "Acoustic", API_VariantBoolean);
  auto own = b.Group("Office");
  b.Definition(own, "Cost", API_VariantReal);
  return b;
}

}  // namespace run_test
