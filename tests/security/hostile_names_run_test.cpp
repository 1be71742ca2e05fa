// Whole runs of the command on a project whose IFC group names, property
// names, option texts, string values and expression texts hold printf
// directives, commas, double quotes, CR/LF line ends and 10,000 characters:
// nothing crashes, every value and expression comes back exactly, and every
// Session Report line shows the names as they are.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ForvaneHost/Expression.hpp"
#include "security_fixture.hpp"
#include "support/configuration_xml.hpp"

namespace security_test {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing_support::ProjectBuilder;
using testing_support::XmlText;

// Everything a name or text may hold that a format, a CSV line or a line
// reader could take for its own. No "/" or "}": a reference names its
// property as {Property:GROUP/NAME}.
const std::string hostile = "%n%s%d%%x, \"quoted\",\r\nnext line\n%n";

std::string TenThousand(const std::string& start) {
  std::string text = start;
  const std::string piece = "%n, \"q\"\r\n%s ";
  while (text.size() < 10000) text += piece;
  text.resize(10000);
  return text;
}

// The project's IFC groups and what it put into them, by the names a
// configuration gives them back.
struct HostileNames {
  std::string group = "Pset_" + hostile;
  std::string longGroup = TenThousand("SGPset_");
  std::string text = "Text " + hostile;
  std::string longText = TenThousand("Long ");
  std::string length = "Length " + hostile;
  std::string formula = "Formula " + hostile;
  std::string finish = "Finish " + hostile;
  std::vector<std::string> options = {hostile, TenThousand("Option "), "plain"};
  std::string value = hostile;
  std::string longValue = TenThousand("value ");
  std::string lengthReference() const { return "###Property:" + group + "/" + length + "###"; }
  std::vector<std::string> expressions() const {
    std::string longExpression = lengthReference();
    while (longExpression.size() < 10000) longExpression += " + 1";
    // A quoted string ends at the next double quote, so this one holds none.
    return {lengthReference() + " * 2 + \"%n%s, 100%% text,\r\nand more\"", longExpression};
  }
};

std::string Definition(const std::string& name, const char* valueType, const char* collection,
                       const char* measure, const std::string& inner = "") {
  return "<PropertyDefinition name=\"" + XmlText(name) + "\" valueType=\"" + valueType + "\" collectionType=\"" +
         collection + "\" measureType=\"" + measure + "\">" + inner + "</PropertyDefinition>\n";
}

std::string Configuration(const HostileNames& n) {
  std::string options;
  for (const auto& option : n.options) options += "<Option>" + XmlText(option) + "</Option>";
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Configuration>\n"
         "<ClassificationSystems><ClassificationSystem name=\"IFC+SG\" version=\"2\">"
         "<Item id=\"IfcWall\" name=\"Wall\"/></ClassificationSystem></ClassificationSystems>\n"
         "<PropertyGroups>\n<PropertyGroup name=\"" + XmlText(n.group) + "\">\n" +
         Definition(n.text, "String", "SingleValue", "Default") +
         Definition(n.length, "Double", "SingleValue", "Length") +
         Definition(n.formula, "Double", "SingleValue", "Length") +
         Definition(n.finish, "String", "SingleValueFromCollection", "Default", options) +
         "</PropertyGroup>\n<PropertyGroup name=\"" + XmlText(n.longGroup) + "\">\n" +
         Definition(n.longText, "String", "SingleValue", "Default") +
         "</PropertyGroup>\n</PropertyGroups>\n</Configuration>\n";
}

struct HostileProject {
  HostileNames names;
  fvhost::Guid wall;
  fvhost::Guid slab;
  fvhost::Project project;
};

HostileProject Build() {
  HostileProject p;
  const HostileNames& n = p.names;
  ProjectBuilder b;
  b.Classification("IFC+SG", {"IfcWall"});
  const auto group = b.Group(n.group);
  const auto text = b.Definition(group, n.text);
  const auto length = b.Definition(group, n.length, API_VariantReal, API_MeasureLength);
  b.Expressions(b.Definition(group, n.formula, API_VariantReal, API_MeasureLength), n.expressions());
  const auto finish = b.Options(b.Definition(group, n.finish), n.options, n.options[0]);
  const auto longText = b.Definition(b.Group(n.longGroup), n.longText);
  p.wall = b.Element("Wall", {"IfcWall"});
  b.Set(p.wall, text, n.value);
  b.Set(p.wall, length, 1234567.25);
  b.Set(p.wall, longText, n.longValue);
  b.SetOption(p.wall, finish, n.options[1]);
  p.slab = b.Element("Slab");
  b.Set(p.slab, text, n.longValue);
  b.Set(p.slab, longText, n.value);
  b.SetOption(p.slab, finish, n.options[0]);
  p.project = b.Build();
  return p;
}

const fvhost::Definition& DefinitionIn(const fvhost::Project& project, const std::string& group,
                                       const std::string& name) {
  for (const auto& g : project.groups)
    if (g.name == group)
      for (const auto& d : project.definitions)
        if (d.group == g.guid && d.name == name) return d;
  throw std::logic_error("no definition " + name.substr(0, 40));
}

const fvhost::PropertyValue* UserValue(const fvhost::Project& project, const fvhost::Guid& element,
                                       const fvhost::Definition& definition) {
  for (const auto& e : project.elements)
    if (e->guid == element)
      for (const auto& v : e->values)
        if (v.definition == definition.guid) return &v.value;
  return nullptr;
}

std::string UserText(const fvhost::Project& project, const fvhost::Guid& element, const std::string& group,
                     const std::string& name) {
  const fvhost::PropertyValue* value = UserValue(project, element, DefinitionIn(project, group, name));
  return value ? value->single.text : "(no user value)";
}

std::string ChosenText(const fvhost::Project& project, const fvhost::Guid& element, const std::string& group,
                       const std::string& name) {
  const fvhost::Definition& definition = DefinitionIn(project, group, name);
  const fvhost::PropertyValue* value = UserValue(project, element, definition);
  if (value == nullptr) return "(no user value)";
  for (const auto& option : definition.options)
    if (option.key == value->single.guid) return option.display.text;
  return "(no such option)";
}

std::vector<std::string> OptionTexts(const fvhost::Definition& definition) {
  std::vector<std::string> texts;
  for (const auto& option : definition.options) texts.push_back(option.display.text);
  return texts;
}

TEST(HostileNamesThroughARun, EveryValueExpressionAndOptionComesBackExactly) {
  HostileProject p = Build();
  const HostileNames& n = p.names;
  ScratchFolder folder;
  const std::string config = folder.Write("config.xml", Configuration(n));
  InProcessHost host(p.project, OptionsFor(folder));

  RunWithConfiguration(host, config);

  const auto alerts = run_test::Alerts(host);
  ASSERT_EQ(alerts.size(), 1u);
  EXPECT_EQ(alerts[0].title, "Import Successful");
  EXPECT_THAT(host.Report(), IsEmpty());
  const fvhost::Project& after = host.project();
  EXPECT_EQ(UserText(after, p.wall, n.group, n.text), n.value);
  EXPECT_EQ(UserText(after, p.slab, n.group, n.text), n.longValue);
  EXPECT_EQ(UserText(after, p.wall, n.longGroup, n.longText), n.longValue);
  EXPECT_EQ(UserText(after, p.slab, n.longGroup, n.longText), n.value);
  const fvhost::PropertyValue* length = UserValue(after, p.wall, DefinitionIn(after, n.group, n.length));
  ASSERT_NE(length, nullptr);
  EXPECT_EQ(length->single.realValue, 1234567.25);
  EXPECT_EQ(ChosenText(after, p.wall, n.group, n.finish), n.options[1]);
  EXPECT_EQ(ChosenText(after, p.slab, n.group, n.finish), n.options[0]);
  const fvhost::Definition& finish = DefinitionIn(after, n.group, n.finish);
  EXPECT_EQ(OptionTexts(finish), n.options);
  EXPECT_EQ(finish.defaultValue.single.guid, finish.options.at(0).key);
  const fvhost::Definition& formula = DefinitionIn(after, n.group, n.formula);
  EXPECT_TRUE(formula.hasExpression);
  EXPECT_TRUE(formula.expressions == n.expressions()) << "the expressions did not come back exactly";
}

// Faults on the hostile names themselves, so that each kind of report line
// carries them; each line must show them exactly as they are.
TEST(HostileNamesThroughARun, ReportLinesShowTheNamesLiterally) {
  HostileProject p = Build();
  const HostileNames& n = p.names;
  ScratchFolder folder;
  const std::string config = folder.Write("config.xml", Configuration(n));
  const std::string storedExpression = n.expressions()[0];
  fvhost::HostOptions options = OptionsFor(folder);
  options.faults = {testing_support::FailFor("DeletePropertyGroup", n.longGroup, FvErr_General),
                    testing_support::FailFor("CheckPropertyExpressionString", fvhost::ExpressionCheckForm(storedExpression),
                                      FvErr_BadExpression),
                    testing_support::FailFor("SetProperty", n.text, FvErr_General)};
  InProcessHost host(p.project, options);

  RunWithConfiguration(host, config);

  const std::string general = testing_support::Code(FvErr_General);
  const auto& report = host.Report();
  EXPECT_THAT(report, Contains("Removing Property: DeletePropertyGroup " + n.longGroup +
                               " failed with error code: " + general));
  EXPECT_THAT(report, Contains("Import Expressions and Option Sets: Expression check " + storedExpression +
                               " for propertry " + n.group + ":" + n.formula + "failed with error " +
                               testing_support::Code(FvErr_BadExpression)));
  for (const fvhost::Guid& element : {p.wall, p.slab})
    EXPECT_THAT(report, Contains("Import Property Values: SetProperty of element " + fvhost::GuidText(element) +
                                 " for " + n.group + " - " + n.text + " failed with error code " + general));
  EXPECT_THAT(DefinitionIn(host.project(), n.group, n.formula).expressions, ElementsAre(n.expressions()[1]));
  EXPECT_EQ(UserText(host.project(), p.wall, n.longGroup, n.longText), n.longValue);
}

}  // namespace
}  // namespace security_test
