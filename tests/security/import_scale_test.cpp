// Configurations with many thousand definitions, or one definition with many
// thousand options, are small files; importing them must take time in
// proportion to their size (a scan per definition or per option once made a
// 5 MB file take minutes), and must put every definition and option key where
// a small import would.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ForvaneHost/ConfigImport.hpp"
#include "security_fixture.hpp"
#include "support/project_builder.hpp"

namespace security_test {
namespace {

using ::testing::ElementsAre;
using testing_support::ProjectBuilder;

// Generous for a debug build under the sanitizers; a scan per item takes
// minutes at these sizes.
constexpr double boundedSeconds = 30.0;

std::string Groups(const std::string& groups) {
  return "<Configuration><PropertyGroups>\n" + groups + "</PropertyGroups></Configuration>\n";
}

std::string ManyDefinitions(int count) {
  std::string groups;
  for (int made = 0, group = 0; made < count; ++group) {
    groups += "<PropertyGroup name=\"Pset_Many" + std::to_string(group) + "\">\n";
    for (int d = 0; d < 50 && made < count; ++d, ++made)
      groups += "<PropertyDefinition name=\"P" + std::to_string(d) +
                "\" valueType=\"String\" collectionType=\"SingleValue\"/>\n";
    groups += "</PropertyGroup>\n";
  }
  return Groups(groups);
}

std::string ManyOptions(int count) {
  std::string options;
  for (int i = 0; i < count; ++i) options += "<Option>option " + std::to_string(i) + "</Option>";
  return Groups("<PropertyGroup name=\"Pset_Choices\"><PropertyDefinition name=\"Choice\" valueType=\"String\" "
                "collectionType=\"SingleValueFromCollection\">" +
                options + "<DefaultValue>option 7</DefaultValue></PropertyDefinition></PropertyGroup>\n");
}

HostError Import(fvhost::Project& project, const std::string& xml, double& seconds) {
  std::string message;
  HostError result = FvErr_NoError;
  seconds = SecondsFor([&] { result = fvhost::ImportPropertiesXml(project, xml, message); });
  EXPECT_EQ(result, FvErr_NoError) << message;
  return result;
}

TEST(ImportScale, SixtyFourThousandDefinitionsInBoundedTime) {
  fvhost::Project project;
  double seconds = 0;
  ASSERT_EQ(Import(project, ManyDefinitions(64000), seconds), FvErr_NoError);
  EXPECT_LT(seconds, boundedSeconds);
  ASSERT_EQ(project.definitions.size(), 64000u);
  EXPECT_EQ(project.definitions.back().name, "P49");
  EXPECT_EQ(project.definitions.back().group, project.groups.back().guid);

  // Again, now that every one exists: each is updated in place.
  const fvhost::Project first = project;
  ASSERT_EQ(Import(project, ManyDefinitions(64000), seconds), FvErr_NoError);
  EXPECT_LT(seconds, boundedSeconds);
  EXPECT_TRUE(project == first);
}

TEST(ImportScale, TwentyThousandOptionsInBoundedTimeAndTheirKeysKept) {
  fvhost::Project project;
  double seconds = 0;
  ASSERT_EQ(Import(project, ManyOptions(20000), seconds), FvErr_NoError);
  EXPECT_LT(seconds, boundedSeconds);
  ASSERT_EQ(project.definitions.size(), 1u);
  const fvhost::Definition first = project.definitions[0];
  ASSERT_EQ(first.options.size(), 20000u);
  EXPECT_EQ(first.defaultValue.single.guid, first.options[7].key);

  ASSERT_EQ(Import(project, ManyOptions(20000), seconds), FvErr_NoError);
  EXPECT_LT(seconds, boundedSeconds);
  EXPECT_TRUE(project.definitions[0] == first) << "unchanged options keep their keys";
}

TEST(ImportScale, ADuplicateAmongManyOptionsIsStillFound) {
  std::string xml = ManyOptions(5000);
  xml.replace(xml.find("<DefaultValue>"), 0, "<Option>option 4321</Option>");
  fvhost::Project project;
  std::string message;
  EXPECT_EQ(fvhost::ImportPropertiesXml(project, xml, message), FvErr_NotOnSchema);
  EXPECT_THAT(message, ::testing::HasSubstr("duplicate option \"option 4321\""));
  EXPECT_TRUE(project.definitions.empty());
}

// New definitions join the end of their own group, wherever it is; those of a
// group without any go to the end, in the document's order.
TEST(ImportScale, NewDefinitionsAreWhereTheirGroupIs) {
  ProjectBuilder b;
  b.Definition(b.Group("Pset_A"), "A1");
  b.Definition(b.Group("Pset_B"), "B1");
  b.Group("Pset_C");
  fvhost::Project project = b.Build();
  const auto definition = [](const char* name) {
    return std::string("<PropertyDefinition name=\"") + name + "\" valueType=\"String\" collectionType=\"SingleValue\"/>";
  };
  const std::string xml = Groups("<PropertyGroup name=\"Pset_B\">" + definition("B2") + definition("B1") +
                                 "</PropertyGroup><PropertyGroup name=\"Pset_D\">" + definition("D1") +
                                 "</PropertyGroup><PropertyGroup name=\"Pset_A\">" + definition("A2") +
                                 "</PropertyGroup><PropertyGroup name=\"Pset_C\">" + definition("C1") +
                                 definition("C2") + "</PropertyGroup>");
  double seconds = 0;
  ASSERT_EQ(Import(project, xml, seconds), FvErr_NoError);

  std::vector<std::string> order;
  for (const auto& d : project.definitions) order.push_back(d.name);
  EXPECT_THAT(order, ElementsAre("A1", "A2", "B1", "B2", "D1", "C1", "C2"));
}

}  // namespace
}  // namespace security_test
