// Group removal: which groups go, what a failure leaves, and what the report says.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "run_fixture.hpp"

namespace {

using ::testing::ElementsAre;
using namespace run_test;

// The step's outcome code.
int RemoveGroups() {
  quarnel::ResetRunStatus();
  quarnel::Config config;
  return static_cast<int>(config.deleteProperties());
}

TEST(GroupRemoval, DeletesOnlyGroupsWhoseNameBeginsWithAnIfcPrefix) {
  ProjectBuilder b;
  for (const char* name : {"SGPset_A", "Pset_B", "MyPset_C", "pset_D", "sgpset_E", "Office Pset_F", "Pset", "Pset_"})
    b.Definition(b.Group(name), "P");
  InProcessHost host(b.Build());
  EXPECT_EQ(RemoveGroups(), 1);
  EXPECT_THAT(GroupNames(host.project()), ElementsAre("MyPset_C", "pset_D", "sgpset_E", "Office Pset_F", "Pset"));
  EXPECT_EQ(host.project().definitions.size(), 5u);
  EXPECT_TRUE(host.Report().empty());
  EXPECT_EQ(quarnel::deletePropertiesStatus, quarnel::Outcome::Failed);
}

TEST(GroupRemoval, ElementValuesOfRemovedGroupsGoWithThem) {
  ProjectBuilder b = WallProject();
  auto own = b.Definition(b.Group("Own"), "Kept");
  auto fire = b.Definition(b.Group("Pset_Fire"), "Rating");
  auto wall = b.Element("Wall");
  b.Set(wall, own, "stays");
  b.Set(wall, fire, "goes");
  InProcessHost host(b.Build());
  EXPECT_EQ(RemoveGroups(), 1);
  ASSERT_EQ(host.project().elements.size(), 1u);
  ASSERT_EQ(host.project().elements[0]->values.size(), 1u);
  EXPECT_EQ(host.project().elements[0]->values[0].definition, own);
}

TEST(GroupRemoval, NothingToRemoveIsCompleteAndLeavesNothingToUndo) {
  ProjectBuilder b;
  b.Definition(b.Group("Office"), "Cost");
  InProcessHost host(b.Build());
  EXPECT_EQ(RemoveGroups(), 1);
  EXPECT_TRUE(host.Report().empty());
  EXPECT_THAT(CommandNames(host), ElementsAre("Delete Property Groups"));
  EXPECT_THAT(host.host().UndoStepNames(), ElementsAre());

  InProcessHost empty;
  EXPECT_EQ(RemoveGroups(), 1);
  EXPECT_TRUE(empty.Report().empty());
}

TEST(GroupRemoval, AFailedDeletionIsReportedAndTheOthersAreStillRemoved) {
  ProjectBuilder b;
  b.Group("Pset_First");
  b.Group("Office");
  b.Group("SGPset_Second");
  InProcessHost host(b.Build(), Options({FailFor("DeletePropertyGroup", "Pset_First", FvErr_ReadOnly)}));
  EXPECT_EQ(RemoveGroups(), 2);
  EXPECT_EQ(quarnel::deletePropertiesStatus, quarnel::Outcome::Partial);
  EXPECT_THAT(host.Report(), ElementsAre("Removing Property: DeletePropertyGroup Pset_First failed with error code: " +
                                         Code(FvErr_ReadOnly)));
  EXPECT_THAT(GroupNames(host.project()), ElementsAre("Pset_First", "Office"));
  // The removals that worked are kept as one step, and one undo gives everything back.
  EXPECT_THAT(host.host().UndoStepNames(), ElementsAre("Delete Property Groups"));
  ASSERT_TRUE(host.host().Undo());
  EXPECT_THAT(GroupNames(host.project()), ElementsAre("Pset_First", "Office", "SGPset_Second"));
}

TEST(GroupRemoval, EveryFailingGroupHasItsOwnLine) {
  ProjectBuilder b;
  b.Group("Pset_A");
  b.Group("Pset_B");
  InProcessHost host(b.Build(), Options({}, {"DeletePropertyGroup"}));
  EXPECT_EQ(RemoveGroups(), 2);
  const std::string code = Code(FvErr_MissingOperation);
  EXPECT_THAT(host.Report(), ElementsAre("Removing Property: DeletePropertyGroup Pset_A failed with error code: " + code,
                                         "Removing Property: DeletePropertyGroup Pset_B failed with error code: " + code));
}

TEST(GroupRemoval, APercentInAGroupNameIsWrittenAsItIs) {
  ProjectBuilder b;
  b.Group("Pset_%s%d%n %% 100%");
  InProcessHost host(b.Build(), Options({Fail("DeletePropertyGroup", FvErr_BadId)}));
  EXPECT_EQ(RemoveGroups(), 2);
  EXPECT_THAT(host.Report(),
              ElementsAre("Removing Property: DeletePropertyGroup Pset_%s%d%n %% 100% failed with error code: " +
                          Code(FvErr_BadId)));
}

TEST(GroupRemoval, GroupsThatCannotBeListedStopTheStepBeforeAnyDeletion) {
  InProcessHost host(WallProject().Build(), Options({Fail("GetPropertyGroups", FvErr_General)}));
  host.host().transcript().Clear();
  const fvhost::Project before = host.project();
  EXPECT_EQ(RemoveGroups(), 0);
  EXPECT_EQ(quarnel::deletePropertiesStatus, quarnel::Outcome::Failed);
  EXPECT_THAT(host.Report(),
              ElementsAre("Removing Property: GetPropertyGroups failed with error code: " + Code(FvErr_General)));
  EXPECT_TRUE(host.project() == before);
  // The body's error fails the command: no undo step is left.
  EXPECT_TRUE(host.host().UndoStepNames().empty());
}

TEST(GroupRemoval, ACommandTheHostCannotRunRemovesNothingAndSaysSo) {
  InProcessHost host(WallProject().Build(), Options({Fail("CallUndoableCommand", FvErr_CommandRunning)}));
  const fvhost::Project before = host.project();
  EXPECT_EQ(RemoveGroups(), 0);
  EXPECT_THAT(host.Report(), ElementsAre("Delete Property Groups: Failed with error code: " + Code(FvErr_CommandRunning)));
  EXPECT_TRUE(host.project() == before);
}

}  // namespace
