// The menu command end to end: which calls it answers, the steps' order and
// gating, the final alert, and what a run leaves in the undo history.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <stdexcept>

#include "run_fixture.hpp"

namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Not;
using namespace run_test;

const char* const failureMessage =
    "IFC-SG Classifications and Properties Import Failed!\nPlease check Session Report for details.";

TEST(MenuHandler, AnotherMenuOrItemCallsNoHostOperation) {
  InProcessHost host(WallProject().Build());
  const fvhost::Project before = host.project();
  const long callsBefore = host.host().OperationCalls();
  EXPECT_EQ(RunMenu(32500, 2), 0);
  EXPECT_EQ(RunMenu(32500, 0), 0);
  EXPECT_EQ(RunMenu(32000, 1), 0);
  EXPECT_EQ(RunMenu(32501, 1), 0);
  EXPECT_EQ(quarnel::HandleMenuCommand(nullptr), 0);
  EXPECT_EQ(host.host().OperationCalls(), callsBefore);
  EXPECT_TRUE(host.project() == before);
  EXPECT_THAT(Alerts(host), IsEmpty());
}

TEST(ImportRun, ReplacesTheIfcGroupsAndLeavesTheOthers) {
  InProcessHost host(WallProject().Build());
  ConfigFile file(WallConfiguration());
  Choose(host, file.path());
  EXPECT_EQ(RunMenu(), 0);
  EXPECT_THAT(GroupNames(host.project()), ElementsAre("Office", "Pset_WallCommon"));
  const auto alerts = Alerts(host);
  ASSERT_EQ(alerts.size(), 1u);
  EXPECT_EQ(alerts[0].title, "Import Successful");
  EXPECT_EQ(alerts[0].kind, -3);
  const auto commands = CommandNames(host);
  ASSERT_GE(commands.size(), 2u);
  EXPECT_EQ(commands[0], "Delete Property Groups");
  EXPECT_EQ(commands[1], "Import Properties and Classifications");
}

// The host refuses every argument it does not offer (modes, filters, masks,
// the element type), so a run whose calls all succeed passed each one as
// the host documents it; and no line of it asks for a dialog of its own.
TEST(ImportRun, PassesEveryArgumentAsTheHostTakesIt) {
  ProjectBuilder b = WallProject();
  const auto wall = b.Element("Wall", {"IfcWall"});
  for (const fvhost::Definition& definition : b.project().definitions) {
    if (definition.name == "FireRating") b.Set(wall, definition.guid, "2HR");
  }
  fvhost::HostOptions options =
      Options({FailFor("DeletePropertyGroup", "SGPset_Wall", FvErr_ReadOnly)});
  options.traceCalls = true;
  InProcessHost host(b.Build(), options);
  ConfigFile file(WallConfiguration());
  Choose(host, file.path());
  RunMenu();
  std::set<std::string> operations;
  for (const auto& call : Events(host.Transcript(), "call")) {
    operations.insert(call.value("op", ""));
    if (call.value("op", "") != "DeletePropertyGroup" || call.value("subject", "") != "SGPset_Wall") {
      EXPECT_EQ(call.value("result", -1), 0) << call.dump();
    }
  }
  EXPECT_THAT(operations, testing::IsSupersetOf({"GetElemList", "GetElementHeader", "GetElementPropertyDefinitions",
                                                 "ImportClassifications", "ImportProperties", "WriteReport"}));
  for (const auto& line : Events(host.Transcript(), "report")) EXPECT_EQ(line.value("dialog", true), false) << line.dump();
}

TEST(ImportRun, WithoutTheExpressionSnapshotTheExpressionRestoreIsNotRun) {
  // Step 1 is the first to list the definitions.
  InProcessHost host(WallProject().Build(), Options({Fail("GetPropertyDefinitions", FvErr_General, 1)}));
  ConfigFile file(WallConfiguration());
  Choose(host, file.path());
  RunMenu();
  EXPECT_THAT(CommandNames(host), Not(Contains("Import Expressions")));
  EXPECT_THAT(CommandNames(host), Contains("Import Property Values"));
  ASSERT_EQ(Alerts(host).size(), 1u);
  EXPECT_EQ(Alerts(host)[0].message,
            "IFC-SG Classifications and Properties are Imported Successfully!\nExpressions and Option Sets are not "
            "retained! Please check Session Report for details.");
}

TEST(ImportRun, UndoingEveryStepGivesTheProjectBack) {
  InProcessHost host(WallProject().Build());
  const fvhost::Project before = host.project();
  ConfigFile file(WallConfiguration());
  Choose(host, file.path());
  RunMenu();
  const auto steps = host.host().UndoStepNames().size();
  ASSERT_GE(steps, 2u);
  for (std::size_t i = 0; i < steps; ++i) ASSERT_TRUE(host.host().Undo());
  EXPECT_TRUE(host.project() == before);
}

TEST(ImportRun, CancelShowsTheFailureAndTheGroupsStayRemoved) {
  InProcessHost host(WallProject().Build());
  Cancel(host);
  RunMenu();
  EXPECT_THAT(GroupNames(host.project()), ElementsAre("Office"));
  const auto alerts = Alerts(host);
  ASSERT_EQ(alerts.size(), 1u);
  EXPECT_EQ(alerts[0].kind, -1);
  EXPECT_EQ(alerts[0].title, "Import Failed!");
  EXPECT_EQ(alerts[0].message, failureMessage);
  // Nothing was imported, so nothing is restored.
  EXPECT_THAT(CommandNames(host), ElementsAre("Delete Property Groups", "Import Properties and Classifications"));
  ASSERT_EQ(host.host().UndoStepNames().front(), "Delete Property Groups");
}

TEST(ImportRun, GroupsThatCannotBeListedEndTheRunBeforeTheDialog) {
  InProcessHost host(WallProject().Build(), Options({Fail("GetPropertyGroups", FvErr_General)}));
  ConfigFile file(WallConfiguration());
  Choose(host, file.path());
  RunMenu();
  EXPECT_THAT(Events(host.Transcript(), "dialog"), IsEmpty());
  EXPECT_THAT(CommandNames(host), Not(Contains("Import Properties and Classifications")));
  EXPECT_THAT(host.Report(), Contains("Removing Property: GetPropertyGroups failed with error code: " +
                                      Code(FvErr_General)));
  const auto alerts = Alerts(host);
  ASSERT_EQ(alerts.size(), 1u);
  EXPECT_EQ(alerts[0].title, "Import Failed!");
}

TEST(ImportRun, AFailedImportAfterAGroupStayedIsStillShownAsAFailure) {
  InProcessHost host(WallProject().Build(), Options({FailFor("DeletePropertyGroup", "SGPset_Wall", FvErr_ReadOnly),
                                                     Fail("ImportProperties", FvErr_NotOnSchema)}));
  ConfigFile file(WallConfiguration());
  Choose(host, file.path());
  RunMenu();
  const auto alerts = Alerts(host);
  ASSERT_EQ(alerts.size(), 1u);
  EXPECT_EQ(alerts[0].title, "Import Failed!");
  EXPECT_EQ(alerts[0].message, failureMessage);
}

TEST(ImportRun, APropertyImportFailureStillRunsTheRestoresAndShowsTheFailure) {
  InProcessHost host(WallProject().Build(), Options({Fail("ImportProperties", FvErr_NotOnSchema)}));
  ConfigFile file(WallConfiguration());
  Choose(host, file.path());
  RunMenu();
  EXPECT_THAT(CommandNames(host), Contains("Import Expressions"));
  EXPECT_THAT(CommandNames(host), Contains("Import Property Values"));
  const auto alerts = Alerts(host);
  ASSERT_EQ(alerts.size(), 1u);
  EXPECT_EQ(alerts[0].title, "Import Failed!");
}

TEST(ImportRun, AGroupThatStayedWithEverythingElseKeptIsAPartialSuccess) {
  InProcessHost host(WallProject().Build(), Options({FailFor("DeletePropertyGroup", "SGPset_Wall", FvErr_ReadOnly)}));
  ConfigFile file(WallConfiguration());
  Choose(host, file.path());
  RunMenu();
  const auto alerts = Alerts(host);
  ASSERT_EQ(alerts.size(), 1u);
  EXPECT_EQ(alerts[0].kind, -2);
  EXPECT_EQ(alerts[0].title, "Import Successful!");
  EXPECT_EQ(alerts[0].message,
            "IFC-SG Classifications and Properties are Imported Successfully!\nOne or more Property Groups could not "
            "be deleted! Please check Session Report for details.");
  EXPECT_THAT(host.Report(), Contains("Removing Property: DeletePropertyGroup SGPset_Wall failed with error code: " +
                                      Code(FvErr_ReadOnly)));
}

// A command the host would not run: before, the removal and the value
// restore ended with an alert that sent the user to an empty Session Report.
TEST(ImportRun, ACommandTheHostDoesNotRunHasItsLineAndTheAlertSaysWhatWasLost) {
  ConfigFile file(WallConfiguration());
  const auto failing = [&file](const char* command) {
    fvhost::HostOptions options = Options({FailFor("CallUndoableCommand", command, FvErr_General)});
    options.specialFolder = file.folder();
    return options;
  };
  {
    InProcessHost removal(WallProject().Build(), failing("Delete Property Groups"));
    RunMenu();
    EXPECT_THAT(removal.Report(), ElementsAre("Delete Property Groups: Failed with error code: " + Code(FvErr_General)));
    ASSERT_EQ(Alerts(removal).size(), 1u);
    EXPECT_EQ(Alerts(removal)[0].message, failureMessage);
  }
  InProcessHost restore(WallProject().Build(), failing("Import Property Values"));
  Choose(restore, file.path());
  RunMenu();
  const std::string dataFile = file.folder() + "/IFC+SG_Properties.csv";
  EXPECT_THAT(restore.Report(), ElementsAre("Import Property Values: Failed with error code: " + Code(FvErr_General) +
                                            "; the values are kept in " + dataFile));
  EXPECT_TRUE(std::filesystem::is_regular_file(dataFile));
  ASSERT_EQ(Alerts(restore).size(), 1u);
  EXPECT_EQ(Alerts(restore)[0].message,
            "IFC-SG Classifications and Properties are Imported Successfully!\nProperty Values are not retained! "
            "Please check Session Report for details.");
}

TEST(ImportRun, AnExceptionThatEndsARunLeavesALineAndTheFailureAlert) {
  InProcessHost host;
  quarnel::RunGuarded([] { throw std::length_error("a text past its bound"); });
  EXPECT_THAT(host.Report(),
              ElementsAre("Import IFC+SG Classifications and Properties: Failed with error code: " + Code(FvErr_General)));
  const auto alerts = Alerts(host);
  ASSERT_EQ(alerts.size(), 1u);
  EXPECT_EQ(alerts[0].kind, -1);
  EXPECT_EQ(alerts[0].message, failureMessage);
}

TEST(ImportRun, EveryRunStartsWithItsRunStatusValuesAtZero) {
  InProcessHost host(WallProject().Build());
  ConfigFile file(WallConfiguration());
  Choose(host, file.path());
  // What an earlier run might have left: partial restores would show as a partial success.
  quarnel::deletePropertiesStatus = quarnel::Outcome::Partial;
  quarnel::importExpressionsStatus = quarnel::Outcome::Partial;
  quarnel::importPropertyValuesStatus = quarnel::Outcome::Partial;
  RunMenu();
  const auto alerts = Alerts(host);
  ASSERT_EQ(alerts.size(), 1u);
  EXPECT_EQ(alerts[0].title, "Import Successful");
}

}  // namespace
