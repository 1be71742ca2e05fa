// Importing a configuration: what it creates, what it updates in place, and
// the checks that the schema cannot make.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ForvaneHost/ConfigImport.hpp"
#include "support/project_builder.hpp"

namespace {

using testing::ElementsAre;
using testing_support::ProjectBuilder;

std::string Configuration(const std::string& systems, const std::string& groups) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Configuration>\n<ClassificationSystems>\n" + systems +
         "</ClassificationSystems>\n<PropertyGroups>\n" + groups + "</PropertyGroups>\n</Configuration>\n";
}

const std::string kSystem =
    "<ClassificationSystem name=\"IFC+SG\" version=\"2\">\n"
    "  <Item id=\"IfcWall\" name=\"Wall\"><Item id=\"IfcWall.PARTITIONING\" name=\"Partition\"/></Item>\n"
    "  <Item id=\"IfcDoor\" name=\"Door\"/>\n"
    "</ClassificationSystem>\n";

const std::string kWallGroup =
    "<PropertyGroup name=\"Pset_WallCommon\" description=\"Walls\">\n"
    "  <PropertyDefinition name=\"FireRating\" valueType=\"String\" collectionType=\"SingleValue\">\n"
    "    <DefaultValue>2HR</DefaultValue><AvailableFor item=\"IfcWall\"/>\n"
    "  </PropertyDefinition>\n"
    "  <PropertyDefinition name=\"Finish\" valueType=\"String\" collectionType=\"SingleValueFromCollection\">\n"
    "    <Option>Paint</Option><Option>Tile</Option><DefaultValue>Tile</DefaultValue>\n"
    "  </PropertyDefinition>\n"
    "  <PropertyDefinition name=\"Width\" valueType=\"Double\" collectionType=\"SingleValue\" measureType=\"Length\">\n"
    "    <Expression>{Property:Pset_WallCommon/Height} / 10</Expression>\n"
    "  </PropertyDefinition>\n"
    "  <PropertyDefinition name=\"Height\" valueType=\"Double\" collectionType=\"SingleValue\" measureType=\"Length\">\n"
    "    <DefaultValue> 2.75 </DefaultValue>\n"
    "  </PropertyDefinition>\n"
    "  <PropertyDefinition name=\"Layers\" valueType=\"Integer\" collectionType=\"ListValue\"><DefaultValue>3</DefaultValue></PropertyDefinition>\n"
    "  <PropertyDefinition name=\"Sides\" valueType=\"String\" collectionType=\"MultipleValuesFromCollection\">\n"
    "    <Option>Left</Option><Option>Right</Option>\n"
    "  </PropertyDefinition>\n"
    "  <PropertyDefinition name=\"IsExternal\" valueType=\"Boolean\" collectionType=\"SingleValue\"><DefaultValue>true</DefaultValue></PropertyDefinition>\n"
    "</PropertyGroup>\n";

const fvhost::Definition* Find(const fvhost::Project& p, const std::string& group, const std::string& name) {
  for (const auto& g : p.groups)
    if (g.name == group)
      for (const auto& d : p.definitions)
        if (d.group == g.guid && d.name == name) return &d;
  return nullptr;
}

// Classifications first, as the host imports them, so that AvailableFor finds its items.
HostError ImportBoth(fvhost::Project& project, const std::string& xml, std::string& message) {
  if (const HostError e = fvhost::ImportClassificationsXml(project, xml, message)) return e;
  return fvhost::ImportPropertiesXml(project, xml, message);
}

TEST(ConfigImport, CreatesClassificationsGroupsAndDefinitions) {
  fvhost::Project project;
  std::string message;
  ASSERT_EQ(ImportBoth(project, Configuration(kSystem, kWallGroup), message), FvErr_NoError) << message;

  ASSERT_EQ(project.classificationSystems.size(), 1u);
  const auto& system = project.classificationSystems[0];
  EXPECT_EQ(system.version, "2");
  ASSERT_EQ(system.items.size(), 2u);
  EXPECT_EQ(system.items[0].children.at(0).id, "IfcWall.PARTITIONING");
  EXPECT_FALSE(system.items[0].children[0].guid.IsNull());

  ASSERT_EQ(project.groups.size(), 1u);
  EXPECT_EQ(project.groups[0].description, "Walls");
  ASSERT_EQ(project.definitions.size(), 7u);

  const auto* fire = Find(project, "Pset_WallCommon", "FireRating");
  ASSERT_NE(fire, nullptr);
  EXPECT_EQ(fire->definitionType, API_CustomDefinition);
  EXPECT_EQ(fire->defaultValue.single.text, "2HR");
  EXPECT_EQ(fire->defaultValue.status, API_ValueNormal);
  EXPECT_THAT(fire->availableFor, ElementsAre("IfcWall"));

  const auto* finish = Find(project, "Pset_WallCommon", "Finish");
  ASSERT_EQ(finish->options.size(), 2u);
  EXPECT_EQ(finish->options[1].display.text, "Tile");
  EXPECT_EQ(finish->defaultValue.single.type, API_VariantGuid);
  EXPECT_EQ(finish->defaultValue.single.guid, finish->options[1].key);

  const auto* width = Find(project, "Pset_WallCommon", "Width");
  EXPECT_EQ(width->measureType, API_MeasureLength);
  EXPECT_TRUE(width->hasExpression);
  EXPECT_THAT(width->expressions, ElementsAre("###Property:Pset_WallCommon/Height### / 10"));
  EXPECT_EQ(width->defaultValue.status, API_ValueUndefined);

  EXPECT_EQ(Find(project, "Pset_WallCommon", "Height")->defaultValue.single.realValue, 2.75);
  const auto* layers = Find(project, "Pset_WallCommon", "Layers");
  ASSERT_EQ(layers->defaultValue.list.size(), 1u);
  EXPECT_EQ(layers->defaultValue.list[0].intValue, 3);
  const auto* sides = Find(project, "Pset_WallCommon", "Sides");
  EXPECT_EQ(sides->collectionType, API_MultipleChoiceCollection);
  EXPECT_TRUE(sides->defaultValue.list.empty());
  EXPECT_EQ(sides->defaultValue.status, API_ValueUndefined);
  EXPECT_TRUE(Find(project, "Pset_WallCommon", "IsExternal")->defaultValue.single.boolValue);
}

TEST(ConfigImport, UpdatesAnExistingDefinitionInPlace) {
  ProjectBuilder b;
  b.Classification("IFC+SG", {"IfcWall"});
  auto notes = b.Group("Project Notes");
  auto keep = b.Definition(notes, "Keep");
  auto wall = b.Group("Pset_WallCommon");
  auto finish = b.Options(b.Definition(wall, "Finish"), {"Paint", "Tile", "Wood"}, "Wood");
  auto fire = b.Definition(wall, "FireRating");
  auto tile = b.Def(finish).options[1].key;
  auto paint = b.Def(finish).options[0].key;
  auto e1 = b.Element("Wall", {"IfcWall"});
  b.SetOption(e1, finish, "Tile");
  b.Set(e1, fire, "1HR");
  b.Set(e1, keep, "note");
  auto e2 = b.Element("Wall", {"IfcWall"});
  b.SetOption(e2, finish, "Wood");
  fvhost::Project project = b.Build();
  const auto groupGuid = project.groups[1].guid;

  std::string message;
  const std::string groups =
      "<PropertyGroup name=\"Pset_WallCommon\">\n"
      "  <PropertyDefinition name=\"Finish\" valueType=\"String\" collectionType=\"SingleValueFromCollection\">\n"
      "    <Option>Stone</Option><Option>Tile</Option><Option>Paint</Option>\n"
      "  </PropertyDefinition>\n"
      "  <PropertyDefinition name=\"FireRating\" valueType=\"Integer\" collectionType=\"SingleValue\"/>\n"
      "  <PropertyDefinition name=\"Added\" valueType=\"String\" collectionType=\"SingleValue\"/>\n"
      "</PropertyGroup>\n";
  ASSERT_EQ(fvhost::ImportPropertiesXml(project, Configuration("", groups), message), FvErr_NoError) << message;

  ASSERT_EQ(project.groups.size(), 2u) << "the group of that name is reused";
  EXPECT_EQ(project.groups[1].guid, groupGuid);
  const auto* updated = Find(project, "Pset_WallCommon", "Finish");
  ASSERT_NE(updated, nullptr);
  EXPECT_EQ(updated->guid, finish);
  ASSERT_EQ(updated->options.size(), 3u);
  EXPECT_EQ(updated->options[1].key, tile) << "an unchanged option keeps its key";
  EXPECT_EQ(updated->options[2].key, paint);
  EXPECT_NE(updated->options[0].key, tile);
  EXPECT_EQ(updated->defaultValue.status, API_ValueUndefined) << "the configuration names no default";
  EXPECT_EQ(Find(project, "Pset_WallCommon", "FireRating")->guid, fire);
  EXPECT_EQ(Find(project, "Pset_WallCommon", "FireRating")->valueType, API_VariantInteger);

  // The element that chose Tile still does; Wood is gone, and so is a string
  // value of what is now an integer property. Other groups are untouched.
  const auto& v1 = project.elements[0]->values;
  ASSERT_EQ(v1.size(), 2u);
  EXPECT_EQ(v1[0].value.single.guid, tile);
  EXPECT_EQ(v1[1].value.single.text, "note");
  EXPECT_TRUE(project.elements[1]->values.empty());

  // A new definition joins the end of its own group.
  ASSERT_EQ(project.definitions.size(), 4u);
  EXPECT_EQ(project.definitions[0].name, "Keep");
  EXPECT_EQ(project.definitions[3].name, "Added");
  EXPECT_EQ(project.definitions[3].group, groupGuid);
}

TEST(ConfigImport, MergesClassificationsAndKeepsTheProjectsOwnItems) {
  ProjectBuilder b;
  b.Classification("IFC+SG", {"IfcWall", "IfcLocal"});
  b.Classification("Other", {"X1"});
  fvhost::Project project = b.Build();
  const auto wallGuid = project.classificationSystems[0].items[0].guid;
  std::string message;
  ASSERT_EQ(fvhost::ImportClassificationsXml(project, Configuration(kSystem, ""), message), FvErr_NoError) << message;

  ASSERT_EQ(project.classificationSystems.size(), 2u);
  const auto& items = project.classificationSystems[0].items;
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0].guid, wallGuid) << "an existing item keeps its guid";
  EXPECT_EQ(items[0].name, "Wall") << "and takes the configuration's name";
  EXPECT_EQ(items[0].children.at(0).id, "IfcWall.PARTITIONING");
  EXPECT_EQ(items[1].id, "IfcLocal") << "an item the configuration does not name stays";
  EXPECT_EQ(items[2].id, "IfcDoor");
  EXPECT_EQ(project.classificationSystems[0].version, "2");
  EXPECT_EQ(project.classificationSystems[1].items.at(0).id, "X1");

  // Importing it again changes nothing.
  const fvhost::Project once = project;
  ASSERT_EQ(fvhost::ImportClassificationsXml(project, Configuration(kSystem, ""), message), FvErr_NoError);
  EXPECT_TRUE(project == once);
}

struct FailedCheck {
  const char* name;
  std::string groups;
  std::string message;
};

std::string Definition(const std::string& attributes, const std::string& content = "") {
  return "<PropertyGroup name=\"G\">\n<PropertyDefinition name=\"D\" " + attributes + ">" + content +
         "</PropertyDefinition>\n</PropertyGroup>\n";
}

// Line 7 is the PropertyGroup line of Definition(); line 8 its definition.
std::vector<FailedCheck> FailedChecks() {
  return {
      {"DuplicateGroup", "<PropertyGroup name=\"G\"/>\n<PropertyGroup name=\"G\"/>\n",
       "line 8: duplicate property group \"G\" (first at line 7)"},
      {"DuplicateDefinition",
       "<PropertyGroup name=\"G\">\n<PropertyDefinition name=\"D\" valueType=\"String\" collectionType=\"SingleValue\"/>\n"
       "<PropertyDefinition name=\"D\" valueType=\"Integer\" collectionType=\"SingleValue\"/>\n</PropertyGroup>\n",
       "line 9: duplicate property definition \"D\" in group \"G\" (first at line 8)"},
      {"ChoiceWithoutOptions", Definition("valueType=\"String\" collectionType=\"SingleValueFromCollection\""),
       "line 8: \"G/D\" chooses from its options but has no Option"},
      {"OptionsWithoutChoice", Definition("valueType=\"String\" collectionType=\"SingleValue\"", "<Option>A</Option>"),
       "line 8: \"G/D\" has options, but only a ...FromCollection definition chooses from options"},
      {"DefaultNotOfItsType", Definition("valueType=\"Integer\" collectionType=\"SingleValue\"", "<DefaultValue>2.5</DefaultValue>"),
       "line 8: the default value \"2.5\" of \"G/D\" is not an integer"},
      {"DefaultRealNotANumber", Definition("valueType=\"Double\" collectionType=\"SingleValue\"", "<DefaultValue>nan</DefaultValue>"),
       "line 8: the default value \"nan\" of \"G/D\" is not a number"},
      {"DefaultNotAnOption",
       Definition("valueType=\"String\" collectionType=\"SingleValueFromCollection\"",
                  "<Option>A</Option><Option>B</Option><DefaultValue>C</DefaultValue>"),
       "line 8: the default value \"C\" of \"G/D\" is not one of its options"},
      {"OptionNotOfItsType",
       Definition("valueType=\"Integer\" collectionType=\"SingleValueFromCollection\"", "<Option>1</Option><Option>two</Option>"),
       "line 8: the option \"two\" of \"G/D\" is not an integer"},
      {"DuplicateOption",
       Definition("valueType=\"String\" collectionType=\"SingleValueFromCollection\"", "<Option>A</Option><Option>A</Option>"),
       "line 8: duplicate option \"A\" in \"G/D\""},
      {"UnknownItem",
       Definition("valueType=\"String\" collectionType=\"SingleValue\"", "\n<AvailableFor item=\"IfcRoof\"/>"),
       "line 9: AvailableFor names \"IfcRoof\", which is no classification item of the project"},
  };
}

class ConfigImportRefuses : public testing::TestWithParam<FailedCheck> {};

TEST_P(ConfigImportRefuses, AndKeepsNothing) {
  ProjectBuilder b;
  b.Classification("IFC+SG", {"IfcWall"});
  b.Definition(b.Group("G"), "Other");
  fvhost::Project project = b.Build();
  const fvhost::Project before = project;
  // A good group before the bad part: it must not be kept either.
  const std::string good = "<PropertyGroup name=\"Pset_Good\"/>\n";
  std::string message;
  const std::string xml = Configuration("", good + GetParam().groups);
  EXPECT_EQ(fvhost::ImportPropertiesXml(project, xml, message), FvErr_NotOnSchema);
  EXPECT_EQ(message, GetParam().message) << xml;
  EXPECT_TRUE(project == before);
}

INSTANTIATE_TEST_SUITE_P(Checks, ConfigImportRefuses, testing::ValuesIn(FailedChecks()),
                         [](const testing::TestParamInfo<FailedCheck>& param) { return std::string(param.param.name); });

TEST(ConfigImportClassificationChecks, RefuseDuplicatesAndItemsOfAnotherSystem) {
  ProjectBuilder b;
  b.Classification("Other", {"IfcDoor"});
  fvhost::Project project = b.Build();
  const fvhost::Project before = project;
  std::string message;
  EXPECT_EQ(fvhost::ImportClassificationsXml(project, Configuration(kSystem, ""), message), FvErr_NotOnSchema);
  EXPECT_EQ(message, "line 6: classification item \"IfcDoor\" already belongs to the classification system \"Other\"");
  EXPECT_TRUE(project == before);

  const std::string twice = "<ClassificationSystem name=\"S\">\n<Item id=\"A\" name=\"a\"/>\n<Item id=\"A\" name=\"b\"/>\n"
                            "</ClassificationSystem>\n";
  EXPECT_EQ(fvhost::ImportClassificationsXml(project, Configuration(twice, ""), message), FvErr_NotOnSchema);
  EXPECT_EQ(message, "line 6: duplicate classification item \"A\" (first at line 5)");
  const std::string systems = "<ClassificationSystem name=\"S\"/>\n<ClassificationSystem name=\"S\"/>\n";
  EXPECT_EQ(fvhost::ImportClassificationsXml(project, Configuration(systems, ""), message), FvErr_NotOnSchema);
  EXPECT_EQ(message, "line 5: duplicate classification system \"S\" (first at line 4)");
  EXPECT_TRUE(project == before);
}

TEST(ConfigImportExpressions, StoreReferencesWithHashesAndLeaveQuotedBracesAlone) {
  fvhost::Project project;
  project.groups.push_back({fvhost::NewGuid(), "G", "", API_CustomDefinition});
  std::string message;
  const std::string groups = Definition("valueType=\"String\" collectionType=\"SingleValue\"",
                                        "<Expression>CONCAT({Property:G/A}, \"{x}\")</Expression>"
                                        "<Expression>{Property:G/B}&amp;</Expression>");
  ASSERT_EQ(fvhost::ImportPropertiesXml(project, Configuration("", groups), message), FvErr_NoError) << message;
  EXPECT_THAT(Find(project, "G", "D")->expressions,
              ElementsAre("CONCAT(###Property:G/A###, \"{x}\")", "###Property:G/B###&"));
}

}  // namespace
