// Documents built to make a parser expand or nest without end: each is refused
// with a message, within a second or two and a few megabytes, and the project
// is left as it was.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ForvaneHost/ConfigImport.hpp"
#include "security_fixture.hpp"

namespace security_test {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

constexpr long boundedGrowthBytes = 64L * 1024 * 1024;
constexpr double boundedSeconds = 2.0;

const std::string prolog = "<?xml version=\"1.0\"?>\n";
const std::string body =
    "<Configuration><PropertyGroups><PropertyGroup name=\"Pset_&bomb;\"/></PropertyGroups></Configuration>\n";

// Ten references per level, thirty levels: 10^30 copies of "lol" when expanded.
std::string NestedEntities() {
  std::string xml = prolog + "<!DOCTYPE Configuration [\n<!ENTITY l0 \"lol\">\n";
  for (int level = 1; level <= 30; ++level) {
    xml += "<!ENTITY l" + std::to_string(level) + " \"";
    for (int k = 0; k < 10; ++k) xml += "&l" + std::to_string(level - 1) + ";";
    xml += "\">\n";
  }
  return xml + "<!ENTITY bomb \"&l30;\">\n]>\n" + body;
}

// One entity of 100 kB referred to 100,000 times: 10 GB from a 700 kB text,
// below the limits that stop nesting.
std::string WideEntity() {
  std::string xml = prolog + "<!DOCTYPE Configuration [\n<!ENTITY wide \"" + std::string(100000, 'w') + "\">\n]>\n";
  xml += "<Configuration><PropertyGroups><PropertyGroup name=\"Pset_Wide\"><PropertyDefinition name=\"D\" "
         "valueType=\"String\" collectionType=\"SingleValue\"><DefaultValue>";
  for (int k = 0; k < 100000; ++k) xml += "&wide;";
  return xml + "</DefaultValue></PropertyDefinition></PropertyGroup></PropertyGroups></Configuration>\n";
}

// The same growth through parameter entities, inside the DTD itself.
std::string ParameterEntities() {
  std::string xml = prolog + "<!DOCTYPE Configuration [\n<!ENTITY % p0 \"lol\">\n";
  for (int level = 1; level <= 30; ++level) {
    xml += "<!ENTITY % p" + std::to_string(level) + " \"";
    for (int k = 0; k < 10; ++k) xml += "%p" + std::to_string(level - 1) + ";";
    xml += "\">\n";
  }
  return xml + "<!ENTITY bomb \"%p30;\">\n]>\n" + body;
}

// No entity at all: items nested a hundred thousand deep.
std::string DeepNesting() {
  std::string xml = prolog + "<Configuration><ClassificationSystems><ClassificationSystem name=\"IFC+SG\">";
  for (int depth = 0; depth < 100000; ++depth) xml += "<Item id=\"I" + std::to_string(depth) + "\" name=\"n\">";
  for (int depth = 0; depth < 100000; ++depth) xml += "</Item>";
  return xml + "</ClassificationSystem></ClassificationSystems></Configuration>\n";
}

struct Bomb {
  const char* name;
  std::string xml;
};

std::vector<Bomb> Bombs() {
  return {{"nested entities", NestedEntities()},
          {"one wide entity", WideEntity()},
          {"parameter entities", ParameterEntities()},
          {"deep nesting", DeepNesting()}};
}

fvhost::Project SmallProject() {
  auto b = run_test::WallProject();
  b.Set(b.Element("Wall", {"IfcWall"}), b.Definition(b.Group("Pset_Kept"), "Value"), "kept");
  return b.Build();
}

TEST(ExpansionBombs, EachImporterRefusesThemQuicklyInLittleMemory) {
  for (const Bomb& bomb : Bombs()) {
    SCOPED_TRACE(bomb.name);
    fvhost::Project project = SmallProject();
    const fvhost::Project before = project;
    for (auto import : {fvhost::ImportClassificationsXml, fvhost::ImportPropertiesXml}) {
      std::string message;
      HostError result = FvErr_NoError;
      double seconds = 0;
      const long growth = PeakGrowthBytes([&] { seconds = SecondsFor([&] { result = import(project, bomb.xml, message); }); });
      EXPECT_NE(result, FvErr_NoError);
      EXPECT_THAT(message, StartsWith("line "));
      EXPECT_LT(seconds, boundedSeconds);
      EXPECT_LT(growth, boundedGrowthBytes);
      EXPECT_TRUE(project == before);
    }
  }
}

TEST(ExpansionBombs, AWholeRunOnOneFailsTheImportAndCanBeUndone) {
  ScratchFolder folder;
  const std::string config = folder.Write("bomb.xml", NestedEntities());
  const fvhost::Project before = SmallProject();
  InProcessHost host(before, OptionsFor(folder));

  const double seconds = SecondsFor([&] { RunWithConfiguration(host, config); });

  EXPECT_LT(seconds, boundedSeconds);
  const auto alerts = run_test::Alerts(host);
  ASSERT_EQ(alerts.size(), 1u);
  EXPECT_EQ(alerts[0].title, "Import Failed!");
  EXPECT_THAT(host.Report(), testing::Contains(HasSubstr("a DOCTYPE is not allowed")));
  EXPECT_THAT(Everything(host), testing::Not(HasSubstr("lollol")));
  UndoEverything(host);
  EXPECT_TRUE(host.project() == before);
}

}  // namespace
}  // namespace security_test
