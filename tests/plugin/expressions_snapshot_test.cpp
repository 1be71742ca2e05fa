// The snapshot: which definitions give what to the store, under which key,
// and what a failing host call does to the outcome.
#include <gmock/gmock.h>

#include "expressions_fixture.hpp"

namespace expressions_test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using quarnel::savedDefaultOptions;
using quarnel::savedDefaultValues;
using quarnel::savedExpressions;
using quarnel::savedOptionSets;

class ExpressionSnapshot : public SnapshotThenRestore {};

TEST_F(ExpressionSnapshot, ExpressionTextsAreSavedInOrderAndNothingElseOfTheDefinition) {
  ProjectBuilder b;
  auto wall = b.Group("Pset_WallCommon");
  b.Definition(wall, "Width", API_VariantReal, API_MeasureLength);
  auto height = b.Definition(wall, "Height", API_VariantReal, API_MeasureLength);
  b.Options(height, {"Low", "High"}, "High");  // an expression outranks the option set
  b.Expressions(height, {"###Property:Pset_WallCommon/Width### * 2", "3"});

  EXPECT_EQ(Snapshot(b.Build()), 1);

  const auto* texts = savedExpressions.GetPtr(Key("Pset_WallCommon", "Height"));
  ASSERT_NE(texts, nullptr);
  EXPECT_THAT(Texts(*texts), ElementsAre("###Property:Pset_WallCommon/Width### * 2", "3"));
  EXPECT_FALSE(savedOptionSets.ContainsKey(Key("Pset_WallCommon", "Height")));
  EXPECT_FALSE(savedDefaultOptions.ContainsKey(Key("Pset_WallCommon", "Height")));
  EXPECT_FALSE(savedDefaultValues.ContainsKey(Key("Pset_WallCommon", "Height")));
  EXPECT_THAT(Report(), IsEmpty());
}

TEST_F(ExpressionSnapshot, OptionSetIsSavedWholeWithTheDisplayTextOfItsDefault) {
  ProjectBuilder b;
  auto door = b.Group("SGPset_DoorFireRating");
  auto rating = b.Options(b.Definition(door, "Rating"), {"Low", "Medium", "High"}, "Medium");
  const fvhost::Definition stored = b.Def(rating);

  EXPECT_EQ(Snapshot(b.Build()), 1);

  const auto* options = savedOptionSets.GetPtr(Key("SGPset_DoorFireRating", "Rating"));
  ASSERT_NE(options, nullptr);
  EXPECT_THAT(DisplayTexts(*options), ElementsAre("Low", "Medium", "High"));
  ASSERT_EQ(options->GetSize(), 3u);
  for (Corbane::UIndex i = 0; i < 3; ++i) EXPECT_EQ((*options)[i].keyVariant.guidValue, stored.options[i].key);
  const auto* defaultText = savedDefaultOptions.GetPtr(Key("SGPset_DoorFireRating", "Rating"));
  ASSERT_NE(defaultText, nullptr);
  EXPECT_EQ(S(*defaultText), "Medium");
  EXPECT_FALSE(savedDefaultValues.ContainsKey(Key("SGPset_DoorFireRating", "Rating")));
}

TEST_F(ExpressionSnapshot, OptionSetWithoutAUsableDefaultSavesOnlyTheList) {
  ProjectBuilder b;
  auto door = b.Group("Pset_DoorCommon");
  b.Options(b.Definition(door, "NoDefault"), {"A", "B"});
  auto nullStatus = b.Options(b.Definition(door, "NullDefault"), {"A", "B"}, "B");
  b.Def(nullStatus).defaultValue.status = API_ValueNull;
  auto strayKey = b.Options(b.Definition(door, "StrayDefault"), {"A", "B"}, "B");
  b.Def(strayKey).defaultValue.single.guid = fvhost::NewGuid();

  EXPECT_EQ(Snapshot(b.Build()), 1);

  for (const char* name : {"NoDefault", "NullDefault", "StrayDefault"}) {
    SCOPED_TRACE(name);
    const quarnel::RowKey key = Key("Pset_DoorCommon", name);
    EXPECT_TRUE(savedOptionSets.ContainsKey(key));
    EXPECT_FALSE(savedDefaultOptions.ContainsKey(key));
  }
  EXPECT_TRUE(savedDefaultValues.IsEmpty());
}

TEST_F(ExpressionSnapshot, PlainDefaultValueIsSavedUnlessUndefined) {
  ProjectBuilder b;
  auto slab = b.Group("Pset_SlabCommon");
  b.DefaultValue(b.Definition(slab, "Thickness", API_VariantReal, API_MeasureLength), ProjectBuilder::Real(0.25));
  b.DefaultValue(b.Definition(slab, "LoadBearing", API_VariantBoolean), ProjectBuilder::Boolean(true), API_ValueNull);
  b.DefaultValue(b.Definition(slab, "Reference"), ProjectBuilder::Text("S-1"), API_ValueUndefined);

  EXPECT_EQ(Snapshot(b.Build()), 1);

  const auto* thickness = savedDefaultValues.GetPtr(Key("Pset_SlabCommon", "Thickness"));
  ASSERT_NE(thickness, nullptr);
  EXPECT_EQ(thickness->variantStatus, API_ValueNormal);
  EXPECT_EQ(thickness->singleVariant.type, API_VariantReal);
  EXPECT_DOUBLE_EQ(thickness->singleVariant.doubleValue, 0.25);
  const auto* loadBearing = savedDefaultValues.GetPtr(Key("Pset_SlabCommon", "LoadBearing"));
  ASSERT_NE(loadBearing, nullptr);
  EXPECT_EQ(loadBearing->variantStatus, API_ValueNull);
  EXPECT_FALSE(savedDefaultValues.ContainsKey(Key("Pset_SlabCommon", "Reference")));
  EXPECT_EQ(savedDefaultValues.GetSize(), 2u);
  EXPECT_TRUE(savedExpressions.IsEmpty());
  EXPECT_TRUE(savedOptionSets.IsEmpty());
}

TEST_F(ExpressionSnapshot, OnlyCustomDefinitionsOfIfcGroupsAreSaved) {
  ProjectBuilder b;
  auto saveExpression = [&b](const std::string& group, std::int32_t definitionType) {
    auto definition = b.Expressions(b.Definition(b.Group(group), "Height"), {"1"});
    b.Def(definition).definitionType = definitionType;
  };
  saveExpression("Pset_WallCommon", API_CustomDefinition);
  saveExpression("SGPset_Wall", API_CustomDefinition);
  saveExpression("pset_WallCommon", API_CustomDefinition);
  saveExpression("IfcPset_Wall", API_CustomDefinition);
  saveExpression("SGPSET_Wall", API_CustomDefinition);
  saveExpression("Pset", API_CustomDefinition);
  saveExpression("Pset_Static", API_StaticDefinition);

  EXPECT_EQ(Snapshot(b.Build()), 1);

  EXPECT_EQ(savedExpressions.GetSize(), 2u);
  EXPECT_TRUE(savedExpressions.ContainsKey(Key("Pset_WallCommon", "Height")));
  EXPECT_TRUE(savedExpressions.ContainsKey(Key("SGPset_Wall", "Height")));
  EXPECT_THAT(Report(), IsEmpty());
}

TEST_F(ExpressionSnapshot, AFailedGroupFetchSkipsThatDefinitionOnlyAndMakesTheStepPartial) {
  ProjectBuilder b;
  auto wall = b.Group("Pset_WallCommon");
  b.Expressions(b.Definition(wall, "Width"), {"1"});
  b.Expressions(b.Definition(wall, "Height"), {"2"});
  b.Expressions(b.Definition(b.Group("Other"), "Depth"), {"3"});
  b.Expressions(b.Definition(wall, "Length"), {"4"});

  // The second and the third fetch fail; the third is of a group that would
  // have been passed over anyway, and is reported all the same.
  EXPECT_EQ(Snapshot(b.Build(), Failing({Fail("GetPropertyGroup", 7, 2),
                                         Fail("GetPropertyGroup", FvErr_NoSuchGroup, 3)})),
            2);

  EXPECT_THAT(Report(), ElementsAre("Export Expressions: GetPropertyGroup for property Height failed with Error Code :  7",
                                    "Export Expressions: GetPropertyGroup for property Depth failed with Error Code : " +
                                        Code(FvErr_NoSuchGroup)));
  EXPECT_TRUE(savedExpressions.ContainsKey(Key("Pset_WallCommon", "Width")));
  EXPECT_FALSE(savedExpressions.ContainsKey(Key("Pset_WallCommon", "Height")));
  EXPECT_TRUE(savedExpressions.ContainsKey(Key("Pset_WallCommon", "Length")));
}

TEST_F(ExpressionSnapshot, AFailedListingIsReportedAndSavesNothing) {
  ProjectBuilder b;
  b.Expressions(b.Definition(b.Group("Pset_WallCommon"), "Height"), {"1"});

  EXPECT_EQ(Snapshot(b.Build(), Failing({Fail("GetPropertyDefinitions", FvErr_General)})), 0);

  EXPECT_THAT(Report(), ElementsAre("Export Expressions: GetPropertyDefinitions failed Error Code: " +
                                    Code(FvErr_General)));
  EXPECT_TRUE(quarnel::SnapshotStoreIsEmpty());
  EXPECT_THAT(Calls("GetPropertyGroup"), IsEmpty());
}

TEST_F(ExpressionSnapshot, AnEmptyProjectIsExaminedWhole) {
  EXPECT_EQ(Snapshot(ProjectBuilder().Build()), 1);
  EXPECT_TRUE(quarnel::SnapshotStoreIsEmpty());
  EXPECT_THAT(Report(), IsEmpty());
}

TEST_F(ExpressionSnapshot, TheProjectIsOnlyRead) {
  ProjectBuilder b;
  auto wall = b.Group("Pset_WallCommon");
  b.Expressions(b.Definition(wall, "Height"), {"1"});
  b.Options(b.Definition(wall, "Finish"), {"Paint", "Tile"}, "Tile");
  b.DefaultValue(b.Definition(wall, "Reference"), ProjectBuilder::Text("W-1"));
  const fvhost::Project before = b.Build();

  EXPECT_EQ(Snapshot(before), 1);

  EXPECT_TRUE(project() == before);
  EXPECT_THAT(host().host().UndoStepNames(), IsEmpty());
}

TEST_F(ExpressionSnapshot, APercentSignInANameIsPrintedAsItStands) {
  ProjectBuilder b;
  b.Expressions(b.Definition(b.Group("Pset_WallCommon"), "Share %d of %s"), {"1"});

  EXPECT_EQ(Snapshot(b.Build(), Failing({Fail("GetPropertyGroup", 7, 1)})), 2);

  EXPECT_THAT(Report(),
              ElementsAre("Export Expressions: GetPropertyGroup for property Share %d of %s failed with Error Code :  7"));
}

}  // namespace
}  // namespace expressions_test
