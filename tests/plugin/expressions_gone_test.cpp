// What the snapshot saved for a definition that the new configuration no
// longer has: one line for each setting, with what it was, and the step is
// partial.
#include <gmock/gmock.h>

#include "expressions_fixture.hpp"

namespace expressions_test {
namespace {

using ::testing::ElementsAre;
using quarnel::importExpressionsStatus;

class SavedButGone : public SnapshotThenRestore {};

TEST_F(SavedButGone, EachSettingOfADefinitionThatIsGoneIsNamedWithWhatWasSaved) {
  ProjectBuilder before;
  auto wall = before.Group("Pset_WallCommon");
  before.Expressions(before.Definition(wall, "Height"), {"1 + 2", "3"});
  before.Options(before.Definition(wall, "Finish"), {"Paint", "Tile", "Plaster"}, "Tile");
  before.DefaultValue(before.Definition(wall, "Width", API_VariantReal, API_MeasureLength), ProjectBuilder::Real(0.25));
  Choice(before, before.Definition(wall, "Status"), API_MultipleChoiceCollection, TextOptions({"NEW", "EXISTING"}),
         {1, 0});
  before.DefaultValue(before.Definition(wall, "Note"), ProjectBuilder::Text("two\nlines"));
  before.Expressions(before.Definition(wall, "Kept"), {"4"});
  before.Options(before.Definition(before.Group("SGPset_100%d"), "Rating %s"), {"A"});
  ASSERT_EQ(Snapshot(before.Build()), 1);
  ProjectBuilder after;
  after.Definition(after.Group("Pset_WallCommon"), "Kept");

  EXPECT_EQ(Restore(after.Build()), FvErr_NoError);

  const std::string notIn = " is not in the new configuration; ";
  EXPECT_THAT(Report(),
              ElementsAre("Import Expressions and Option Sets: property Pset_WallCommon:Height" + notIn +
                              "expressions \"1 + 2\", \"3\" not restored",
                          "Import Expressions and Option Sets: property Pset_WallCommon:Finish" + notIn +
                              "option set of 3 options not restored",
                          "Import Default Values: property Pset_WallCommon:Width" + notIn +
                              "default value \"250\" not restored",
                          "Import Default Values: property Pset_WallCommon:Status" + notIn +
                              "default value \"EXISTING; NEW\" not restored",
                          "Import Default Values: property Pset_WallCommon:Note" + notIn +
                              "default value \"two\\nlines\" not restored",
                          "Import Expressions and Option Sets: property SGPset_100%d:Rating %s" + notIn +
                              "option set of 1 option not restored"));
  EXPECT_THAT(Definition("Pset_WallCommon", "Kept").expressions, ElementsAre("4"));
  EXPECT_EQ(importExpressionsStatus, 2);
  EXPECT_TRUE(quarnel::SnapshotStoreIsEmpty());
}

TEST_F(SavedButGone, ADefinitionWhoseGroupCannotBeFetchedIsNotSaidToBeGone) {
  ProjectBuilder before;
  auto wall = before.Group("Pset_WallCommon");
  before.Expressions(before.Definition(wall, "Height"), {"1"});
  before.DefaultValue(before.Definition(wall, "Width", API_VariantReal), ProjectBuilder::Real(0.5));
  ASSERT_EQ(Snapshot(before.Build()), 1);
  ProjectBuilder after;
  after.Definition(after.Group("Pset_WallCommon"), "Height");

  // Width is gone, and the host cannot show its default either.
  EXPECT_EQ(Restore(after.Build(), Failing({{"GetPropertyGroup", 1, std::nullopt, 7},
                                            {"GetPropertyValueString", 1, std::nullopt, 8}})),
            FvErr_NoError);

  EXPECT_THAT(Report(), ElementsAre("Import Expressions and Option Sets: GetPropertyGroup for Height failed with Error "
                                    "Code: 7",
                                    "Import Default Values: property Pset_WallCommon:Width is not in the new "
                                    "configuration; its default value not restored (GetPropertyValueString failed "
                                    "with error code 8)"));
  EXPECT_EQ(importExpressionsStatus, 2);
}

}  // namespace
}  // namespace expressions_test
