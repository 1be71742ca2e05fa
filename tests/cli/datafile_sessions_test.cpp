// Two forvane sessions of one user with one data folder. A run owns the data
// file from its export to its import; a run of the other session meanwhile
// touches nothing, says so, and keeps no values. Session A is held at its
// file dialog, between the two steps, by a person who has not answered yet.
#include <sys/stat.h>

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

struct SharedFolder {
  ScratchFolder folder;
  std::string project = folder.Write("project.json", ReadText(ExampleProject()));
  std::string data = folder.File("data");
  std::string dataFile = data + "/IFC+SG_Properties.csv";
  std::string inUse = "Export Property Values: the data file " + dataFile +
                      " is in use by another session; the values are not written";
  SharedFolder() { std::filesystem::create_directory(data); }

  // Session A at its file dialog: its export has written the data file.
  void HoldAtTheDialog(PseudoTerminal& a) const {
    ASSERT_TRUE(a.WaitFor("Choose 1, ")) << a.Unread();
    a.Type("1");
    ASSERT_TRUE(a.WaitFor("Path: ")) << a.Unread();
  }
  // One scripted run of session B; its Session Report and what it printed.
  Outcome RunB(const std::string& saved) const {
    const std::string report = folder.File("report-b.txt");
    Outcome run = RunForvane({ExampleProject(), "--run", kItem, "--choose", ExampleConfig(), "--special-folder", data,
                              "--report", report, "--save", saved});
    run.err = ReadText(report);
    return run;
  }
};

ino_t InodeOf(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

TEST(TwoSessions, ARunOwnsTheDataFileFromItsExportToItsImport) {
  SharedFolder shared;
  const std::string alone = shared.folder.File("alone.json");
  ASSERT_EQ(shared.RunB(alone).status, 0);  // what a run with no other session keeps
  PseudoTerminal a(ForvanePath(), {"project.json", "--special-folder", shared.data}, shared.folder.File(""));
  shared.HoldAtTheDialog(a);
  const std::string written = ReadText(shared.dataFile);
  const ino_t inode = InodeOf(shared.dataFile);
  ASSERT_FALSE(written.empty());

  const Outcome b = shared.RunB(shared.folder.File("b.json"));
  EXPECT_EQ(b.status, 0);
  EXPECT_THAT(b.err, testing::HasSubstr(shared.inUse + "\n"));
  EXPECT_THAT(b.out, testing::HasSubstr("| Property Values are not retained!"));
  EXPECT_EQ(ReadText(shared.dataFile), written);
  EXPECT_EQ(InodeOf(shared.dataFile), inode);

  a.Type(ExampleConfig());
  ASSERT_TRUE(a.WaitFor("Import Successful!")) << a.Unread();
  ASSERT_TRUE(a.WaitFor("Press Enter to continue. "));
  a.Type("");
  ASSERT_TRUE(a.WaitFor("Choose 1, u, l, p, s, a or q: ")) << a.Unread();
  a.Type("s");
  ASSERT_TRUE(a.WaitFor("Saved project.json")) << a.Unread();
  a.Type("q");
  EXPECT_EQ(a.ExitStatus(), 0) << a.Unread();
  EXPECT_EQ(RunForvane({"diff", alone, shared.project}).out, "(no changes)\n");
  EXPECT_FALSE(std::filesystem::exists(shared.dataFile));
  EXPECT_FALSE(std::filesystem::exists(shared.dataFile + ".lock"));
}

// The file that a run without its import leaves holds the values that the
// deletion took: the session keeps it until it runs again or ends.
TEST(TwoSessions, ARunWithoutItsImportHoldsTheDataFileUntilItsSessionEnds) {
  SharedFolder shared;
  const std::string alone = shared.folder.File("alone.json");
  ASSERT_EQ(shared.RunB(alone).status, 0);
  PseudoTerminal a(ForvanePath(), {"project.json", "--special-folder", shared.data}, shared.folder.File(""));
  shared.HoldAtTheDialog(a);
  a.Type("");  // cancelled
  ASSERT_TRUE(a.WaitFor("Import Failed!")) << a.Unread();
  ASSERT_TRUE(a.WaitFor("Press Enter to continue. "));
  a.Type("");
  ASSERT_TRUE(a.WaitFor("Choose 1, u, l, p, s, a or q: ")) << a.Unread();

  EXPECT_THAT(shared.RunB(shared.folder.File("b.json")).err, testing::HasSubstr(shared.inUse));
  a.EndInput();
  EXPECT_EQ(a.ExitStatus(), 0) << a.Unread();
  const std::string b = shared.folder.File("b.json");
  EXPECT_THAT(shared.RunB(b).err, testing::Not(testing::HasSubstr(shared.inUse)));
  EXPECT_EQ(RunForvane({"diff", alone, b}).out, "(no changes)\n");
}

}  // namespace
}  // namespace cli_test
