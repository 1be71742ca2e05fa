// The example project and configuration shipped with the sources stay valid:
// the project loads, and the configuration brings it to the newer release the
// way the plug-in's run does (IFC groups deleted first, then both imports).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

#include "ForvaneHost/ConfigImport.hpp"
#include "ForvaneHost/ProjectFile.hpp"
#include "support/scratch_folder.hpp"

namespace {

using testing::Contains;
using testing::Not;

std::string ExamplePath(const std::string& name) {
  const char* root = std::getenv("QUARNEL_SOURCE_DIR");
  return std::string(root ? root : QUARNEL_SOURCE_ROOT) + "/examples/" + name;
}

using testing_support::ReadText;

fvhost::Project LoadExample() {
  std::string error;
  auto project = fvhost::LoadProjectFile(ExamplePath("project.json"), error);
  EXPECT_TRUE(project.has_value()) << error;
  return project.value_or(fvhost::Project{});
}

bool IsIfcGroup(const std::string& name) { return name.rfind("SGPset_", 0) == 0 || name.rfind("Pset_", 0) == 0; }

const fvhost::Group* GroupNamed(const fvhost::Project& p, const std::string& name) {
  for (const auto& g : p.groups)
    if (g.name == name) return &g;
  return nullptr;
}

std::set<std::string> DefinitionNames(const fvhost::Project& p, const std::string& group) {
  std::set<std::string> names;
  const auto* g = GroupNamed(p, group);
  for (const auto& d : p.definitions)
    if (g && d.group == g->guid) names.insert(d.name);
  return names;
}

const fvhost::Definition* DefinitionNamed(const fvhost::Project& p, const std::string& group, const std::string& name) {
  const auto* g = GroupNamed(p, group);
  for (const auto& d : p.definitions)
    if (g && d.group == g->guid && d.name == name) return &d;
  return nullptr;
}

// What the plug-in's removal step leaves: the IFC groups, their definitions
// and every element value of them gone.
void DeleteIfcGroups(fvhost::Project& p) {
  std::set<std::string> gone;
  for (const auto& g : p.groups)
    if (IsIfcGroup(g.name)) gone.insert(fvhost::GuidText(g.guid));
  std::set<std::string> goneDefinitions;
  for (const auto& d : p.definitions)
    if (gone.count(fvhost::GuidText(d.group))) goneDefinitions.insert(fvhost::GuidText(d.guid));
  std::erase_if(p.groups, [&](const fvhost::Group& g) { return gone.count(fvhost::GuidText(g.guid)) > 0; });
  std::erase_if(p.definitions, [&](const fvhost::Definition& d) { return goneDefinitions.count(fvhost::GuidText(d.guid)) > 0; });
  for (std::size_t i = 0; i < p.elements.size(); ++i)
    std::erase_if(p.MutableElement(i).values,
                  [&](const fvhost::ElementValue& v) { return goneDefinitions.count(fvhost::GuidText(v.definition)) > 0; });
}

TEST(ExampleProject, LoadsAndHoldsWhatItsReadmePromises) {
  const fvhost::Project p = LoadExample();
  ASSERT_EQ(p.classificationSystems.size(), 1u);
  EXPECT_EQ(p.classificationSystems[0].name, "IFC+SG");
  std::size_t ifcGroups = 0, others = 0, expressions = 0, choices = 0, linked = 0;
  for (const auto& g : p.groups) (IsIfcGroup(g.name) ? ifcGroups : others)++;
  for (const auto& d : p.definitions) {
    expressions += d.hasExpression ? 1 : 0;
    choices += d.collectionType == API_SingleChoiceCollection && d.defaultValue.status == API_ValueNormal ? 1 : 0;
  }
  for (const auto& e : p.elements) linked += e->link.IsNull() ? 0 : 1;
  EXPECT_EQ(ifcGroups, 7u);
  EXPECT_EQ(others, 1u);
  EXPECT_GE(expressions, 2u);
  EXPECT_GE(choices, 2u);
  EXPECT_EQ(p.elements.size(), 16u);
  EXPECT_EQ(linked, 1u);
}

TEST(ExampleProject, SavesAndReadsBackUnchanged) {
  const fvhost::Project p = LoadExample();
  std::string error;
  const auto back = fvhost::ParseProject(fvhost::ProjectToJson(p), "saved", error);
  ASSERT_TRUE(back.has_value()) << error;
  EXPECT_TRUE(*back == p);
}

TEST(ExampleConfiguration, BringsTheExampleToTheNewRelease) {
  fvhost::Project p = LoadExample();
  const auto notes = DefinitionNames(p, "Project Notes");
  DeleteIfcGroups(p);
  const std::string xml = ReadText(ExamplePath("ifc-sg-config.xml"));
  ASSERT_FALSE(xml.empty());
  std::string message;
  ASSERT_EQ(fvhost::ImportClassificationsXml(p, xml, message), FvErr_NoError) << message;
  ASSERT_EQ(fvhost::ImportPropertiesXml(p, xml, message), FvErr_NoError) << message;

  EXPECT_EQ(p.classificationSystems.size(), 1u);
  EXPECT_EQ(p.classificationSystems[0].items.size(), 6u) << "one new item";
  EXPECT_EQ(p.groups.size(), 8u);
  EXPECT_EQ(DefinitionNames(p, "Project Notes"), notes) << "a group that is not IFC's is left alone";

  const auto wall = DefinitionNames(p, "Pset_WallCommon");
  EXPECT_THAT(wall, Not(Contains("SurfaceSpreadOfFlame"))) << "the release drops it";
  EXPECT_THAT(wall, Contains("Compartmentation")) << "the release adds it";
  const auto* fireClass = DefinitionNamed(p, "SGPset_WallFireSafety", "FireResistanceClass");
  ASSERT_NE(fireClass, nullptr);
  std::vector<std::string> options;
  for (const auto& o : fireClass->options) options.push_back(o.display.text);
  EXPECT_THAT(options, testing::ElementsAre("REI 60", "REI 120", "REI 240"));
  for (const auto& d : p.definitions) {
    if (!IsIfcGroup([&] {
          for (const auto& g : p.groups)
            if (g.guid == d.group) return g.name;
          return std::string();
        }()))
      continue;
    EXPECT_FALSE(d.hasExpression) << d.name << ": the configuration carries none of the project's additions";
    EXPECT_NE(d.defaultValue.status, API_ValueNormal) << d.name;
  }
}

// The example's expressions are what the run must preserve: one of them
// refers to the property the release drops.
TEST(ExampleConfiguration, DropsThePropertyAnExampleExpressionRefersTo) {
  const fvhost::Project p = LoadExample();
  const auto* fire = DefinitionNamed(p, "Pset_WallCommon", "FireRating");
  ASSERT_NE(fire, nullptr);
  ASSERT_EQ(fire->expressions.size(), 1u);
  EXPECT_THAT(fire->expressions[0], testing::HasSubstr("###Property:Pset_WallCommon/SurfaceSpreadOfFlame###"));
  EXPECT_THAT(ReadText(ExamplePath("ifc-sg-config.xml")), Not(testing::HasSubstr("SurfaceSpreadOfFlame")));
}

}  // namespace
