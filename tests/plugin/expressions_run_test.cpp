// A whole run of the command: what the project had put into its IFC
// definitions survives the deletion and the configuration import, except an
// expression whose property the configuration no longer has.
#include <gmock/gmock.h>

#include "expressions_fixture.hpp"
#include "run_fixture.hpp"

namespace expressions_test {
namespace {

using ::testing::ElementsAre;
using ::testing::SizeIs;

const char* const Configuration = R"(<?xml version="1.0" encoding="UTF-8"?>
<Configuration>
  <ClassificationSystems>
    <ClassificationSystem name="IFC+SG" version="2">
      <Item id="IfcWall" name="Wall"/>
    </ClassificationSystem>
  </ClassificationSystems>
  <PropertyGroups>
    <PropertyGroup name="Pset_WallCommon">
      <PropertyDefinition name="Width" valueType="Double" collectionType="SingleValue" measureType="Length"/>
      <PropertyDefinition name="Height" valueType="Double" collectionType="SingleValue" measureType="Length"/>
      <PropertyDefinition name="Depth" valueType="Double" collectionType="SingleValue" measureType="Length"/>
      <PropertyDefinition name="Finish" valueType="String" collectionType="SingleValueFromCollection">
        <Option>Paint</Option><Option>Tile</Option>
        <DefaultValue>Paint</DefaultValue>
      </PropertyDefinition>
      <PropertyDefinition name="Reference" valueType="String" collectionType="SingleValue"/>
    </PropertyGroup>
  </PropertyGroups>
</Configuration>
)";

TEST(ExpressionsThroughARun, EverythingComesBackButTheExpressionOfADroppedProperty) {
  ProjectBuilder b;
  b.Classification("IFC+SG", {"IfcWall"});
  auto wall = b.Group("Pset_WallCommon");
  b.Definition(wall, "Width", API_VariantReal, API_MeasureLength);
  b.Definition(wall, "Dropped", API_VariantReal, API_MeasureLength);
  b.Expressions(b.Definition(wall, "Height", API_VariantReal, API_MeasureLength),
                {"###Property:Pset_WallCommon/Width### * 2"});
  b.Expressions(b.Definition(wall, "Depth", API_VariantReal, API_MeasureLength),
                {"###Property:Pset_WallCommon/Dropped### + 1"});
  b.Options(b.Definition(wall, "Finish"), {"Paint", "Tile", "Plaster"}, "Plaster");
  b.DefaultValue(b.Definition(wall, "Reference"), ProjectBuilder::Text("W-1"));
  run_test::ConfigFile config(Configuration);
  InProcessHost host(b.Build());
  run_test::Choose(host, config.path());

  EXPECT_EQ(run_test::RunMenu(), FvErr_NoError);

  const fvhost::Project& project = host.project();
  EXPECT_THAT(FindDefinition(project, "Pset_WallCommon", "Height")->expressions,
              ElementsAre("###Property:Pset_WallCommon/Width### * 2"));
  EXPECT_FALSE(FindDefinition(project, "Pset_WallCommon", "Depth")->hasExpression);
  const fvhost::Definition& finish = *FindDefinition(project, "Pset_WallCommon", "Finish");
  ASSERT_THAT(finish.options, SizeIs(3));
  EXPECT_EQ(finish.defaultValue.single.guid, FindOption(finish, "Plaster")->key);
  EXPECT_EQ(FindDefinition(project, "Pset_WallCommon", "Reference")->defaultValue.single.text, "W-1");
  EXPECT_THAT(host.Report(), ElementsAre("Import Expressions and Option Sets: Expression check "
                                         "###Property:Pset_WallCommon/Dropped### + 1 for propertry "
                                         "Pset_WallCommon:Depthfailed with error " +
                                         Code(FvErr_BadExpression)));
  const auto alerts = run_test::Alerts(host);
  ASSERT_THAT(alerts, SizeIs(1));
  EXPECT_EQ(alerts[0].title, "Import Successful!");
  EXPECT_EQ(alerts[0].message,
            "IFC-SG Classifications and Properties are Imported Successfully!\nOne or more Expressions, Option Sets "
            "and Default Values are not retained! Please check Session Report for details.");
  EXPECT_TRUE(quarnel::SnapshotStoreIsEmpty());
}

}  // namespace
}  // namespace expressions_test
