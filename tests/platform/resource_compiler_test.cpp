#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "ImageFormat.hpp"
#include "test_files.hpp"
#include "Vexmire/Vexmire.hpp"

using platform_test::RunTool;
using testing_support::ScratchFolder;
using platform_test::ToolRun;
using ::testing::HasSubstr;

namespace {

class ResourceCompiler : public ::testing::Test {
 protected:
  // Compiles `definition` (written as defs.vrc) into image.bin.
  ToolRun Compile(const std::string& definition) {
    scratch.Write("defs.vrc", definition);
    return RunTool(VEXMIRE_RC_PATH, {scratch.File("defs.vrc"), "-o", scratch.File("image.bin"), "-d", scratch.File("image.d")});
  }
  std::string Diagnostic(const std::string& definition) {
    const ToolRun run = Compile(definition);
    EXPECT_EQ(run.exitCode, 1) << run.output;
    return run.output;
  }
  // The bytes of one resource of the compiled image.
  std::string Resource(std::uint32_t type, std::int32_t id) {
    image = platform_test::ReadBytes(scratch.File("image.bin"));
    vexmire_image::ImageView view;
    vexmire_image::ImageEntry entry;
    if (vexmire_image::ImageView::Open(image.data(), image.size(), view) != vexmire_image::ImageStatus::Valid ||
        !view.Find(type, id, entry))
      return "<none>";
    return std::string(reinterpret_cast<const char*>(entry.data), entry.size);
  }
  void WritePng(const std::string& name) {
    std::filesystem::copy_file(std::string(PLATFORM_TEST_RESOURCES) + "/dot_2x3.png", scratch.File(name));
  }

  ScratchFolder scratch;
  std::vector<unsigned char> image;
};

}  // namespace

TEST_F(ResourceCompiler, StringListsAndBlocksCarryTheirByteCount) {
  const ToolRun run = Compile(
      "STRS 32000 \"\" { \"A\" \"BC\" }\n"
      "MDID 32500 \"\" { 0x51524E4C 0x00000029 }\n"
      "DATA 7 \"\" { -1 \"# not a comment\" }  # but this is\n");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(Resource(Vexmire::ResType("STRS"), 32000), std::string("\x05\0\0\0A\0BC\0", 9));
  EXPECT_EQ(Resource(Vexmire::ResType("MDID"), 32500), std::string("\x08\0\0\0\x4C\x4E\x52\x51\x29\0\0\0", 12));
  EXPECT_EQ(Resource(Vexmire::ResType("DATA"), 7), std::string("\x14\0\0\0\xFF\xFF\xFF\xFF# not a comment\0", 24));
}

TEST_F(ResourceCompiler, EscapesBecomeTheirBytes) {
  ASSERT_EQ(Compile("STRS 1 \"\" { \"\\\"q\\\" \\\\ \\t\\n\\x41\\101\\303\\251\" }\n").exitCode, 0);
  EXPECT_EQ(Resource(Vexmire::ResType("STRS"), 1), std::string("\x0D\0\0\0\"q\" \\ \t\nAA\xC3\xA9\0", 17));
}

TEST_F(ResourceCompiler, PicturesAreCarriedVerbatimAndTheDependencyFileNamesThem) {
  WritePng("dot.png");
  const ToolRun run = Compile("PNG 10002 \"I10002&96\" file \"dot.png\"\n");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(Resource(Vexmire::ResType("PNG "), 10002), testing_support::ReadText(scratch.File("dot.png")));
  const std::string depfile = testing_support::ReadText(scratch.File("image.d"));
  EXPECT_THAT(depfile, HasSubstr(scratch.File("image.bin")));
  EXPECT_THAT(depfile, HasSubstr(scratch.File("defs.vrc")));
  EXPECT_THAT(depfile, HasSubstr(scratch.File("dot.png")));
}

TEST_F(ResourceCompiler, SyntaxFaultsNameTheFileAndLine) {
  EXPECT_THAT(Diagnostic("STRS 32000 \"\" {\n  \"a\"\n  oops\n}\n"),
              HasSubstr("defs.vrc:3: expected a string, a number, 'file' or '}', found 'oops'"));
  EXPECT_THAT(Diagnostic("# heading\nSTRS \"\" { }\n"), HasSubstr("defs.vrc:2: expected a resource id"));
  EXPECT_THAT(Diagnostic("STRS 1 \"\" { \"open\n}\n"), HasSubstr("defs.vrc:1: a string is not closed"));
  EXPECT_THAT(Diagnostic("\nSTRS 1 \"\" {\n \"a\"\n"), HasSubstr("defs.vrc:4: the block opened on line 2 is not closed"));
  EXPECT_THAT(Diagnostic("STRS 1 \"\" { \"\\q\" }\n"), HasSubstr("defs.vrc:1: unknown escape '\\q'"));
  EXPECT_THAT(Diagnostic("STRS 1 \"\" { \"a\\0b\" }\n"), HasSubstr("defs.vrc:1: a string may not hold a zero byte"));
  EXPECT_THAT(Diagnostic("STRINGS 1 \"\" { }\n"), HasSubstr("defs.vrc:1: the resource type 'STRINGS' is longer than four"));
  EXPECT_THAT(Diagnostic("STRS 3000000000 \"\" { }\n"), HasSubstr("defs.vrc:1: the resource id 3000000000 does not fit"));
  EXPECT_THAT(Diagnostic("DATA 1 \"\" { 0x100000000 }\n"), HasSubstr("defs.vrc:1: the number 0x100000000"));
  EXPECT_THAT(Diagnostic("STRS 1 \"\" ; { }\n"), HasSubstr("defs.vrc:1: unexpected character ';'"));
  EXPECT_THAT(Diagnostic("STRS 1 \"\" \"text\"\n"), HasSubstr("defs.vrc:1: expected '{' or 'file'"));
}

TEST_F(ResourceCompiler, ResourcesMustBeUniqueByIdAndByName) {
  EXPECT_THAT(Diagnostic("STRS 1 \"\" { }\n\nSTRS 1 \"\" { }\n"),
              HasSubstr("defs.vrc:3: resource STRS 1 is defined twice (first on line 1)"));
  EXPECT_THAT(Diagnostic("DATA 1 \"same\" { }\nDATA 2 \"same\" { }\n"), HasSubstr("defs.vrc:2: the name \"same\""));
  EXPECT_THAT(Diagnostic("DATA 1 \"small\" { }\nDATA 1 \"\" { }\n"), HasSubstr("defs.vrc:2: resource DATA 1 is defined twice"));
  EXPECT_EQ(Compile("STRS 1 \"\" { }\nMDID 1 \"\" { }\nDATA 1 \"\" { }\nDATA 2 \"\" { }\n").exitCode, 0);
  // Sizes of one picture share its id and differ in name.
  EXPECT_EQ(Compile("DATA 5 \"I5&96\" { 1 }\nDATA 5 \"I5&192\" { 2 }\n").exitCode, 0);
  EXPECT_EQ(Resource(Vexmire::ResType("DATA"), 5), std::string("\x04\0\0\0\x01\0\0\0", 8));
}

TEST_F(ResourceCompiler, RefusesMissingFilesAndPicturesThatAreNotPng) {
  EXPECT_THAT(Diagnostic("STRS 1 \"\" { }\nPNG 1 \"\" file \"missing.png\"\n"), HasSubstr("defs.vrc:2: cannot read 'missing.png'"));
  scratch.Write("fake.png", "GIF89a, not a PNG at all");
  EXPECT_THAT(Diagnostic("PNG 1 \"\" file \"fake.png\"\n"), HasSubstr("defs.vrc:1: 'fake.png' is not a PNG picture"));
  scratch.Write("icon.bin", "GIF89a");
  EXPECT_THAT(Diagnostic("ICNS 1 \"\" {\n file \"icon.bin\" }\n"), HasSubstr("defs.vrc:2: 'icon.bin' is not a PNG picture"));
  std::string truncated = testing_support::ReadText(std::string(PLATFORM_TEST_RESOURCES) + "/dot_2x3.png").substr(0, 12);
  scratch.Write("cut.png", truncated);
  EXPECT_THAT(Diagnostic("DATA 1 \"\" file \"cut.png\"\n"), HasSubstr("its IHDR header is missing or damaged"));
}

TEST_F(ResourceCompiler, AFailedCompileLeavesTheEarlierImageAlone) {
  ASSERT_EQ(Compile("STRS 1 \"\" { \"kept\" }\n").exitCode, 0);
  const std::string earlier = testing_support::ReadText(scratch.File("image.bin"));
  Diagnostic("STRS 1 \"\" { \"broken }\n");
  EXPECT_EQ(testing_support::ReadText(scratch.File("image.bin")), earlier);
}

TEST_F(ResourceCompiler, UsageFaultsAreTold) {
  EXPECT_EQ(RunTool(VEXMIRE_RC_PATH, {}).exitCode, 2);
  EXPECT_EQ(RunTool(VEXMIRE_RC_PATH, {scratch.File("defs.vrc")}).exitCode, 2);
  EXPECT_EQ(RunTool(VEXMIRE_RC_PATH, {scratch.File("defs.vrc"), "-o"}).exitCode, 2);
  const ToolRun missing = RunTool(VEXMIRE_RC_PATH, {scratch.File("none.vrc"), "-o", scratch.File("image.bin")});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_THAT(missing.output, HasSubstr("none.vrc: cannot read the definition"));
  EXPECT_FALSE(std::filesystem::exists(scratch.File("image.bin")));
}
