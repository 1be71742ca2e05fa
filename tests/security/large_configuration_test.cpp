// Configurations made at test time: one of 100 MB, past the host's bound, is
// refused before it is read, with a line, and the undo brings the project
// back; one past the XML library's own lookup limit of 10 MB, below the
// host's bound, is imported whole.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <iostream>
#include <string>

#include "security_fixture.hpp"

namespace security_test {
namespace {

constexpr std::size_t hundredMegabytes = 100u * 1024 * 1024;
constexpr int definitionsPerGroup = 50;
// Generous, for a debug build under the sanitizers on a shared machine; a
// release build takes a small part of it.
constexpr double boundedSeconds = 600.0;
constexpr long boundedGrowthBytes = 8L * 1024 * 1024 * 1024;

// Groups of fifty definitions of every kind, each with a description of about
// a kilobyte, until the text is 100 MB: some hundred thousand definitions,
// about what a few hundred real property-set releases would hold.
class LargeConfigurationWriter {
 public:
  LargeConfigurationWriter(const std::string& path, std::size_t atLeast)
      : out_(std::fopen(path.c_str(), "wb")), atLeast_(atLeast) {}
  ~LargeConfigurationWriter() {
    if (out_) std::fclose(out_);
  }

  std::size_t Write() {
    Put("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Configuration>\n<ClassificationSystems>\n"
        "<ClassificationSystem name=\"IFC+SG\" version=\"large\"><Item id=\"IfcWall\" name=\"Wall\"/>"
        "</ClassificationSystem>\n</ClassificationSystems>\n<PropertyGroups>\n");
    for (int group = 0; written_ < atLeast_; ++group) PutGroup(group);
    Put("</PropertyGroups>\n</Configuration>\n");
    return written_;
  }
  int definitions() const { return definitions_; }

 private:
  void Put(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), out_);
    written_ += text.size();
  }

  void PutGroup(int group) {
    Put("<PropertyGroup name=\"Pset_Large" + std::to_string(group) + "\">\n");
    static const std::string description(1000, 'd');
    static const char* const kinds[] = {
        R"(valueType="String" collectionType="SingleValue"><DefaultValue>text</DefaultValue>)",
        R"(valueType="Double" collectionType="SingleValue" measureType="Length"><DefaultValue>2.5</DefaultValue>)",
        R"(valueType="Integer" collectionType="ListValue">)",
        R"(valueType="String" collectionType="SingleValueFromCollection"><Option>A</Option><Option>B</Option><DefaultValue>B</DefaultValue>)",
        R"(valueType="Boolean" collectionType="SingleValue"><AvailableFor item="IfcWall"/>)",
    };
    for (int d = 0; d < definitionsPerGroup; ++d, ++definitions_)
      Put("<PropertyDefinition name=\"P" + std::to_string(d) + "\" description=\"" + description + "\" " +
          kinds[d % 5] + "</PropertyDefinition>\n");
    Put("</PropertyGroup>\n");
  }

  std::FILE* out_;
  std::size_t atLeast_;
  std::size_t written_ = 0;
  int definitions_ = 0;
};

struct LargeRun {
  std::size_t bytes = 0;
  int definitions = 0;
  double seconds = 0;
  long growth = 0;
  std::string alert;
};

// The whole command on a configuration of at least `size` bytes.
LargeRun RunOnConfigurationOf(std::size_t size, InProcessHost& host, const ScratchFolder& folder) {
  const std::string config = (folder.path() / "large.xml").string();
  LargeRun run;
  {
    LargeConfigurationWriter writer(config, size);
    run.bytes = writer.Write();
    run.definitions = writer.definitions();
  }
  run.growth = PeakGrowthBytes([&] { run.seconds = SecondsFor([&] { RunWithConfiguration(host, config); }); });
  const auto alerts = run_test::Alerts(host);
  run.alert = alerts.size() == 1 ? alerts[0].title : "(" + std::to_string(alerts.size()) + " alerts)";
  std::cout << "[ measure  ] " << run.bytes / (1024 * 1024) << " MB, " << run.definitions << " definitions: \""
            << run.alert << "\" after " << run.seconds << " s, peak growth " << run.growth / (1024 * 1024) << " MB\n";
  ::testing::Test::RecordProperty("seconds", std::to_string(run.seconds));
  ::testing::Test::RecordProperty("peakGrowthMB", std::to_string(run.growth / (1024 * 1024)));
  return run;
}

TEST(LargeConfiguration, AHundredMegabytesAreRefusedBeforeTheyAreRead) {
  ScratchFolder folder;
  const fvhost::Project before = run_test::WallProject().Build();
  InProcessHost host(before, OptionsFor(folder));

  const LargeRun run = RunOnConfigurationOf(hundredMegabytes, host, folder);

  ASSERT_GE(run.bytes, hundredMegabytes);
  EXPECT_EQ(run.alert, "Import Failed!");
  EXPECT_THAT(host.Report(), testing::Contains(testing::HasSubstr(
                                 "is larger than the host imports: " + std::to_string(run.bytes) + " bytes")));
  EXPECT_LT(run.growth, 64L * 1024 * 1024) << "the text is never read";
  UndoEverything(host);
  EXPECT_TRUE(host.project() == before);
}

TEST(LargeConfiguration, TwentyFourMegabytesAreImportedWhole) {
  ScratchFolder folder;
  InProcessHost host(run_test::WallProject().Build(), OptionsFor(folder));

  const LargeRun run = RunOnConfigurationOf(24u * 1024 * 1024, host, folder);

  EXPECT_EQ(run.alert, "Import Successful");
  EXPECT_THAT(host.Report(), testing::IsEmpty());
  EXPECT_EQ(host.project().definitions.size(), static_cast<std::size_t>(run.definitions) + 1)
      << "every definition of the configuration, and the one of the office's own group";
  EXPECT_LT(run.seconds, boundedSeconds);
  EXPECT_LT(run.growth, boundedGrowthBytes);
}

}  // namespace
}  // namespace security_test
