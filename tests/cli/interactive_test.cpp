// forvane with a person at the terminal: the example project opened, the
// plug-in's command run through its file dialog and alert, undone, redone,
// run again, saved; and what a person may do wrong on the way.

#include <cstdlib>
#include <filesystem>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "run_forvane.hpp"
#include "support/scratch_folder.hpp"
#include "test_files.hpp"
#include "interactive_test.hpp"

namespace cli_test {
namespace {

using testing_support::ReadText;
using testing_support::ScratchFolder;

const std::string kMenuLine = "1) RIRUDAD X > Import IFC+SG Classifications and Properties... [icon 10002]";

// A copy of the example project in a folder of its own, where forvane keeps
// its data file too, so that nothing outside the folder is touched.
struct Workplace {
  ScratchFolder folder;
  std::string project = folder.Write("project.json", ReadText(ExampleProject()));
  std::vector<std::string> Arguments(std::vector<std::string> more = {}) const {
    more.insert(more.begin(), {"project.json", "--special-folder", folder.File("data")});
    return more;
  }
};

// The run of the command as the person does it, up to the alert's Enter.
void RunTheImport(PseudoTerminal& terminal, const std::string& config) {
  ASSERT_TRUE(terminal.WaitFor(kMenuLine)) << terminal.Unread();
  ASSERT_TRUE(terminal.WaitFor("Choose 1, "));
  terminal.Type("1");
  ASSERT_TRUE(terminal.WaitFor("Files of type: IFC+SG Config file (*.xml)")) << terminal.Unread();
  ASSERT_TRUE(terminal.WaitFor("Path: "));
  terminal.Type(config);
  ASSERT_TRUE(terminal.WaitFor("Import Successful!")) << terminal.Unread();
  ASSERT_TRUE(terminal.WaitFor("Press Enter to continue. "));
  terminal.Type("");
  ASSERT_TRUE(terminal.WaitFor("New in the Session Report:")) << terminal.Unread();
}

// What one scripted run of the command saves, to compare the session's result with.
std::string ScriptedResult(const Workplace& place) {
  const std::string saved = place.folder.File("scripted.json");
  const Outcome run = RunForvane({ExampleProject(), "--run", kItem, "--choose", ExampleConfig(), "--save", saved,
                                  "--special-folder", place.folder.File("data"), "--quiet"});
  EXPECT_EQ(run.status, 0) << run.err;
  return saved;
}

TEST(InteractiveSession, ImportUndoRedoImportAgainSaveAndQuit) {
  Workplace place;
  const std::string expected = ScriptedResult(place);
  // No --interactive and no --addon: on a terminal forvane asks, with the add-ons of the build tree.
  PseudoTerminal terminal(ForvanePath(), place.Arguments(), place.folder.File(""));
  ASSERT_TRUE(terminal.WaitFor("Project: project.json (8 property groups, 52 definitions, 16 elements)"))
      << terminal.Unread();
  RunTheImport(terminal, ExampleConfig());

  const std::vector<std::string> steps{"Import Property Values", "Import Expressions",
                                       "Import Properties and Classifications", "Delete Property Groups"};
  for (const auto& step : steps) {
    ASSERT_TRUE(terminal.WaitFor("(unsaved changes)\n")) << terminal.Unread();
    ASSERT_TRUE(terminal.WaitFor("u) Undo \"" + step + "\"")) << terminal.Unread();
    terminal.Type("u");
    ASSERT_TRUE(terminal.WaitFor("Undone: " + step)) << terminal.Unread();
  }
  // All undone: the project is the one on disk again, and the last undone step can be redone.
  ASSERT_TRUE(terminal.WaitFor("project.json: 8 property groups, 52 definitions, 16 elements\n  " + kMenuLine +
                               "\n  r) Redo \"Delete Property Groups\" (4 steps)\n  l) List the project"))
      << terminal.Unread();
  terminal.Type("r");
  ASSERT_TRUE(terminal.WaitFor("Redone: Delete Property Groups")) << terminal.Unread();
  ASSERT_TRUE(
      terminal.WaitFor("u) Undo \"Delete Property Groups\"\n  r) Redo \"Import Properties and Classifications\" (3 steps)"))
      << terminal.Unread();
  terminal.Type("U");  // keys are not case-sensitive
  ASSERT_TRUE(terminal.WaitFor("Undone: Delete Property Groups"));

  RunTheImport(terminal, ExampleConfig());
  // A new command ends what could be redone.
  ASSERT_TRUE(terminal.WaitFor("u) Undo \"Import Property Values\" (4 steps)\n  l) List the project")) << terminal.Unread();
  ASSERT_TRUE(terminal.WaitFor("s) Save\n  a) Save as...\n  q) Quit\nChoose 1, u, l, p, s, a or q: "));
  terminal.Type("s");
  ASSERT_TRUE(terminal.WaitFor("Saved project.json")) << terminal.Unread();
  ASSERT_TRUE(terminal.WaitFor("Choose 1, u, l, p, s, a or q: "));
  terminal.Type("q");  // nothing unsaved: no question
  EXPECT_EQ(terminal.ExitStatus(), 0) << terminal.Unread();
  EXPECT_NE(terminal.Unread().find("Session Report:"), std::string::npos);

  const Outcome diff = RunForvane({"diff", expected, place.project});
  EXPECT_EQ(diff.out, "(no changes)\n") << diff.out;
}

TEST(InteractiveSession, QuitAsksAboutUnsavedChangesAndEndOfInputLeavesTheFileAsItWas) {
  Workplace place;
  const std::string before = ReadText(place.project);
  PseudoTerminal terminal(ForvanePath(), place.Arguments(), place.folder.File(""));
  RunTheImport(terminal, ExampleConfig());
  ASSERT_TRUE(terminal.WaitFor("q) Quit\nChoose 1, u, l, p, s, a or q: ")) << terminal.Unread();
  terminal.Type("q");
  ASSERT_TRUE(terminal.WaitFor("The project has unsaved changes. Save them before quitting?")) << terminal.Unread();
  terminal.Type("");  // Enter: back to the menu
  ASSERT_TRUE(terminal.WaitFor("Choose 1, u, l, p, s, a or q: ")) << terminal.Unread();
  terminal.Type("12");
  ASSERT_TRUE(terminal.WaitFor("\"12\" is not on the menu: type one of 1, u, l, p, s, a or q.")) << terminal.Unread();
  ASSERT_TRUE(terminal.WaitFor("Choose 1, u, l, p, s, a or q: "));
  terminal.EndInput();
  ASSERT_TRUE(terminal.WaitFor("End of input: quitting without saving. The changes since the last save are lost"))
      << terminal.Unread();
  EXPECT_EQ(terminal.ExitStatus(), 0);
  EXPECT_EQ(ReadText(place.project), before);
}

TEST(InteractiveSession, FileDialogReasksForWhatTheDialogRefusesAndAnEmptyLineCancels) {
  Workplace place;
  std::filesystem::create_directory(place.folder.File("configs.xml"));
  PseudoTerminal terminal(ForvanePath(), place.Arguments({"--interactive"}), place.folder.File(""));
  ASSERT_TRUE(terminal.WaitFor("Choose 1, l, p, s, a or q: ")) << terminal.Unread();
  terminal.Type("1");
  ASSERT_TRUE(terminal.WaitFor("Path: ")) << terminal.Unread();
  terminal.Type("missing.xml");
  ASSERT_TRUE(terminal.WaitFor("There is no file at missing.xml.")) << terminal.Unread();
  ASSERT_TRUE(terminal.WaitFor("Path: "));
  terminal.Type("  \"project.json\"  ");  // as a terminal pastes a dropped file
  ASSERT_TRUE(terminal.WaitFor("project.json is not a file of the type asked for: IFC+SG Config file (*.xml)."))
      << terminal.Unread();
  ASSERT_TRUE(terminal.WaitFor("Path: "));
  terminal.Type("configs.xml");
  ASSERT_TRUE(terminal.WaitFor("configs.xml is a folder, not a file.")) << terminal.Unread();
  ASSERT_TRUE(terminal.WaitFor("Path: "));
  terminal.Type("");
  ASSERT_TRUE(terminal.WaitFor("\": Cancel")) << terminal.Unread();
  ASSERT_TRUE(terminal.WaitFor("Import Failed!")) << terminal.Unread();
  ASSERT_TRUE(terminal.WaitFor("Press Enter to continue. "));
  terminal.Type("");
  // What the cancelled run left behind can be undone.
  ASSERT_TRUE(terminal.WaitFor("u) Undo \"Delete Property Groups\"")) << terminal.Unread();
  terminal.Type("u");
  ASSERT_TRUE(terminal.WaitFor("project.json: 8 property groups, 52 definitions, 16 elements\n")) << terminal.Unread();
  terminal.EndInput();
  ASSERT_TRUE(terminal.WaitFor("End of input: quitting.\n")) << terminal.Unread();
  EXPECT_EQ(terminal.ExitStatus(), 0);
}

TEST(InteractiveMode, IsChosenOnATerminalOrByTheFlagAndRefusedBesideScriptedOptions) {
  Workplace place;
  const std::string project = place.project;
  const Outcome scripted = RunForvaneWithInput({project, "--special-folder", place.folder.File("data")}, "1\n");
  EXPECT_EQ(scripted.status, 0);
  // No menu: the options are done and the host ends (a note on a passed-over add-on may come first).
  EXPECT_THAT(scripted.out, ::testing::EndsWith("Session Report:\n(empty)\n"));
  EXPECT_EQ(scripted.out.find(kMenuLine), std::string::npos) << scripted.out;

  const Outcome forced =
      RunForvaneWithInput({project, "--interactive", "--special-folder", place.folder.File("data")}, "q\n");
  EXPECT_EQ(forced.status, 0);
  EXPECT_NE(forced.out.find(kMenuLine), std::string::npos) << forced.out;

  for (const std::string option : {"--run", "--save", "--undo"}) {
    const std::string value = option == "--run" ? kItem : option == "--save" ? place.folder.File("x.json") : "1";
    const Outcome refused = RunForvaneWithInput({project, "--interactive", option, value}, "");
    EXPECT_EQ(refused.status, 2) << option;
    EXPECT_NE(refused.out.find("--interactive does not go with"), std::string::npos) << refused.out;
  }
}

TEST(InteractiveMode, SaveAsAddsTheExtensionAsksBeforeReplacingAndSaysWhyASaveFailed) {
  Workplace place;
  const std::string copy = place.folder.File("copy");
  const std::string input = "a\n" + copy + "\n" +                      // saved as copy.json
                            "a\n" + copy + ".json\nn\n" +              // exists: not replaced
                            "a\n" + place.folder.File("") + "\n" +     // a folder
                            "a\n" + place.folder.File("none/x.json") + "\n" +  // no such folder
                            "a\n\n" +                                  // cancelled
                            "q\n";
  const Outcome run =
      RunForvaneWithInput({place.project, "--interactive", "--special-folder", place.folder.File("data")}, input);
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("Saved " + copy + ".json\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find(copy + ".json exists. Replace it? (y/n) Not saved."), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("is a folder. Not saved."), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Not saved: "), std::string::npos) << run.out;
  // The session goes on under the new name, holding the project as it was opened.
  EXPECT_NE(run.out.find("copy.json: 8 property groups"), std::string::npos) << run.out;
  const Outcome diff = RunForvane({"diff", ExampleProject(), copy + ".json"});
  EXPECT_EQ(diff.out, "(no changes)\n");
}

}  // namespace
}  // namespace cli_test
