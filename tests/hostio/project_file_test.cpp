// The project file reads back exactly what was written, and a hand-written
// file with the short forms gets the documented defaults.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "ForvaneHost/ProjectFile.hpp"
#include "support/project_builder.hpp"

namespace {

using testing::HasSubstr;
using testing::Not;
using testing_support::ProjectBuilder;

fvhost::Project ParseOrFail(const std::string& json) {
  std::string error;
  auto project = fvhost::ParseProject(json, "test.json", error);
  EXPECT_TRUE(project.has_value()) << error;
  return project.value_or(fvhost::Project{});
}

fvhost::Value Key(const fvhost::Guid& guid) {
  fvhost::Value v;
  v.type = API_VariantGuid;
  v.guid = guid;
  return v;
}

// Every kind of thing the model holds, with awkward texts and numbers.
fvhost::Project RichProject() {
  ProjectBuilder b;
  b.Classification("IFC+SG", {"IfcWall", "IfcSlab"});
  auto& system = b.project().classificationSystems.front();
  system.version = "2024.1";
  fvhost::ClassificationItem partition;
  partition.guid = fvhost::NewGuid();
  partition.id = "IfcWall.PARTITIONING";
  partition.name = "Partition \"inner\"";
  system.items.front().children.push_back(partition);

  auto wall = b.Group("Pset_WallCommon");
  b.project().groups.back().description = "Walls\nall of them";
  auto fire = b.Definition(wall, "FireRating", API_VariantString);
  b.DefaultValue(fire, ProjectBuilder::Text("2HR, tested"));
  b.AvailableFor(fire, {"IfcWall", "IfcWall.PARTITIONING"});
  auto height = b.Definition(wall, "Height", API_VariantReal, API_MeasureLength);
  b.Expressions(height, {"###Property:Pset_WallCommon/Width### * 2", "\"a\\b\""});
  auto width = b.Definition(wall, "Width", API_VariantReal, API_MeasureLength);
  b.DefaultValue(width, ProjectBuilder::Real(0.1));
  auto count = b.Definition(wall, "Layers", API_VariantInteger);
  b.DefaultValue(count, ProjectBuilder::Integer(std::numeric_limits<std::int32_t>::min()));
  auto external = b.Definition(wall, "IsExternal", API_VariantBoolean);
  b.DefaultValue(external, ProjectBuilder::Boolean(true), API_ValueNull);
  auto finish = b.Options(b.Definition(wall, "Finish", API_VariantString), {"Paint", "Tile", "Ünïcode ✓"}, "Tile");
  b.Def(finish).options[1].hasNonLocalized = true;
  b.Def(finish).options[1].nonLocalized = "TILE";
  auto noDefault = b.Options(b.Definition(wall, "Grade", API_VariantString), {"A", "B"});

  auto notes = b.Group("Project Notes");
  auto tags = b.Definition(notes, "Tags", API_VariantString, API_MeasureDefault, API_ListCollection);
  b.Def(tags).defaultValue.list = {ProjectBuilder::Text("x"), ProjectBuilder::Text("y")};
  b.Def(tags).defaultValue.status = API_ValueNormal;
  b.Def(tags).definitionType = API_StaticDefinition;
  b.Def(tags).editable = false;
  b.Def(tags).description = "free tags";
  auto angles = b.Definition(notes, "Angles", API_VariantInteger, API_MeasureDefault, API_MultipleChoiceCollection);
  for (int i : {15, 30, 45}) {
    fvhost::Option o;
    o.key = fvhost::NewGuid();
    o.display = ProjectBuilder::Integer(i);
    b.Def(angles).options.push_back(o);
  }
  b.Def(angles).defaultValue.single = Key({});
  b.Def(angles).defaultValue.list = {Key(b.Def(angles).options[2].key)};
  b.Def(angles).defaultValue.status = API_ValueNormal;

  auto w1 = b.Element("Wall", {"IfcWall.PARTITIONING"});
  b.Set(w1, fire, "4HR, \"double\", back\\slash");
  b.Set(w1, width, 0.30000000000000004);
  b.Set(w1, height, 5e-324);
  b.Set(w1, count, 7);
  b.SetBool(w1, external, false);
  b.SetOption(w1, finish, "Ünïcode ✓");
  b.SetOption(w1, noDefault, "B");
  auto w2 = b.Element("Wall", {"IfcWall"});
  b.Link(w2, w1);
  b.Set(w2, height, std::numeric_limits<double>::max());
  fvhost::PropertyValue none;
  none.single = ProjectBuilder::Text("");
  none.status = API_ValueNull;
  b.SetValue(w2, fire, none);
  auto s = b.Element("Slab", {"IfcSlab"});
  fvhost::PropertyValue list;
  list.single = ProjectBuilder::Text("");
  list.list = {ProjectBuilder::Text("a,b"), ProjectBuilder::Text("")};
  b.SetValue(s, tags, list);
  fvhost::PropertyValue chosen;
  chosen.single = Key({});
  chosen.list = {Key(b.Def(angles).options[0].key), Key(b.Def(angles).options[1].key)};
  b.SetValue(s, angles, chosen);
  b.Element("Space");
  return b.Build();
}

TEST(ProjectFileRoundTrip, ReadsBackExactlyWhatWasWritten) {
  const fvhost::Project project = RichProject();
  const std::string text = fvhost::ProjectToJson(project);
  const fvhost::Project back = ParseOrFail(text);
  EXPECT_TRUE(back == project) << text;
  EXPECT_EQ(fvhost::ProjectToJson(back), text) << "the writer's order must be stable";
}

TEST(ProjectFileRoundTrip, WritesEveryGuidAndReadableWords) {
  const fvhost::Project project = RichProject();
  const std::string text = fvhost::ProjectToJson(project);
  for (const auto& d : project.definitions) {
    EXPECT_THAT(text, HasSubstr(fvhost::GuidText(d.guid)));
    for (const auto& o : d.options) EXPECT_THAT(text, HasSubstr(fvhost::GuidText(o.key)));
  }
  for (const auto& e : project.elements) EXPECT_THAT(text, HasSubstr(fvhost::GuidText(e->guid)));
  EXPECT_THAT(text, HasSubstr("\"format\": \"forvane-project\""));
  EXPECT_THAT(text, HasSubstr("\"collectionType\": \"multipleChoice\""));
  EXPECT_THAT(text, HasSubstr("\"choice\": \"Tile\""));
  EXPECT_THAT(text, HasSubstr("\"value\": 0.30000000000000004"));
  EXPECT_THAT(text, HasSubstr("\"link\": null"));
  EXPECT_THAT(text, Not(HasSubstr("\t")));
}

TEST(ProjectFileRoundTrip, KeepsRealsBitForBit) {
  ProjectBuilder b;
  auto g = b.Group("G");
  auto d = b.Definition(g, "R", API_VariantReal, API_MeasureAngle);
  const double samples[] = {0.1, 1.0 / 3.0, -2.5e-17, 6.02214076e23, std::nextafter(1.0, 2.0), 1e21, 123456789.125,
                            std::numeric_limits<double>::denorm_min(), -std::numeric_limits<double>::max()};
  for (double r : samples) b.Set(b.Element("Wall"), d, r);
  const fvhost::Project project = b.Build();
  const fvhost::Project back = ParseOrFail(fvhost::ProjectToJson(project));
  ASSERT_EQ(back.elements.size(), std::size(samples));
  for (std::size_t i = 0; i < std::size(samples); ++i)
    EXPECT_EQ(back.elements[i]->values.at(0).value.single.realValue, samples[i]);
}

TEST(ProjectFileShortForms, FillsDefaultsAndMakesMissingGuids) {
  const fvhost::Project p = ParseOrFail(R"({ "format": "forvane-project", "version": 1,
    "classificationSystems": [ { "name": "IFC+SG", "items": [ { "id": "IfcWall" } ] } ],
    "propertyGroups": [ { "name": "Pset_WallCommon", "definitions": [
        { "name": "FireRating" },
        { "name": "Finish", "collectionType": "singleChoice", "options": ["Paint", "Tile"],
          "default": { "choice": "Paint" } },
        { "name": "Width", "valueType": "real", "measureType": "length",
          "default": { "expressions": ["###Property:Pset_WallCommon/Height### / 10"] } } ] } ],
    "elements": [ { "type": "Wall", "classifications": ["IfcWall"],
        "values": [ { "group": "Pset_WallCommon", "property": "Finish", "value": "Tile" } ] } ] })");
  ASSERT_EQ(p.definitions.size(), 3u);
  const auto& fire = p.definitions[0];
  EXPECT_FALSE(fire.guid.IsNull());
  EXPECT_EQ(fire.definitionType, API_CustomDefinition);
  EXPECT_EQ(fire.collectionType, API_SingleCollection);
  EXPECT_EQ(fire.valueType, API_VariantString);
  EXPECT_EQ(fire.measureType, API_MeasureDefault);
  EXPECT_EQ(fire.defaultValue.status, API_ValueUndefined);
  EXPECT_TRUE(fire.editable);
  EXPECT_TRUE(fire.availableFor.empty());
  EXPECT_EQ(p.classificationSystems[0].items[0].name, "IfcWall") << "an item without a name shows its id";

  const auto& finish = p.definitions[1];
  ASSERT_EQ(finish.options.size(), 2u);
  EXPECT_NE(finish.options[0].key, finish.options[1].key);
  EXPECT_EQ(finish.defaultValue.single.type, API_VariantGuid);
  EXPECT_EQ(finish.defaultValue.single.guid, finish.options[0].key);
  EXPECT_EQ(finish.defaultValue.status, API_ValueNormal);
  EXPECT_EQ(p.elements[0]->values.at(0).value.single.guid, finish.options[1].key);
  EXPECT_EQ(p.elements[0]->values.at(0).definition, finish.guid);
  EXPECT_EQ(finish.group, p.groups[0].guid);

  const auto& width = p.definitions[2];
  EXPECT_TRUE(width.hasExpression);
  EXPECT_THAT(width.expressions, testing::ElementsAre("###Property:Pset_WallCommon/Height### / 10"));
  EXPECT_TRUE(p.elements[0]->link.IsNull());
}

TEST(ProjectFileShortForms, AcceptsEscapesAndAByteOrderMark) {
  const fvhost::Project p = ParseOrFail("\xEF\xBB\xBF" R"({ "format": "forvane-project", "version": 1,
    "propertyGroups": [ { "name": "A\u00e9\ud83d\ude00\t\"\/" } ] })");
  ASSERT_EQ(p.groups.size(), 1u);
  EXPECT_EQ(p.groups[0].name, "A\xC3\xA9\xF0\x9F\x98\x80\t\"/");
}

}  // namespace
