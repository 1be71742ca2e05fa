#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <string>

#include "test_files.hpp"

using platform_test::RunTool;
using testing_support::ScratchFolder;
using platform_test::ToolRun;
using ::testing::ContainsRegex;
using ::testing::HasSubstr;

TEST(ResourceList, ShowsOneLinePerResourceWithWhatItHolds) {
  const ToolRun run = RunTool(VEXMIRE_LIST_PATH, {VEXMIRE_SAMPLE_LIBRARY});
  ASSERT_EQ(run.exitCode, 0) << run.output;
  EXPECT_THAT(run.output, ContainsRegex("STRS +32000 +\"\" +82 bytes +4 strings\n"));
  EXPECT_THAT(run.output, ContainsRegex("STRS +32500 +\"\" +21 bytes +2 strings\n"));
  EXPECT_THAT(run.output, ContainsRegex("MDID +32500 +\"\" +12 bytes +0x51524E4C 0x00000029\n"));
  EXPECT_THAT(run.output, ContainsRegex("PNG +10002 +\"I10002&96\" +73 bytes +PNG 2x3\n"));
  EXPECT_THAT(run.output, ContainsRegex("PNG +10002 +\"I10002&192\" +73 bytes +PNG 4x4\n"));
  EXPECT_THAT(run.output, ContainsRegex("ICNS +1 +\"\" +[0-9]+ bytes +2 pictures: 4x4 2x3\n"));
}

TEST(ResourceList, RefusesFilesThatAreNotLibrariesOrCarryNoResources) {
  ScratchFolder scratch;
  char self[4096] = {};
  ASSERT_GT(::readlink("/proc/self/exe", self, sizeof self - 1), 0);
  const ToolRun plain = RunTool(VEXMIRE_LIST_PATH, {self});
  EXPECT_EQ(plain.exitCode, 1);
  EXPECT_THAT(plain.output, HasSubstr("without resources"));

  const ToolRun text = RunTool(VEXMIRE_LIST_PATH, {scratch.Write("notes.txt", "just text")});
  EXPECT_EQ(text.exitCode, 1);
  EXPECT_THAT(text.output, HasSubstr("notes.txt: not a library file"));

  const ToolRun missing = RunTool(VEXMIRE_LIST_PATH, {scratch.File("missing.so")});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_THAT(missing.output, HasSubstr("missing.so: No such file"));

  std::vector<unsigned char> library = platform_test::ReadBytes(VEXMIRE_SAMPLE_LIBRARY);
  library.resize(library.size() - 10);
  const ToolRun cut = RunTool(VEXMIRE_LIST_PATH, {platform_test::WriteBytes(scratch, "cut.so", library)});
  EXPECT_EQ(cut.exitCode, 1);
  EXPECT_THAT(cut.output, HasSubstr("damaged"));

  EXPECT_EQ(RunTool(VEXMIRE_LIST_PATH, {}).exitCode, 2);
}
