// Property groups and definitions through the entry table: what each operation
// answers, and that a refused change leaves the whole project as it was.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "host_test_support.hpp"

namespace {

using host_test::HostWithAddOn;
using host_test::Utf8;
using testing::ElementsAre;
using testing::HasSubstr;
using testing_support::ProjectBuilder;

struct WallProject {
  ProjectBuilder b;
  fvhost::Guid wall = b.Group("Pset_WallCommon");
  fvhost::Guid notes = b.Group("Project Notes");
  fvhost::Guid fire = b.Definition(wall, "FireRating");
  fvhost::Guid width = b.Definition(wall, "Width", API_VariantReal, API_MeasureLength);
  fvhost::Guid finish = b.Options(b.Definition(wall, "Finish"), {"Paint", "Tile"}, "Paint");
  fvhost::Guid author = b.Definition(notes, "Author");
  fvhost::Guid element = b.Element("Wall", {"IfcWall"});
  WallProject() {
    b.Set(element, fire, "2HR");
    b.Set(element, width, 0.2);
    b.SetOption(element, finish, "Tile");
    b.Set(element, author, "Someone");
  }
};

std::vector<std::string> Names(const Corbane::Array<API_PropertyDefinition>& definitions) {
  std::vector<std::string> names;
  for (const auto& d : definitions) names.push_back(Utf8(d.name));
  return names;
}

API_PropertyDefinition Record(HostWithAddOn& h, const fvhost::Guid& definition) {
  Corbane::Array<API_PropertyDefinition> all;
  EXPECT_EQ(OP(h.host, GetPropertyDefinitions)(h.token, &APINullGuid, &all), FvErr_NoError);
  for (const auto& d : all)
    if (d.guid == definition) return d;
  ADD_FAILURE() << "no such definition";
  return {};
}

TEST(PropertyGroups, AreListedAndFoundByGuid) {
  WallProject p;
  HostWithAddOn h(p.b.Build());
  Corbane::Array<API_PropertyGroup> groups;
  groups.Push(API_PropertyGroup{});  // what was in the array goes
  ASSERT_EQ(OP(h.host, GetPropertyGroups)(h.token, &groups), FvErr_NoError);
  ASSERT_EQ(groups.GetSize(), 2u);
  EXPECT_EQ(Utf8(groups[0].name), "Pset_WallCommon");
  EXPECT_EQ(groups[1].guid, p.notes);

  API_PropertyGroup group;
  group.guid = p.notes;
  ASSERT_EQ(OP(h.host, GetPropertyGroup)(h.token, &group), FvErr_NoError);
  EXPECT_EQ(Utf8(group.name), "Project Notes");
  group.guid = APINullGuid;
  EXPECT_EQ(OP(h.host, GetPropertyGroup)(h.token, &group), FvErr_BadId);
  group.guid = fvhost::NewGuid();
  EXPECT_EQ(OP(h.host, GetPropertyGroup)(h.token, &group), FvErr_NoSuchGroup);
  EXPECT_EQ(OP(h.host, GetPropertyGroups)(h.token, nullptr), FvErr_BadParameter);
}

TEST(PropertyGroups, DeletingTakesItsDefinitionsAndTheirElementValuesAndNothingElse) {
  WallProject p;
  HostWithAddOn h(p.b.Build());
  auto before = h.project();
  EXPECT_EQ(OP(h.host, DeletePropertyGroup)(h.token, &p.wall), FvErr_NotInCommand);
  EXPECT_EQ(h.project(), before);

  ASSERT_EQ(h.InCommand("Delete", [&] {
    fvhost::Guid unknown = fvhost::NewGuid();
    EXPECT_EQ(OP(h.host, DeletePropertyGroup)(h.token, &APINullGuid), FvErr_BadId);
    EXPECT_EQ(OP(h.host, DeletePropertyGroup)(h.token, &unknown), FvErr_NoSuchGroup);
    return OP(h.host, DeletePropertyGroup)(h.token, &p.wall);
  }), FvErr_NoError);

  const auto& project = h.project();
  ASSERT_EQ(project.groups.size(), 1u);
  EXPECT_EQ(project.groups[0].name, "Project Notes");
  ASSERT_EQ(project.definitions.size(), 1u);
  EXPECT_EQ(project.definitions[0].name, "Author");
  ASSERT_EQ(project.elements[0]->values.size(), 1u);
  EXPECT_EQ(project.elements[0]->values[0].definition, p.author);
}

TEST(PropertyDefinitions, AreListedAllInProjectOrderOrByGroup) {
  WallProject p;
  HostWithAddOn h(p.b.Build());
  Corbane::Array<API_PropertyDefinition> definitions;
  ASSERT_EQ(OP(h.host, GetPropertyDefinitions)(h.token, &APINullGuid, &definitions), FvErr_NoError);
  EXPECT_THAT(Names(definitions), ElementsAre("FireRating", "Width", "Finish", "Author"));
  ASSERT_EQ(OP(h.host, GetPropertyDefinitions)(h.token, &p.notes, &definitions), FvErr_NoError);
  EXPECT_THAT(Names(definitions), ElementsAre("Author"));
  fvhost::Guid unknown = fvhost::NewGuid();
  EXPECT_EQ(OP(h.host, GetPropertyDefinitions)(h.token, &unknown, &definitions), FvErr_NoSuchGroup);

  API_PropertyDefinition finish = Record(h, p.finish);
  EXPECT_EQ(finish.collectionType, API_SingleChoiceCollection);
  ASSERT_EQ(finish.possibleEnumValues.GetSize(), 2u);
  EXPECT_EQ(Utf8(finish.possibleEnumValues[1].displayVariant.uniStringValue), "Tile");
  EXPECT_EQ(finish.possibleEnumValues[0].keyVariant.type, API_VariantGuid);
  EXPECT_EQ(finish.defaultValue.basicValue.singleVariant.guidValue, finish.possibleEnumValues[0].keyVariant.guidValue);
}

TEST(ChangePropertyDefinition, StoresTheDefinitionAndWritesTheStoredFormBack) {
  WallProject p;
  HostWithAddOn h(p.b.Build());
  API_PropertyDefinition finish = Record(h, p.finish);
  API_SingleEnumerationVariant stone;
  stone.displayVariant.type = API_VariantString;
  stone.displayVariant.uniStringValue = "Stone";
  finish.possibleEnumValues.Push(stone);  // a null key: the host gives it one
  finish.description = "How the wall is finished";
  ASSERT_EQ(h.InCommand("Change", [&] { return OP(h.host, ChangePropertyDefinition)(h.token, &finish); }),
            FvErr_NoError);
  ASSERT_EQ(finish.possibleEnumValues.GetSize(), 3u);
  EXPECT_FALSE(finish.possibleEnumValues[2].keyVariant.guidValue.IsNull());
  EXPECT_EQ(finish.possibleEnumValues[2].keyVariant.type, API_VariantGuid);
  const auto& stored = h.project().definitions[2];
  EXPECT_EQ(stored.description, "How the wall is finished");
  EXPECT_EQ(stored.options[2].key, finish.possibleEnumValues[2].keyVariant.guidValue);
  EXPECT_EQ(stored.options[2].display.text, "Stone");
  EXPECT_EQ(h.project().elements[0]->values.size(), 4u);  // the chosen Tile still fits
}

TEST(ChangePropertyDefinition, RefusesWhatCannotBeStoredAndChangesNothing) {
  WallProject p;
  HostWithAddOn h(p.b.Build());
  auto before = h.project();
  struct Case {
    const char* what;
    fvhost::Guid definition;
    std::function<void(API_PropertyDefinition&)> spoil;
    HostError expected;
  };
  std::vector<Case> cases = {
      {"empty name", p.fire, [](auto& d) { d.name = ""; }, FvErr_BadParameter},
      {"a name the group has", p.fire, [](auto& d) { d.name = "Width"; }, FvErr_NameTaken},
      {"collection code", p.fire, [](auto& d) { d.collectionType = 5; }, FvErr_BadParameter},
      {"value type code", p.fire, [](auto& d) { d.valueType = API_VariantGuid; }, FvErr_BadParameter},
      {"measure code", p.width, [](auto& d) { d.measureType = 0; }, FvErr_BadParameter},
      {"definition type code", p.width, [](auto& d) { d.definitionType = 3; }, FvErr_BadParameter},
      {"unknown group", p.fire, [](auto& d) { d.groupGuid = fvhost::NewGuid(); }, FvErr_NoSuchGroup},
      {"unknown guid", p.fire, [](auto& d) { d.guid = fvhost::NewGuid(); }, FvErr_NoSuchDefinition},
      {"null guid", p.fire, [](auto& d) { d.guid = APINullGuid; }, FvErr_BadId},
      {"unknown availability item", p.fire, [](auto& d) { d.availability.Push(fvhost::NewGuid()); }, FvErr_BadId},
      {"option of another type", p.finish,
       [](auto& d) { d.possibleEnumValues[0].displayVariant.type = API_VariantInteger; }, FvErr_ValueDoesNotFit},
      {"two options with one key", p.finish,
       [](auto& d) { d.possibleEnumValues[1].keyVariant = d.possibleEnumValues[0].keyVariant; }, FvErr_BadParameter},
      {"default not an option", p.finish,
       [](auto& d) { d.defaultValue.basicValue.singleVariant.guidValue = fvhost::NewGuid(); }, FvErr_NotAnOption},
      {"default of another type", p.width,
       [](auto& d) {
         d.defaultValue.basicValue.variantStatus = API_ValueNormal;
         d.defaultValue.basicValue.singleVariant.type = API_VariantString;
       },
       FvErr_ValueDoesNotFit},
      {"default not finite", p.width,
       [](auto& d) {
         d.defaultValue.basicValue.variantStatus = API_ValueNormal;
         d.defaultValue.basicValue.singleVariant.doubleValue = std::numeric_limits<double>::infinity();
       },
       FvErr_ValueDoesNotFit},
      {"expression that does not parse", p.width,
       [](auto& d) {
         d.defaultValue.hasExpression = true;
         d.defaultValue.propertyExpressions.Push("1 +");
       },
       FvErr_BadExpression},
      {"expression naming a missing property", p.width,
       [](auto& d) {
         d.defaultValue.hasExpression = true;
         d.defaultValue.propertyExpressions.Push("###Property:Pset_WallCommon/Height### * 2");
       },
       FvErr_BadExpression},
  };
  for (auto& c : cases) {
    API_PropertyDefinition record = Record(h, c.definition);
    c.spoil(record);
    HostError result = 0;
    h.InCommand("Change", [&] {
      result = OP(h.host, ChangePropertyDefinition)(h.token, &record);
      return FvErr_NoError;  // the command succeeds; only the refused call must change nothing
    });
    EXPECT_EQ(result, c.expected) << c.what;
    EXPECT_EQ(h.project(), before) << c.what;
  }
  API_PropertyDefinition record = Record(h, p.fire);
  EXPECT_EQ(OP(h.host, ChangePropertyDefinition)(h.token, &record), FvErr_NotInCommand);
  EXPECT_EQ(OP(h.host, ChangePropertyDefinition)(h.token, nullptr), FvErr_NotInCommand);
}

TEST(ChangePropertyDefinition, TakesExpressionsThatCheckAndDropsElementValuesThatNoLongerFit) {
  WallProject p;
  HostWithAddOn h(p.b.Build());
  API_PropertyDefinition width = Record(h, p.width);
  width.defaultValue.hasExpression = true;
  width.defaultValue.propertyExpressions.Push("###Property:Pset_WallCommon/FireRating### + 1");
  API_PropertyDefinition fire = Record(h, p.fire);
  fire.valueType = API_VariantInteger;  // "2HR" is no integer
  fire.defaultValue.basicValue.singleVariant.type = API_VariantInteger;
  ASSERT_EQ(h.InCommand("Change", [&] {
    HostError first = OP(h.host, ChangePropertyDefinition)(h.token, &width);
    return first ? first : OP(h.host, ChangePropertyDefinition)(h.token, &fire);
  }), FvErr_NoError);
  EXPECT_THAT(h.project().definitions[1].expressions, ElementsAre("###Property:Pset_WallCommon/FireRating### + 1"));
  const auto& values = h.project().elements[0]->values;
  ASSERT_EQ(values.size(), 3u);
  for (const auto& v : values) EXPECT_NE(v.definition, p.fire);
}

TEST(ChangePropertyDefinition, KeepsAvailabilityItemsThatNoClassificationHolds) {
  WallProject p;
  p.b.Classification("IFC+SG", {"IfcWall"});
  p.b.AvailableFor(p.fire, {"IfcWall", "IfcGone"});
  HostWithAddOn h(p.b.Build());
  API_PropertyDefinition fire = Record(h, p.fire);
  ASSERT_EQ(fire.availability.GetSize(), 1u);
  ASSERT_EQ(h.InCommand("Change", [&] { return OP(h.host, ChangePropertyDefinition)(h.token, &fire); }), 0);
  EXPECT_THAT(h.project().definitions[0].availableFor, ElementsAre("IfcWall", "IfcGone"));
}

TEST(CheckPropertyExpressionString, ChecksTheTextAsGivenInBracesForm) {
  WallProject p;
  HostWithAddOn h(p.b.Build());
  Corbane::UniString good("{Property:Pset_WallCommon/Width} * 2");
  Corbane::UniString stored("###Property:Pset_WallCommon/Width### * 2");
  Corbane::UniString missing("{Property:Pset_WallCommon/Depth}");
  EXPECT_EQ(OP(h.host, CheckPropertyExpressionString)(h.token, &good), FvErr_NoError);
  EXPECT_EQ(OP(h.host, CheckPropertyExpressionString)(h.token, &stored), FvErr_BadExpression);
  EXPECT_EQ(OP(h.host, CheckPropertyExpressionString)(h.token, &missing), FvErr_BadExpression);
  EXPECT_EQ(OP(h.host, CheckPropertyExpressionString)(h.token, nullptr), FvErr_BadParameter);
}

TEST(Import, FailsOutsideACommandAndReportsTheImportersMessageKeepingNothing) {
  WallProject p;
  HostWithAddOn h(p.b.Build());
  auto before = h.project();
  Corbane::UniString broken("<Configuration><PropertyGroups>");
  EXPECT_EQ(OP(h.host, ImportProperties)(h.token, &broken, 0), FvErr_NotInCommand);
  HostError classifications = 0, properties = 0;
  h.InCommand("Import", [&] {
    classifications = OP(h.host, ImportClassifications)(h.token, &broken, 1, 0);
    properties = OP(h.host, ImportProperties)(h.token, &broken, 0);
    return FvErr_NoError;
  });
  EXPECT_NE(classifications, FvErr_NoError);
  EXPECT_NE(properties, FvErr_NoError);
  EXPECT_EQ(h.project(), before);
  ASSERT_EQ(h.host.ReportLines().size(), 2u);
  EXPECT_THAT(h.host.ReportLines()[0], testing::StartsWith("Import Classifications: "));
  EXPECT_THAT(h.host.ReportLines()[1], testing::StartsWith("Import Properties: "));
}

TEST(Import, CreatesWhatTheConfigurationHolds) {
  HostWithAddOn h;
  Corbane::UniString xml(
      "<Configuration><ClassificationSystems><ClassificationSystem name=\"IFC+SG\" version=\"1\">"
      "<Item id=\"IfcWall\" name=\"Wall\"/></ClassificationSystem></ClassificationSystems>"
      "<PropertyGroups><PropertyGroup name=\"Pset_WallCommon\">"
      "<PropertyDefinition name=\"FireRating\" valueType=\"String\" collectionType=\"SingleValue\" "
      "measureType=\"Default\"><DefaultValue>2HR</DefaultValue><AvailableFor item=\"IfcWall\"/></PropertyDefinition>"
      "</PropertyGroup></PropertyGroups></Configuration>");
  ASSERT_EQ(h.InCommand("Import", [&] {
    HostError first = OP(h.host, ImportClassifications)(h.token, &xml, 1, 0);
    return first ? first : OP(h.host, ImportProperties)(h.token, &xml, 0);
  }), FvErr_NoError) << (h.host.ReportLines().empty() ? "" : h.host.ReportLines().back());
  ASSERT_EQ(h.project().groups.size(), 1u);
  ASSERT_EQ(h.project().definitions.size(), 1u);
  EXPECT_EQ(h.project().definitions[0].name, "FireRating");
  EXPECT_TRUE(h.host.ReportLines().empty());
}

}  // namespace
