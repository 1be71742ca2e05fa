// Bad and hostile configurations: each fails with its code and a message
// with its line, reads nothing from outside the text, and keeps nothing.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <libxml/parser.h>

#include <chrono>
#include <fstream>
#include <sstream>

#include "Forvane/EntryTable.hpp"
#include "ForvaneHost/ConfigImport.hpp"
#include "support/project_builder.hpp"

namespace {

using testing::HasSubstr;
using testing::StartsWith;
using testing_support::ProjectBuilder;

struct Outcome {
  HostError classifications;
  HostError properties;
  std::string message;  // of the property import
};

// Both importers on a project with something in it; neither may change it.
Outcome ImportInto(const std::string& xml) {
  ProjectBuilder b;
  b.Classification("IFC+SG", {"IfcWall"});
  b.Set(b.Element("Wall", {"IfcWall"}), b.Definition(b.Group("Pset_WallCommon"), "FireRating"), "2HR");
  fvhost::Project project = b.Build();
  const fvhost::Project before = project;
  Outcome out;
  std::string message;
  out.classifications = fvhost::ImportClassificationsXml(project, xml, message);
  EXPECT_TRUE(project == before) << "a failed classification import changed the project";
  out.properties = fvhost::ImportPropertiesXml(project, xml, out.message);
  EXPECT_TRUE(project == before) << "a failed property import changed the project";
  EXPECT_EQ(message, out.message) << "both importers read the document the same way";
  return out;
}

TEST(ConfigImportRejects, EmptyText) {
  for (const std::string text : {"", "  \n\t "}) {
    const Outcome out = ImportInto(text);
    EXPECT_EQ(out.classifications, FvErr_BadXml);
    EXPECT_EQ(out.properties, FvErr_BadXml);
    EXPECT_EQ(out.message, "line 1: the configuration is empty (expected an XML document)");
  }
}

TEST(ConfigImportRejects, TextPastTheHostsBoundAndNestingPastItsDepth) {
  // Blanks after a valid document: only the size can refuse it.
  std::string large = "<Configuration/>";
  large.resize(FvMaxConfigurationBytes + 1, ' ');
  const Outcome tooLarge = ImportInto(large);
  EXPECT_EQ(tooLarge.properties, FvErr_BadXml);
  EXPECT_EQ(tooLarge.message, "line 1: the configuration is larger than 64 MiB (67108865 bytes; the host imports at "
                              "most 67108864)");
  large.resize(FvMaxConfigurationBytes);
  EXPECT_EQ(ImportInto(large).properties, FvErr_NoError);

  std::string deep = "<Configuration><ClassificationSystems><ClassificationSystem name=\"S\">\n";
  for (int depth = 0; depth < 300; ++depth) deep += "<Item id=\"I" + std::to_string(depth) + "\" name=\"n\">";
  const Outcome tooDeep = ImportInto(deep);
  EXPECT_EQ(tooDeep.classifications, FvErr_BadXml);
  EXPECT_EQ(tooDeep.message, "line 2: elements nested more than 256 deep");
}

TEST(ConfigImportRejects, MalformedXmlWithItsLine) {
  const Outcome out = ImportInto("<Configuration>\n<PropertyGroups>\n<PropertyGroup name=\"G\">\n</PropertyGroups>\n</Configuration>");
  EXPECT_EQ(out.classifications, FvErr_BadXml);
  EXPECT_EQ(out.properties, FvErr_BadXml);
  EXPECT_THAT(out.message, StartsWith("line 4: "));
  EXPECT_THAT(out.message, HasSubstr("PropertyGroup"));
}

TEST(ConfigImportRejects, TextCutShortAtAZeroByte) {
  static const char kText[] = "<Configuration>\n<Prop\0ertyGroups/></Configuration>";
  const Outcome out = ImportInto(std::string(kText, sizeof kText - 1));
  EXPECT_EQ(out.properties, FvErr_BadXml);
  EXPECT_THAT(out.message, StartsWith("line 2: "));
}

TEST(ConfigImportRejects, AnErrorTheXmlLibraryPlacesNowhereAtTheFirstLine) {
  const Outcome out = ImportInto("<?xml version=\"1.0\" encoding=\"UTF--8\"?>\n<Configuration>\n  <Classification\xff\xff/>\n</Configuration>\n");
  EXPECT_EQ(out.properties, FvErr_BadXml);
  EXPECT_THAT(out.message, StartsWith("line 1: "));
}

TEST(ConfigImportRejects, DocumentsOffTheSchemaWithTheirLine) {
  struct Case {
    std::string xml;
    std::string line;
    std::string about;
  };
  const Case cases[] = {
      {"<Settings/>", "line 1: ", "Settings"},
      {"<Configuration>\n<PropertyGroups>\n<PropertyGroup name=\"G\">\n"
       "<PropertyDefinition name=\"D\" valueType=\"Float\" collectionType=\"SingleValue\"/>\n"
       "</PropertyGroup>\n</PropertyGroups>\n</Configuration>",
       "line 4: ", "Float"},
      {"<Configuration>\n<PropertyGroups>\n<PropertyGroup name=\"G\">\n"
       "<PropertyDefinition name=\"D\" valueType=\"String\"/>\n</PropertyGroup>\n</PropertyGroups>\n</Configuration>",
       "line 4: ", "collectionType"},
      {"<Configuration>\n<PropertyGroups>\n<PropertyGroup name=\"G\">\n"
       "<PropertyDefinition name=\"D\" valueType=\"String\" collectionType=\"SingleValue\">\n"
       "<DefaultValue>a</DefaultValue>\n<Expression>1</Expression>\n</PropertyDefinition>\n"
       "</PropertyGroup>\n</PropertyGroups>\n</Configuration>",
       "line 6: ", "Expression"},
      {"<Configuration>\n<ClassificationSystems>\n<ClassificationSystem name=\"S\">\n<Item name=\"no id\"/>\n"
       "</ClassificationSystem>\n</ClassificationSystems>\n</Configuration>",
       "line 4: ", "id"},
      {"<Configuration><PropertyGroups/><ClassificationSystems/></Configuration>", "line 1: ", "ClassificationSystems"},
  };
  for (const Case& c : cases) {
    const Outcome out = ImportInto(c.xml);
    EXPECT_EQ(out.classifications, FvErr_NotOnSchema) << c.xml;
    EXPECT_EQ(out.properties, FvErr_NotOnSchema) << c.xml;
    EXPECT_THAT(out.message, StartsWith(c.line)) << c.xml;
    EXPECT_THAT(out.message, HasSubstr(c.about)) << c.xml;
  }
}

std::string HostName() {
  std::ifstream in("/etc/hostname");
  std::string name;
  std::getline(in, name);
  return name;
}

TEST(ConfigImportSafety, RefusesADoctypeWithAnExternalEntityWithoutReadingIt) {
  const std::string xml =
      "<?xml version=\"1.0\"?>\n"
      "<!DOCTYPE Configuration [\n  <!ENTITY secret SYSTEM \"file:///etc/hostname\">\n]>\n"
      "<Configuration><PropertyGroups><PropertyGroup name=\"&secret;\"/></PropertyGroups></Configuration>\n";
  const Outcome out = ImportInto(xml);
  EXPECT_EQ(out.classifications, FvErr_NotOnSchema);
  EXPECT_EQ(out.properties, FvErr_NotOnSchema);
  EXPECT_EQ(out.message, "line 2: a DOCTYPE is not allowed in a configuration (DTDs and entities are refused)");
  const std::string host = HostName();
  if (!host.empty()) {
    EXPECT_THAT(out.message, testing::Not(HasSubstr(host)));
  }
}

TEST(ConfigImportSafety, RefusesAnExternalDtd) {
  const Outcome out = ImportInto("<!DOCTYPE Configuration SYSTEM \"http://localhost:1/evil.dtd\">\n<Configuration/>");
  EXPECT_EQ(out.properties, FvErr_NotOnSchema);
  EXPECT_THAT(out.message, StartsWith("line 1: a DOCTYPE is not allowed"));
}

TEST(ConfigImportSafety, RefusesAnEntityExpansionBombQuickly) {
  std::string bomb = "<?xml version=\"1.0\"?>\n<!DOCTYPE Configuration [\n<!ENTITY a0 \"lol\">\n";
  for (int i = 1; i <= 30; ++i)
    bomb += "<!ENTITY a" + std::to_string(i) + " \"" + [&] {
      std::string refs;
      for (int k = 0; k < 10; ++k) refs += "&a" + std::to_string(i - 1) + ";";
      return refs;
    }() + "\">\n";
  bomb += "]>\n<Configuration><PropertyGroups><PropertyGroup name=\"&a30;\"/></PropertyGroups></Configuration>\n";
  const auto start = std::chrono::steady_clock::now();
  const Outcome out = ImportInto(bomb);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(out.properties, FvErr_NotOnSchema);
  EXPECT_THAT(out.message, StartsWith("line 2: a DOCTYPE is not allowed"));
  EXPECT_LT(elapsed, std::chrono::seconds(2));
}

TEST(ConfigImportSafety, AnUndeclaredEntityIsMalformed) {
  const Outcome out = ImportInto("<Configuration>\n<PropertyGroups><PropertyGroup name=\"&nothing;\"/></PropertyGroups></Configuration>");
  EXPECT_EQ(out.properties, FvErr_BadXml);
  EXPECT_THAT(out.message, StartsWith("line 2: "));
}

// The importer borrows libxml2's process-wide error sink and entity loader;
// the host's other users of the library must get theirs back.
TEST(ConfigImportSafety, PutsBackTheProcessWideLibxmlHooks) {
  const auto loader = xmlGetExternalEntityLoader();
  const auto handler = xmlStructuredError;
  ImportInto("<Configuration><Oops/></Configuration>");
  ImportInto("<Configuration/>");
  EXPECT_EQ(xmlGetExternalEntityLoader(), loader);
  EXPECT_EQ(xmlStructuredError, handler);
}

TEST(ConfigImportSchema, IsTheCompiledInText) {
  EXPECT_THAT(fvhost::ConfigurationSchema(), HasSubstr("<xs:element name=\"Configuration\">"));
  EXPECT_THAT(fvhost::ConfigurationSchema(), HasSubstr("MultipleValuesFromCollection"));
}

}  // namespace
