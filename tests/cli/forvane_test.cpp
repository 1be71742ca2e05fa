// The forvane executable, run as a person or a script would run it.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "Forvane/Errors.hpp"
#include "ForvaneHost/ProjectFile.hpp"
#include "run_forvane.hpp"
#include "support/scratch_folder.hpp"
#include "support/transcript_events.hpp"
#include "test_files.hpp"

namespace {

using cli_test::AddOnPath;
using cli_test::RunForvane;
using testing::HasSubstr;
using testing_support::Events;
using testing_support::Lines;
using testing_support::ReadText;
using testing::Not;

constexpr const char* kProject = R"({"format": "forvane-project", "version": 1,
  "classificationSystems": [{"name": "IFC+SG", "version": "1",
    "items": [{"id": "IfcWall", "name": "Wall", "children": []}]}],
  "propertyGroups": [
    {"name": "Scratch", "definitions": [{"name": "Note", "valueType": "string"}]},
    {"name": "Pset_WallCommon", "definitions": [
      {"name": "FireRating", "valueType": "string", "availableFor": ["IfcWall"]},
      {"name": "Status", "valueType": "string", "collectionType": "multipleChoice", "options": ["NEW", "EXISTING"]}]}],
  "elements": [{"guid": "3F2504E0-4F89-11D3-9A0C-0305E82C3301", "type": "Wall", "classifications": ["IfcWall"],
    "values": [{"group": "Pset_WallCommon", "property": "FireRating", "value": "2HR"}]}]})";

fvhost::Project Load(const std::string& path) {
  std::string error;
  auto project = fvhost::LoadProjectFile(path, error);
  EXPECT_TRUE(project) << error;
  return project ? *project : fvhost::Project{};
}

bool HasGroup(const fvhost::Project& project, const std::string& name) {
  for (const auto& group : project.groups)
    if (group.name == name) return true;
  return false;
}

class Forvane : public testing::Test {
 protected:
  // The project, the good test add-on, and a quiet data folder of the test's own.
  std::vector<std::string> With(std::vector<std::string> arguments) {
    std::vector<std::string> all{project, "--addon", AddOnPath("good"), "--special-folder", folder.File("data")};
    all.insert(all.end(), arguments.begin(), arguments.end());
    return all;
  }

  testing_support::ScratchFolder folder;
  std::string project = folder.Write("project.json", kProject);
  const std::string sayHello = "Test Menu/Say Hello";
  const std::string pickFile = "Test Menu/Pick File";
};

// ---- Exit statuses ----

TEST_F(Forvane, BadUsageIsStatusTwo) {
  EXPECT_EQ(RunForvane({}).status, 2);
  EXPECT_EQ(RunForvane({project, "--host-version", "30"}).status, 2);
  const auto badRule = RunForvane(With({"--fail", "SetProperty#0=General"}));
  EXPECT_EQ(badRule.status, 2);
  EXPECT_THAT(badRule.err, HasSubstr("--fail SetProperty#0=General"));
  const auto badCall = RunForvane(With({"--fail-call", "1=Nothing"}));
  EXPECT_EQ(badCall.status, 2);
  EXPECT_THAT(badCall.err, HasSubstr("\"Nothing\" is not an error name or number"));
  const auto badSlot = RunForvane(With({"--without", "Teleport"}));
  EXPECT_EQ(badSlot.status, 2);
  EXPECT_THAT(badSlot.err, HasSubstr("\"Teleport\" is not a host operation"));
}

TEST_F(Forvane, ProjectThatDoesNotLoadIsStatusTwoWithItsMessage) {
  const std::string broken = folder.Write("broken.json", "{\"format\": \"forvane-project\",\n  \"version\": 1,,}");
  const auto outcome = RunForvane({broken, "--addon", AddOnPath("good")});
  EXPECT_EQ(outcome.status, 2);
  EXPECT_THAT(outcome.err, HasSubstr(broken + ":"));
  EXPECT_EQ(RunForvane({folder.File("absent.json")}).status, 2);
}

TEST_F(Forvane, AddOnThatDoesNotLoadIsStatusThree) {
  const std::string missing = folder.File("missing.so");
  const auto outcome = RunForvane({project, "--addon", missing});
  EXPECT_EQ(outcome.status, 3);
  EXPECT_THAT(outcome.err, HasSubstr(missing));

  const auto wrong = RunForvane({project, "--addon", AddOnPath("good"), "--addon", AddOnPath("wrong_version")});
  EXPECT_EQ(wrong.status, 3);
  EXPECT_THAT(wrong.err, HasSubstr(AddOnPath("wrong_version") + ": built for host version 27, but this host is version 29"));

  EXPECT_EQ(RunForvane({project, "--addon", AddOnPath("not_a_library")}).status, 3);
}

TEST_F(Forvane, MissingMenuItemIsStatusTwoAndNothingRuns) {
  const std::string saved = folder.File("saved.json");
  const auto outcome = RunForvane(With({"--run", sayHello, "--run", "Test Menu/Say Goodbye", "--save", saved}));
  EXPECT_EQ(outcome.status, 2);
  EXPECT_THAT(outcome.err, HasSubstr("Test Menu/Say Goodbye"));
  EXPECT_THAT(outcome.out, Not(HasSubstr("Say Hello: ")));
  EXPECT_FALSE(std::filesystem::exists(saved));
}

TEST_F(Forvane, TooFewUndoStepsIsStatusTwo) {
  const auto outcome = RunForvane(With({"--run", sayHello, "--undo", "2"}));
  EXPECT_EQ(outcome.status, 2);
  EXPECT_THAT(outcome.err, HasSubstr("only 1 undo steps"));
}

TEST_F(Forvane, FailedSaveIsStatusOne) {
  const auto outcome = RunForvane(With({"--save", folder.File("no/such/folder/out.json")}));
  EXPECT_EQ(outcome.status, 1);
  EXPECT_THAT(outcome.err, HasSubstr("--save"));
}

// ---- What a run does to the project ----

TEST_F(Forvane, SavedProjectReadsBackAsTheSameModel) {
  const std::string first = folder.File("first.json");
  const std::string second = folder.File("second.json");
  ASSERT_EQ(RunForvane(With({"--save", first})).status, 0);
  ASSERT_EQ(RunForvane({first, "--addon", AddOnPath("good"), "--save", second}).status, 0);
  EXPECT_TRUE(Load(first) == Load(second));
  EXPECT_EQ(ReadText(first), ReadText(second));
}

TEST_F(Forvane, RunChangesTheProjectAndUndoTakesItBack) {
  const std::string opened = folder.File("opened.json");
  ASSERT_EQ(RunForvane(With({"--save", opened})).status, 0);

  const std::string changed = folder.File("changed.json");
  ASSERT_EQ(RunForvane({opened, "--addon", AddOnPath("good"), "--run", sayHello, "--save", changed}).status, 0);
  EXPECT_FALSE(HasGroup(Load(changed), "Scratch"));
  EXPECT_TRUE(HasGroup(Load(changed), "Pset_WallCommon"));

  const std::string undone = folder.File("undone.json");
  ASSERT_EQ(RunForvane({opened, "--addon", AddOnPath("good"), "--run", sayHello, "--undo", "1", "--save", undone}).status, 0);
  EXPECT_TRUE(Load(undone) == Load(opened));
}

// ---- Reports and transcripts ----

TEST_F(Forvane, SessionReportIsPrintedAndWritten) {
  const std::string report = folder.File("report.txt");
  const auto outcome = RunForvane(With({"--run", sayHello, "--report", report}));
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_THAT(outcome.out, HasSubstr("Session Report:\nSay Hello: 0\n"));
  EXPECT_EQ(ReadText(report), "Say Hello: 0\n");

  EXPECT_THAT(RunForvane(With({})).out, HasSubstr("Session Report:\n(empty)\n"));
  EXPECT_THAT(RunForvane(With({"--run", sayHello, "--quiet"})).out, Not(HasSubstr("Session Report:")));
}

TEST_F(Forvane, TranscriptHoldsTheRunsEventsInOrder) {
  const std::string transcript = folder.File("transcript.jsonl");
  ASSERT_EQ(RunForvane(With({"--run", sayHello, "--transcript", transcript, "--quiet"})).status, 0);
  const auto lines = Lines(ReadText(transcript));
  std::vector<std::string> order;
  for (const auto& line : lines) order.push_back(nlohmann::json::parse(line)["event"]);
  EXPECT_THAT(order, testing::IsSupersetOf({"addon", "menu", "command", "report", "memory"}));

  const auto command = Events(lines, "command");
  ASSERT_EQ(command.size(), 1u);
  EXPECT_EQ(command[0]["name"], "Say Hello");
  EXPECT_EQ(command[0]["result"], 0);
  EXPECT_EQ(command[0]["undoStep"], true);
  EXPECT_EQ(Events(lines, "report")[0]["text"], "Say Hello: 0");

  const auto memory = Events(lines, "memory");
  ASSERT_EQ(memory.size(), 2u);  // after the menu command, and at unload
  EXPECT_EQ(memory[1]["owner"], "good");
  EXPECT_EQ(memory[1]["liveBlocks"], 0);
  EXPECT_EQ(order.back(), "memory");
}

// A report line that holds a line feed (here, in a chosen file's name) stays
// one line of the file; before, it was split in two.
TEST_F(Forvane, ReportFileKeepsOneLinePerEntryWithLineBreaksEscaped) {
  const std::string chosen = folder.Write("two\nlines\\and\rmore", "");
  const std::string report = folder.File("report.txt");
  const auto outcome = RunForvane(With({"--run", pickFile, "--choose", chosen, "--report", report, "--quiet"}));
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(ReadText(report), "Pick File: " + folder.File("two\\nlines\\\\and\\rmore") + " (1)\n");
}

TEST_F(Forvane, DialogAnswersAreTakenInCommandLineOrder) {
  const std::string chosen = folder.Write("chosen.xml", "<Configuration/>");
  const std::string transcript = folder.File("transcript.jsonl");
  const auto outcome = RunForvane(With({"--run", pickFile, "--run", pickFile, "--choose", chosen, "--cancel",
                                        "--transcript", transcript, "--quiet"}));
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  const auto lines = Lines(ReadText(transcript));
  const auto reports = Events(lines, "report");
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[0]["text"], "Pick File: " + chosen + " (1)");
  EXPECT_EQ(reports[1]["text"], "Pick File: cancelled (0)");
  const auto dialogs = Events(lines, "dialog");
  ASSERT_EQ(dialogs.size(), 2u);
  EXPECT_EQ(dialogs[0]["answer"], chosen);
  EXPECT_TRUE(dialogs[1]["answer"].is_null());
}

// ---- Fault injection and the entry table ----

TEST_F(Forvane, FaultRulesReachTheAddOn) {
  const auto bySubject = RunForvane(With({"--run", sayHello, "--fail", "CallUndoableCommand@Say Hello=Cancelled"}));
  EXPECT_EQ(bySubject.status, 0);  // the add-on's failure is its own to report
  EXPECT_THAT(bySubject.out, HasSubstr("Say Hello: " + std::to_string(FvErr_Cancelled)));

  const auto otherSubject = RunForvane(With({"--run", sayHello, "--fail", "CallUndoableCommand@Say Goodbye=Cancelled"}));
  EXPECT_THAT(otherSubject.out, HasSubstr("Say Hello: 0"));

  // Calls are counted from the add-on's load: RegisterMenu, InstallMenuHandler, then the command.
  const auto atLoad = RunForvane(With({"--run", sayHello, "--fail-call", "1=BadParameter"}));
  EXPECT_EQ(atLoad.status, 3);
  EXPECT_THAT(atLoad.err, HasSubstr("RegisterAddOn answered 0x81060003 (BadParameter)"));
  const auto byCall = RunForvane(With({"--run", sayHello, "--fail-call", "3=BadParameter"}));
  EXPECT_EQ(byCall.status, 0);
  EXPECT_THAT(byCall.out, HasSubstr("Say Hello: " + std::to_string(FvErr_BadParameter)));

  const auto without = RunForvane(With({"--run", sayHello, "--without", "CallUndoableCommand"}));
  EXPECT_THAT(without.out, HasSubstr("Say Hello: " + std::to_string(FvErr_MissingOperation)));
}

TEST_F(Forvane, TraceCallsAddsACallEventPerOperationCall) {
  const std::string transcript = folder.File("transcript.jsonl");
  ASSERT_EQ(RunForvane(With({"--run", sayHello, "--trace-calls", "--transcript", transcript, "--quiet"})).status, 0);
  const auto calls = Events(Lines(ReadText(transcript)), "call");
  std::vector<std::string> operations;
  for (const auto& call : calls) operations.push_back(call["op"]);
  EXPECT_THAT(operations, testing::IsSupersetOf({"CallUndoableCommand", "GetPropertyGroups", "DeletePropertyGroup",
                                                 "WriteReport"}));
  EXPECT_TRUE(Events(Lines(ReadText(folder.File("transcript.jsonl"))), "call").size() >= 4u);
  const std::string untraced = folder.File("untraced.jsonl");
  ASSERT_EQ(RunForvane(With({"--run", sayHello, "--transcript", untraced, "--quiet"})).status, 0);
  EXPECT_TRUE(Events(Lines(ReadText(untraced)), "call").empty());
}

// ---- Listings ----

TEST_F(Forvane, ListMenusShowsItemsAndIcons) {
  const auto outcome = RunForvane(With({"--list-menus", "--quiet"}));
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.out, "Test Menu\n  Say Hello  (icon 10002)\n  Pick File\n");
}

TEST_F(Forvane, ListShowsTheProject) {
  const auto outcome = RunForvane(With({"--list", "--quiet"}));
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_THAT(outcome.out, HasSubstr("  IFC+SG (version 1)\n    IfcWall  Wall\n"));
  EXPECT_THAT(outcome.out, HasSubstr("  Pset_WallCommon\n    FireRating: string, default, single, custom"));
  EXPECT_THAT(outcome.out, HasSubstr("available for IfcWall\n"));
  EXPECT_THAT(outcome.out, HasSubstr("    Status: string, default, multipleChoice, custom; options \"NEW\", \"EXISTING\""));
  EXPECT_THAT(outcome.out, HasSubstr("3F2504E0-4F89-11D3-9A0C-0305E82C3301  Wall [IfcWall]\n"
                                     "    Pset_WallCommon/FireRating = 2HR\n"));
}

TEST_F(Forvane, DiffNamesWhatChanged) {
  const std::string before = folder.File("before.json");
  const std::string after = folder.File("after.json");
  ASSERT_EQ(RunForvane(With({"--save", before})).status, 0);
  ASSERT_EQ(RunForvane({before, "--addon", AddOnPath("good"), "--run", sayHello, "--save", after}).status, 0);

  const auto changed = RunForvane({"diff", before, after});
  EXPECT_EQ(changed.status, 0);
  EXPECT_EQ(changed.out,
            "Scratch: gone, with its 1 definition\n  - Note\n"
            "Pset_WallCommon: 2 definitions kept, unchanged\n  kept: 1 of 1 option sets, 1 of 1 element values\n");
  EXPECT_EQ(RunForvane({"diff", before, before}).out, "(no changes)\n");
  EXPECT_EQ(RunForvane({"diff", before, folder.File("absent.json")}).status, 2);
  EXPECT_EQ(RunForvane({"diff", before}).status, 2);
}

// What a group kept and what it did not, each with the reason the two
// projects show: a definition that went, a reference to it, a changed option
// list or value type, a value of several options, a linked copy, a cleared
// value that came back as an empty text.
TEST_F(Forvane, DiffAccountsForWhatEachGroupKept) {
  const std::string before = folder.Write("before.json", R"json({"format": "forvane-project", "version": 1, "classificationSystems": [],
 "propertyGroups": [
  {"name": "Pset_Test", "definitions": [
    {"name": "Ref", "collectionType": "single", "valueType": "string", "measureType": "default",
     "default": {"expressions": ["CONCAT(\"x\", ###Property:Pset_Test/Gone###)"]}},
    {"name": "Gone", "collectionType": "single", "valueType": "string", "measureType": "default", "default": {"value": "g"}},
    {"name": "Kind", "collectionType": "singleChoice", "valueType": "string", "measureType": "default",
     "options": ["A", "B"], "default": {"choice": "A"}},
    {"name": "Size", "collectionType": "single", "valueType": "real", "measureType": "length"},
    {"name": "Tags", "collectionType": "multipleChoice", "valueType": "string", "measureType": "default", "options": ["X", "Y"]}]},
  {"name": "Other", "definitions": [
    {"name": "Note", "collectionType": "single", "valueType": "string", "measureType": "default"}]}],
 "elements": [
  {"guid": "11111111-1111-1111-1111-111111111111", "type": "Wall", "classifications": [], "link": null, "values": [
    {"group": "Pset_Test", "property": "Kind", "value": "B"},
    {"group": "Pset_Test", "property": "Size", "value": 1.5},
    {"group": "Pset_Test", "property": "Tags", "value": ["X"]},
    {"group": "Pset_Test", "property": "Gone", "value": "v"},
    {"group": "Other", "property": "Note", "value": "n"}]},
  {"guid": "22222222-2222-2222-2222-222222222222", "type": "Wall", "classifications": [],
   "link": "11111111-1111-1111-1111-111111111111", "values": [
    {"group": "Pset_Test", "property": "Ref", "value": "r"},
    {"group": "Other", "property": "Note", "status": "null"}]}]})json");
  const std::string after = folder.Write("after.json", R"json({"format": "forvane-project", "version": 1, "classificationSystems": [],
 "propertyGroups": [
  {"name": "Pset_Test", "definitions": [
    {"name": "Ref", "collectionType": "single", "valueType": "string", "measureType": "default"},
    {"name": "Kind", "collectionType": "singleChoice", "valueType": "string", "measureType": "default",
     "options": ["A", "C"], "default": {"choice": "A"}},
    {"name": "Size", "collectionType": "single", "valueType": "integer", "measureType": "default"},
    {"name": "Tags", "collectionType": "multipleChoice", "valueType": "string", "measureType": "default", "options": ["X", "Y"]},
    {"name": "Added", "collectionType": "single", "valueType": "boolean", "measureType": "default"}]},
  {"name": "Other", "definitions": [
    {"name": "Note", "collectionType": "single", "valueType": "string", "measureType": "default"}]}],
 "elements": [
  {"guid": "11111111-1111-1111-1111-111111111111", "type": "Wall", "classifications": [], "link": null, "values": [
    {"group": "Other", "property": "Note", "value": "n"}]},
  {"guid": "22222222-2222-2222-2222-222222222222", "type": "Wall", "classifications": [],
   "link": "11111111-1111-1111-1111-111111111111", "values": [
    {"group": "Other", "property": "Note", "value": ""}]}]})json");

  const auto account = RunForvane({"diff", before, after});
  EXPECT_EQ(account.status, 0);
  const std::string e1 = "11111111-1111-1111-1111-111111111111", e2 = "22222222-2222-2222-2222-222222222222";
  EXPECT_EQ(account.out,
            "Pset_Test: 4 definitions kept, 1 added, 1 removed\n"
            "  - Gone: gone, and with it its default and 1 element value\n"
            "  ~ Kind: string, default, singleChoice, custom; options \"A\", \"B\"; available for every element\n"
            "      now string, default, singleChoice, custom; options \"A\", \"C\"; available for every element\n"
            "  ~ Size: real, length, single, custom; available for every element\n"
            "      now integer, default, single, custom; available for every element\n"
            "  + Added: boolean, default, single, custom; no default; available for every element\n"
            "  kept: 0 of 1 expressions, 1 of 2 option sets, 1 of 2 defaults, 0 of 5 element values\n"
            "  not kept:\n"
            "    expression of Ref, CONCAT(\"x\", ###Property:Pset_Test/Gone###): it refers to Pset_Test/Gone, which is gone\n"
            "    value of Ref on " + e2 + ", \"r\": the element is a linked copy; now not set\n"
            "    option set of Kind, \"A\", \"B\": now \"A\", \"C\"\n"
            "    value of Kind on " + e1 + ", \"B\": the option \"B\" is gone; now not set\n"
            "    value of Size on " + e1 + ", \"1,500\": the value type changed; now not set\n"
            "    value of Tags on " + e1 + ", \"X\": now not set\n"
            "Other: 1 definition kept\n"
            "  kept: 1 of 2 element values\n"
            "  not kept:\n"
            "    value of Note on " + e2 + ", cleared: now \"\"\n");
}

// ---- The add-ons folder of the install ----

class InstalledForvane : public Forvane {
 protected:
  // A copy of the install: bin/forvane and lib/forvane/add-ons/ with the given add-ons.
  std::string Install(const std::vector<std::string>& addOns) {
    namespace fs = std::filesystem;
    const fs::path root = folder.File("install");
    fs::create_directories(root / "bin");
    fs::create_directories(root / "lib/forvane/add-ons");
    fs::copy_file(cli_test::ForvanePath(), root / "bin/forvane");
    for (const auto& name : addOns) fs::copy_file(AddOnPath(name), root / "lib/forvane/add-ons" / (name + ".so"));
    return (root / "bin/forvane").string();
  }
};

TEST_F(InstalledForvane, LoadsTheFolderAndPassesOverOtherHostVersions) {
  const std::string forvane = Install({"good", "wrong_version"});
  const auto v29 = cli_test::Run(forvane, {project, "--list-menus"});
  EXPECT_EQ(v29.status, 0) << v29.err;
  EXPECT_THAT(v29.out, HasSubstr("Test Menu\n  Say Hello  (icon 10002)\n"));
  EXPECT_THAT(v29.err, HasSubstr("passed over"));
  EXPECT_THAT(v29.err, HasSubstr("wrong_version.so: built for host version 27, but this host is version 29"));

  const auto v27 = cli_test::Run(forvane, {project, "--list-menus", "--host-version", "27"});
  EXPECT_EQ(v27.status, 0) << v27.err;
  EXPECT_THAT(v27.out, HasSubstr("Test Menu\n"));
  EXPECT_THAT(v27.err, HasSubstr("good.so: built for host version 29, but this host is version 27"));
}

TEST_F(InstalledForvane, BrokenAddOnInTheFolderIsStatusThree) {
  const std::string forvane = Install({"good", "declines"});
  const auto outcome = cli_test::Run(forvane, {project});
  EXPECT_EQ(outcome.status, 3);
  EXPECT_THAT(outcome.err, HasSubstr("declines.so: the add-on declined"));
}

}  // namespace
