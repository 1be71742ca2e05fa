// The store's life across snapshot, restore and runs: what one run leaves,
// and what the next one sees.
#include <gmock/gmock.h>

#include "expressions_fixture.hpp"

namespace expressions_test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::SizeIs;

fvhost::Project WallWithHeight(const std::string& expression) {
  ProjectBuilder b;
  auto wall = b.Group("Pset_WallCommon");
  b.Expressions(b.Definition(wall, "Height"), {expression});
  b.Options(b.Definition(wall, "Finish"), {"Paint", "Tile"}, "Tile");
  b.DefaultValue(b.Definition(wall, "Reference"), ProjectBuilder::Text("W-1"));
  return b.Build();
}

class SnapshotStoreLife : public SnapshotThenRestore {};

TEST_F(SnapshotStoreLife, ARestoreEmptiesEveryTableEvenAfterFailures) {
  ASSERT_EQ(Snapshot(WallWithHeight("1")), 1);
  ASSERT_FALSE(quarnel::SnapshotStoreIsEmpty());

  EXPECT_EQ(Restore(WallWithHeight("2"), Failing({Fail("GetPropertyGroup", 7, 1),
                                                  Fail("ChangePropertyDefinition", 7)})),
            FvErr_NoError);

  EXPECT_EQ(quarnel::importExpressionsStatus, quarnel::Outcome::Partial);
  EXPECT_TRUE(quarnel::SnapshotStoreIsEmpty());
}

TEST_F(SnapshotStoreLife, ARestoreOfAProjectWithoutDefinitionsNamesWhatWasSavedAndEmptiesTheStore) {
  ASSERT_EQ(Snapshot(WallWithHeight("1")), 1);

  EXPECT_EQ(Restore(ProjectBuilder().Build()), FvErr_NoError);

  EXPECT_THAT(Report(), SizeIs(3));
  EXPECT_EQ(quarnel::importExpressionsStatus, quarnel::Outcome::Partial);
  EXPECT_TRUE(quarnel::SnapshotStoreIsEmpty());
}

TEST_F(SnapshotStoreLife, ARestoreWhoseListingFailedLeavesTheStoreForNobodyButTheNextSnapshotClearsIt) {
  ASSERT_EQ(Snapshot(WallWithHeight("1")), 1);
  ASSERT_NE(Restore(WallWithHeight("1"), Failing({Fail("GetPropertyDefinitions", FvErr_General)})),
            FvErr_NoError);
  ASSERT_TRUE(quarnel::savedExpressions.ContainsKey(Key("Pset_WallCommon", "Height")));

  // The next run's project no longer has Finish or Reference, and its Height
  // reads differently: only what it has now is saved.
  ProjectBuilder next;
  next.Expressions(next.Definition(next.Group("Pset_WallCommon"), "Height"), {"2"});
  ASSERT_EQ(Snapshot(next.Build()), 1);

  EXPECT_THAT(Texts(quarnel::savedExpressions.Get(Key("Pset_WallCommon", "Height"))), ElementsAre("2"));
  EXPECT_TRUE(quarnel::savedOptionSets.IsEmpty());
  EXPECT_TRUE(quarnel::savedDefaultOptions.IsEmpty());
  EXPECT_TRUE(quarnel::savedDefaultValues.IsEmpty());
}

TEST_F(SnapshotStoreLife, ASnapshotWhoseListingFailsLeavesNothingOfAnEarlierRun) {
  ASSERT_EQ(Snapshot(WallWithHeight("1")), 1);  // a run whose restore never took place

  EXPECT_EQ(Snapshot(WallWithHeight("2"), Failing({Fail("GetPropertyDefinitions", FvErr_General)})), 0);

  EXPECT_TRUE(quarnel::SnapshotStoreIsEmpty());
}

TEST_F(SnapshotStoreLife, ASecondRunRestoresItsOwnSnapshotNotTheFirstRunsEntries) {
  ASSERT_EQ(Snapshot(WallWithHeight("1")), 1);  // the first run stopped after its snapshot
  ASSERT_EQ(Snapshot(WallWithHeight("2")), 1);

  ProjectBuilder after;
  auto wall = after.Group("Pset_WallCommon");
  after.Definition(wall, "Height");
  EXPECT_EQ(Restore(after.Build()), FvErr_NoError);

  EXPECT_THAT(Definition("Pset_WallCommon", "Height").expressions, ElementsAre("2"));
}

TEST_F(SnapshotStoreLife, TheWrapperTurnsARestoreWithRejectedTextsIntoAPartialUndoableStep) {
  ProjectBuilder before;
  auto wall = before.Group("Pset_WallCommon");
  before.Definition(wall, "Dropped");
  before.Expressions(before.Definition(wall, "Height"), {"###Property:Pset_WallCommon/Dropped###", "5"});
  ASSERT_EQ(Snapshot(before.Build()), 1);
  ProjectBuilder after;
  after.Definition(after.Group("Pset_WallCommon"), "Height");
  const fvhost::Project imported = after.Build();
  Open(imported, Quiet());
  quarnel::ResetRunStatus();

  EXPECT_EQ(quarnel::Config().importExpressions(), quarnel::Outcome::Partial);

  EXPECT_THAT(Definition("Pset_WallCommon", "Height").expressions, ElementsAre("5"));
  EXPECT_THAT(host().host().UndoStepNames(), ElementsAre("Import Expressions"));
  ASSERT_TRUE(host().host().Undo());
  EXPECT_TRUE(project() == imported);
}

}  // namespace
}  // namespace expressions_test
