// The wrappers of the undoable steps: how command result and run status turn
// into the outcome, and what they report, also with a host that cannot run
// the command at all.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "run/Outcome.hpp"
#include "values/DataFile.hpp"
#include "run_fixture.hpp"

namespace {

using ::testing::ElementsAre;
using namespace run_test;

constexpr HostError failed = FvErr_General;

struct OutcomeCase {
  HostError result;
  int status;
  int outcome;
};

TEST(WrapperOutcome, GroupRemovalIsCompleteOnlyWhenTheCommandRanAndNothingFailed) {
  const OutcomeCase cases[] = {
      {0, 0, 1}, {0, 1, 1}, {0, -3, 1}, {0, 2, 2}, {failed, 0, 0}, {failed, 2, 2}, {FvErr_MissingOperation, 0, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(quarnel::DeletePropertiesOutcome(c.result, static_cast<quarnel::RunStatus>(c.status)),
              static_cast<quarnel::Outcome>(c.outcome))
        << "result " << c.result << " status " << c.status;
}

TEST(WrapperOutcome, ImportStepsKeepTheStatusUnlessTheCommandRanAndItIsOneOrNegative) {
  const OutcomeCase cases[] = {
      {0, 0, 0},      {0, 1, 1},      {0, 2, 2},      {0, 3, 3},       {0, -1, 1},
      {failed, 0, 0}, {failed, 1, 1}, {failed, 2, 2}, {failed, 3, 3}, {failed, -1, -1},
  };
  for (const auto& c : cases)
    EXPECT_EQ(quarnel::ImportOutcome(c.result, static_cast<quarnel::RunStatus>(c.status)),
              static_cast<quarnel::Outcome>(c.outcome))
        << "result " << c.result << " status " << c.status;
}

TEST(WrapperOutcome, ValueImportCountsOnlyTheStatus) {
  const std::pair<int, int> cases[] = {{0, 0}, {2, 2}, {1, 1}, {3, 1}, {-1, 1}, {127, 1}};
  for (const auto& [status, outcome] : cases)
    EXPECT_EQ(quarnel::ImportPropertyValuesOutcome(static_cast<quarnel::RunStatus>(status)),
              static_cast<quarnel::Outcome>(outcome))
        << status;
}

class WrappersWithoutUndo : public ::testing::Test {
 protected:
  WrappersWithoutUndo() : host(WallProject().Build(), Options({}, {"CallUndoableCommand"})) {
    quarnel::ResetRunStatus();
  }
  InProcessHost host;
  quarnel::Config config;
};

TEST_F(WrappersWithoutUndo, GroupRemovalFailsWithItsLineAndChangesNothing) {
  const fvhost::Project before = host.project();
  EXPECT_EQ(config.deleteProperties(), quarnel::Outcome::Failed);
  EXPECT_THAT(host.Report(), ElementsAre("Delete Property Groups: Failed with error code: " + Code(FvErr_MissingOperation)));
  EXPECT_TRUE(host.project() == before);
}

TEST_F(WrappersWithoutUndo, SchemaImportFailsWithItsLineAndShowsNoDialog) {
  EXPECT_EQ(config.importPropertiesAndClassifications(), quarnel::Outcome::Failed);
  EXPECT_THAT(host.Report(), ElementsAre("Import Properties and Classifications: Failed with error code: " +
                                         Code(FvErr_MissingOperation)));
  EXPECT_TRUE(Events(host.Transcript(), "dialog").empty());
}

TEST_F(WrappersWithoutUndo, ExpressionRestoreFailsWithItsLine) {
  EXPECT_EQ(config.importExpressions(), quarnel::Outcome::Failed);
  EXPECT_THAT(host.Report(),
              ElementsAre("Import Expressions and Option sets failed with Error Code: " + Code(FvErr_MissingOperation)));
}

TEST_F(WrappersWithoutUndo, ValueImportFailsWithALineThatSaysWhereTheValuesAre) {
  quarnel::dataFileLocation = Nostrel::Location(Corbane::UniString("/data/IFC+SG_Properties.csv"));
  EXPECT_EQ(config.importPropertyValues(), quarnel::Outcome::Failed);
  EXPECT_THAT(host.Report(), ElementsAre("Import Property Values: Failed with error code: " +
                                         Code(FvErr_MissingOperation) +
                                         "; the values are kept in /data/IFC+SG_Properties.csv"));
}

TEST(Wrappers, RunEachStepAsOneCommandUnderItsName) {
  InProcessHost host(WallProject().Build());
  quarnel::ResetRunStatus();
  quarnel::Config config;
  Cancel(host);
  config.deleteProperties();
  config.importPropertiesAndClassifications();
  EXPECT_THAT(CommandNames(host), ElementsAre("Delete Property Groups", "Import Properties and Classifications"));
  // The cancelled import changed nothing, so only the deletion can be undone.
  EXPECT_THAT(host.host().UndoStepNames(), ElementsAre("Delete Property Groups"));
}

TEST(Wrappers, ACommandTheHostRefusesByNameIsReportedWithItsError) {
  InProcessHost host(WallProject().Build(),
                     Options({FailFor("CallUndoableCommand", "Import Properties and Classifications", FvErr_ReadOnly)}));
  quarnel::ResetRunStatus();
  quarnel::Config config;
  EXPECT_EQ(config.deleteProperties(), quarnel::Outcome::Done);
  EXPECT_EQ(config.importPropertiesAndClassifications(), quarnel::Outcome::Failed);
  EXPECT_THAT(host.Report(),
              ElementsAre("Import Properties and Classifications: Failed with error code: " + Code(FvErr_ReadOnly)));
  EXPECT_THAT(host.host().UndoStepNames(), ElementsAre("Delete Property Groups"));
}

}  // namespace
