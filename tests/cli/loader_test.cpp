// The add-on loader, through the test add-ons built beside this test.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ForvaneHost/Host.hpp"
#include "test_files.hpp"
#include "Vexmire/Vexmire.hpp"
#include "support/host_options.hpp"
#include "support/project_builder.hpp"
#include "support/transcript_events.hpp"

namespace {

using cli_test::AddOnPath;
using fvhost::LoadFailure;
using testing::HasSubstr;
using testing_support::Events;
using testing_support::Quiet;

fvhost::Project ProjectWithScratchGroup() {
  testing_support::ProjectBuilder builder;
  builder.Definition(builder.Group("Scratch"), "Note");
  builder.Definition(builder.Group("Pset_WallCommon"), "FireRating");
  return builder.Build();
}

// ---- Refusals: each distinct, each naming the file, none leaving anything behind ----

class Refusal : public testing::Test {
 protected:
  void ExpectNothingLeft() {
    EXPECT_TRUE(host.addOns().empty());
    EXPECT_TRUE(host.menus().empty());
    EXPECT_EQ(VexmireOpenModuleCount(), modulesBefore);
  }
  fvhost::Host host{Quiet()};
  int modulesBefore = VexmireOpenModuleCount();
};

TEST_F(Refusal, MissingFile) {
  const std::string file = AddOnPath("there_is_no_such_add_on");
  const auto result = host.LoadAddOn(file);
  EXPECT_EQ(result.failure, LoadFailure::FileMissing);
  EXPECT_EQ(result.fault.Text(), file + ": no such file");
  EXPECT_EQ(result.addOn, -1);
  ExpectNothingLeft();
}

TEST_F(Refusal, FolderIsNoFile) {
  const std::string folder = cli_test::BinaryDir() + "/tests/cli/plugins";
  const auto result = host.LoadAddOn(folder);
  EXPECT_EQ(result.failure, LoadFailure::FileMissing);
  EXPECT_EQ(result.fault.Text(), folder + ": not a file");
  ExpectNothingLeft();
}

TEST_F(Refusal, TextFileIsNotALibraryAndSaysWhy) {
  const std::string file = AddOnPath("not_a_library");
  const auto result = host.LoadAddOn(file);
  EXPECT_EQ(result.failure, LoadFailure::NotALibrary);
  EXPECT_THAT(result.fault.Text(), HasSubstr(file + ": not a library: "));
  // The dynamic linker's own reason follows, and names the file again.
  EXPECT_GT(result.fault.Text().size(), (file + ": not a library: ").size());
  ExpectNothingLeft();
}

TEST_F(Refusal, LibraryWithoutTheExports) {
  const std::string file = AddOnPath("no_exports");
  const auto result = host.LoadAddOn(file);
  EXPECT_EQ(result.failure, LoadFailure::ExportMissing);
  EXPECT_EQ(result.fault.Text(), file + ": does not export GetExportedFuncAddrs");
  ExpectNothingLeft();
}

TEST_F(Refusal, AddOnOfAnOlderHostNamesBothVersions) {
  const std::string file = AddOnPath("wrong_version");
  const auto result = host.LoadAddOn(file);
  EXPECT_EQ(result.failure, LoadFailure::VersionMismatch);
  EXPECT_EQ(result.fault.Text(), file + ": built for host version 27, but this host is version 29");
  ExpectNothingLeft();
}

TEST(VersionCheck, AddOnOfANewerHostIsRefusedByAnOlderOne) {
  fvhost::Host host(Quiet({.hostVersion = 27}));
  const std::string file = AddOnPath("good");
  const auto result = host.LoadAddOn(file);
  EXPECT_EQ(result.failure, LoadFailure::VersionMismatch);
  EXPECT_EQ(result.fault.Text(), file + ": built for host version 29, but this host is version 27");
}

TEST(VersionCheck, AddOnBuiltForTheOlderHostLoadsThere) {
  const int modulesBefore = VexmireOpenModuleCount();
  fvhost::Host host(Quiet({.hostVersion = 27}));
  EXPECT_EQ(host.LoadAddOn(AddOnPath("wrong_version")).failure, LoadFailure::None);
  ASSERT_EQ(host.addOns().size(), 1u);
  EXPECT_EQ(host.addOns()[0].version, FvVersionWord(27));

  // It leaves its resource module open at unload; the host closes it, so
  // neither a handle nor a block of the add-on's is left.
  host.UnloadAddOns();
  EXPECT_EQ(VexmireOpenModuleCount(), modulesBefore);
  const auto memory = Events(host.transcript().Lines(), "memory");
  ASSERT_EQ(memory.size(), 1u);
  EXPECT_EQ(memory[0]["liveBlocks"], 0);
}

// The handshake's refusals, each by a test add-on broken in one way. None
// leaves a menu behind, also the ones that registered theirs before failing.
struct HandshakeCase {
  const char* addOn;
  LoadFailure failure;
  const char* message;  // after "FILE: "
};

class HandshakeRefusal : public Refusal, public testing::WithParamInterface<HandshakeCase> {};

TEST_P(HandshakeRefusal, IsNamedAndSaysWhatWentWrong) {
  const std::string file = AddOnPath(GetParam().addOn);
  const auto result = host.LoadAddOn(file);
  EXPECT_EQ(result.failure, GetParam().failure);
  EXPECT_EQ(result.fault.Text(), file + ": " + GetParam().message);
  EXPECT_EQ(result.fault.place.file, file);
  ExpectNothingLeft();
  EXPECT_FALSE(host.RunMenuItem("Test Menu/Say Hello"));
}

INSTANTIATE_TEST_SUITE_P(
    EachCause, HandshakeRefusal,
    testing::Values(
        HandshakeCase{"leaves_table_unzeroed", LoadFailure::TableNotZeroed,
                      "its exported entry table has unused bytes that are not zero"},
        HandshakeCase{"lacks_entry", LoadFailure::EntryMissing, "its exported entry table lacks an entry"},
        HandshakeCase{"refuses_table", LoadFailure::TableRefused, "SetImportedFuncAddrs answered 1"},
        HandshakeCase{"declines", LoadFailure::Declined, "the add-on declined to load (DescribeAddOn answered kind 0)"},
        HandshakeCase{"register_fails", LoadFailure::RegisterFailed, "RegisterAddOn answered 0x81060001 (General)"},
        HandshakeCase{"start_fails", LoadFailure::StartFailed, "StartAddOn answered 0x81060001 (General)"}),
    [](const testing::TestParamInfo<HandshakeCase>& c) { return std::string(c.param.addOn); });

TEST_F(Refusal, SameFileTwice) {
  ASSERT_EQ(host.LoadAddOn(AddOnPath("good")).failure, LoadFailure::None);
  const auto second = host.LoadAddOn(AddOnPath("good"));
  EXPECT_EQ(second.failure, LoadFailure::AlreadyLoaded);
  EXPECT_THAT(second.fault.Text(), HasSubstr("already loaded"));
  // The first one is untouched: still one add-on with its menu, and it runs.
  EXPECT_EQ(host.addOns().size(), 1u);
  EXPECT_EQ(host.menus().size(), 1u);
  EXPECT_TRUE(host.RunMenuItem("Test Menu/Say Hello"));
}

// ---- The good add-on: load, events, menu run, unload ----

class GoodAddOn : public testing::Test {
 protected:
  void SetUp() override {
    host.SetProject(ProjectWithScratchGroup());
    const auto result = host.LoadAddOn(file);
    ASSERT_EQ(result.failure, LoadFailure::None) << result.fault.Text();
    ASSERT_EQ(result.addOn, 0);
    owner = host.addOns()[0].owner;
  }
  const std::vector<std::string>& Lines() { return host.transcript().Lines(); }

  std::string file = AddOnPath("good");
  fvhost::Host host{Quiet()};
  Corbane::OwnerId owner = Corbane::HostOwner;
};

TEST_F(GoodAddOn, IsDescribedRegisteredAndStarted) {
  const fvhost::AddOn& addOn = host.addOns()[0];
  EXPECT_EQ(addOn.name, "Test Add-On");
  EXPECT_EQ(addOn.description, "Says hello, for the loader's tests");
  EXPECT_EQ(addOn.kind, 1);
  EXPECT_TRUE(addOn.started);
  EXPECT_NE(addOn.token, 0u);
  EXPECT_NE(addOn.owner, Corbane::HostOwner);

  const auto addOnEvents = Events(Lines(), "addon");
  ASSERT_EQ(addOnEvents.size(), 1u);
  EXPECT_EQ(addOnEvents[0]["file"], file);
  EXPECT_EQ(addOnEvents[0]["name"], "Test Add-On");
  EXPECT_EQ(addOnEvents[0]["description"], "Says hello, for the loader's tests");
  EXPECT_EQ(addOnEvents[0]["kind"], 1);
  EXPECT_EQ(addOnEvents[0]["version"], 29);

  const auto menuEvents = Events(Lines(), "menu");
  ASSERT_EQ(menuEvents.size(), 2u);
  EXPECT_EQ(menuEvents[0]["title"], "Test Menu");
  EXPECT_EQ(menuEvents[0]["item"], "Say Hello");
  EXPECT_EQ(menuEvents[0]["icon"], "10002");
  EXPECT_EQ(menuEvents[1]["item"], "Pick File");
  EXPECT_EQ(menuEvents[1]["icon"], "");
}

TEST_F(GoodAddOn, HoldsItsOwnBlocksWhileStarted) {
  // The greeting it keeps from start to release is charged to it, not to the host.
  EXPECT_GE(Corbane::OwnerStats(owner).liveBlocks, 1);
}

TEST_F(GoodAddOn, MenuItemRunsItsHandlerUnderTheAddOn) {
  ASSERT_TRUE(host.RunMenuItem("Test Menu/Say Hello"));
  EXPECT_THAT(host.ReportLines(), testing::ElementsAre("Say Hello: 0"));
  EXPECT_THAT(host.UndoStepNames(), testing::ElementsAre("Say Hello"));
  ASSERT_EQ(host.project().groups.size(), 1u);
  EXPECT_EQ(host.project().groups[0].name, "Pset_WallCommon");

  const auto memory = Events(Lines(), "memory");
  ASSERT_EQ(memory.size(), 1u);
  EXPECT_EQ(memory[0]["owner"], "good");
  EXPECT_GE(memory[0]["liveBlocks"].get<long>(), 1);
  EXPECT_GE(memory[0]["peakBytes"].get<long>(), memory[0]["liveBytes"].get<long>());
}

TEST_F(GoodAddOn, MenuItemsAreFoundByBothTexts) {
  EXPECT_FALSE(host.RunMenuItem("Test Menu/Say Goodbye"));
  EXPECT_FALSE(host.RunMenuItem("Other Menu/Say Hello"));
  EXPECT_FALSE(host.RunMenuItem("Test Menu"));
  EXPECT_FALSE(host.RunMenuItem("Test Menu/Say Hello ^E3 ^10002"));
  EXPECT_TRUE(host.ReportLines().empty());
  EXPECT_TRUE(Events(Lines(), "memory").empty());
}

TEST_F(GoodAddOn, ItemIndexReachesTheHandler) {
  host.QueueDialogAnswer(fvhost::DialogAnswer{true, {}});
  ASSERT_TRUE(host.RunMenuItem("Test Menu/Pick File"));
  EXPECT_THAT(host.ReportLines(), testing::ElementsAre("Pick File: cancelled (0)"));
}

TEST_F(GoodAddOn, UnloadReleasesClosesAndAccountsForEveryBlock) {
  const int modulesWhileLoaded = VexmireOpenModuleCount();
  host.UnloadAddOns();
  EXPECT_TRUE(host.addOns().empty());
  EXPECT_TRUE(host.menus().empty());
  EXPECT_FALSE(host.RunMenuItem("Test Menu/Say Hello"));
  EXPECT_LT(VexmireOpenModuleCount(), modulesWhileLoaded);

  const auto memory = Events(Lines(), "memory");
  ASSERT_EQ(memory.size(), 1u);
  EXPECT_EQ(memory[0]["owner"], "good");
  EXPECT_EQ(memory[0]["liveBlocks"], 0);
  EXPECT_EQ(memory[0]["liveBytes"], 0);
  EXPECT_GT(memory[0]["peakBytes"].get<long>(), 0);
  EXPECT_EQ(Corbane::OwnerStats(owner).liveBlocks, 0);
  // Released first, so the add-on's unload finds no connection left open.
  for (const auto& debug : Events(Lines(), "debug"))
    EXPECT_THAT(debug["text"].get<std::string>(), testing::Not(HasSubstr("Abnormal")));
}

TEST_F(GoodAddOn, UnloadTwiceIsHarmless) {
  host.UnloadAddOns();
  host.UnloadAddOns();
  EXPECT_EQ(Events(Lines(), "memory").size(), 1u);
}

TEST(Loader, WithoutRegisterMenuTheAddOnIsRefusedWithTheHostsAnswer) {
  fvhost::HostOptions options = Quiet();
  options.without = {"RegisterMenu"};
  fvhost::Host host(options);
  const auto result = host.LoadAddOn(AddOnPath("good"));
  EXPECT_EQ(result.failure, LoadFailure::RegisterFailed);
  EXPECT_THAT(result.fault.Text(), HasSubstr("RegisterAddOn answered 0x81060387 (MissingOperation)"));
  EXPECT_TRUE(host.addOns().empty());
}

}  // namespace
