// A configuration that reaches for a local file (an external entity, a
// parameter entity, an external DTD, an XInclude, a schema location): the file
// is never opened, nothing of it reaches the project, the Session Report or
// the transcript, and the project can be brought back as it was.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "security_fixture.hpp"

namespace security_test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::SizeIs;

const char* const secretText = "QUARNEL-LOCAL-SECRET-7F3A91";

struct Attempt {
  std::string name;
  std::string xml;
  bool importsCleanly = false;  // the document is fine once its reach outside is ignored
};

std::string Configuration(const std::string& prolog, const std::string& rootAttributes, const std::string& groupName,
                          const std::string& defaultValue) {
  return prolog + "<Configuration" + rootAttributes +
         R"(>
  <ClassificationSystems>
    <ClassificationSystem name="IFC+SG" version="2"><Item id="IfcWall" name="Wall"/></ClassificationSystem>
  </ClassificationSystems>
  <PropertyGroups>
    <PropertyGroup name=")" +
         groupName + R"(">
      <PropertyDefinition name="FireRating" valueType="String" collectionType="SingleValue">
        <DefaultValue>)" +
         defaultValue + R"(</DefaultValue>
      </PropertyDefinition>
    </PropertyGroup>
  </PropertyGroups>
</Configuration>
)";
}

std::vector<Attempt> AttemptsOn(const std::string& secretPath) {
  const std::string url = "file://" + secretPath;
  const std::string xmlDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  return {
      {"external entity by URL",
       Configuration(xmlDeclaration + "<!DOCTYPE Configuration [\n  <!ENTITY secret SYSTEM \"" + url + "\">\n]>\n", "",
                     "Pset_&secret;", "&secret;")},
      {"external entity by bare path",
       Configuration(xmlDeclaration + "<!DOCTYPE Configuration [ <!ENTITY secret SYSTEM \"" + secretPath + "\"> ]>\n",
                     "", "Pset_WallCommon", "&secret;")},
      {"external parameter entity",
       Configuration(xmlDeclaration + "<!DOCTYPE Configuration [ <!ENTITY % outside SYSTEM \"" + url + "\"> %outside; ]>\n",
                     "", "Pset_WallCommon", "2HR")},
      {"external DTD", Configuration(xmlDeclaration + "<!DOCTYPE Configuration SYSTEM \"" + url + "\">\n", "",
                                     "Pset_WallCommon", "2HR")},
      {"XInclude of the file as text",
       Configuration(xmlDeclaration, " xmlns:xi=\"http://www.w3.org/2001/XInclude\"", "Pset_WallCommon",
                     "<xi:include href=\"" + url + "\" parse=\"text\"/>")},
      {"schema location", Configuration(xmlDeclaration,
                                        " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\""
                                        " xsi:noNamespaceSchemaLocation=\"" + url + "\"",
                                        "Pset_WallCommon", "2HR"),
       true},
  };
}

fvhost::Project StartingProject() {
  auto b = run_test::WallProject();
  b.Set(b.Element("Wall", {"IfcWall"}), b.Definition(b.Group("Pset_Secrets"), "Kept"), "value before");
  return b.Build();
}

TEST(ExternalReferencesInAConfiguration, NeverOpenTheFileNorLetItsTextIn) {
  ScratchFolder folder;
  const std::string secretPath = folder.Write("secret.txt", secretText);
  {
    FileWatch control(secretPath);
    std::ifstream(secretPath).get();
    ASSERT_TRUE(control.Touched()) << "the file watch sees nothing on this machine";
  }
  for (const Attempt& attempt : AttemptsOn(secretPath)) {
    SCOPED_TRACE(attempt.name);
    const std::string config = folder.Write("config.xml", attempt.xml);
    const fvhost::Project before = StartingProject();
    InProcessHost host(before, OptionsFor(folder));
    FileWatch watch(secretPath);

    RunWithConfiguration(host, config);

    EXPECT_FALSE(watch.Touched()) << "the run opened the file that the configuration named";
    EXPECT_THAT(Everything(host), Not(HasSubstr(secretText)));
    const auto alerts = run_test::Alerts(host);
    ASSERT_THAT(alerts, SizeIs(1));
    if (attempt.importsCleanly) {
      // The configuration has no Pset_Secrets: its value is named as not restored.
      EXPECT_EQ(alerts[0].title, "Import Successful!");
    } else {
      EXPECT_EQ(alerts[0].title, "Import Failed!");
      EXPECT_THAT(host.Report(), Not(testing::IsEmpty())) << "a refused configuration is explained";
      UndoEverything(host);
      EXPECT_TRUE(host.project() == before) << "undoing the failed run does not give back the project";
    }
  }
}

}  // namespace
}  // namespace security_test
