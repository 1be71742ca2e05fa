// The schema import step: the file dialog, the file's text reaching the
// host's two importers, and what each failure leaves.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "Corbane/Memory.hpp"
#include "Forvane/EntryTable.hpp"
#include "run_fixture.hpp"

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using namespace run_test;

class SchemaImport : public ::testing::Test {
 protected:
  // The step's outcome code.
  int Import(InProcessHost& host) {
    quarnel::ResetRunStatus();
    return static_cast<int>(host.AsAddOn([] {
      quarnel::Config config;
      return config.importPropertiesAndClassifications();
    }));
  }

  // A project whose IFC groups have already been removed.
  static fvhost::Project Emptied() {
    ProjectBuilder b;
    b.Classification("IFC+SG", {"IfcWall"});
    b.Definition(b.Group("Office"), "Cost", API_VariantReal);
    return b.Build();
  }

  static std::vector<std::string> ImportCalls(InProcessHost& host) {
    std::vector<std::string> ops;
    for (const auto& event : Events(host.Transcript(), "call")) {
      const std::string op = event.value("op", "");
      if (op == "ImportClassifications" || op == "ImportProperties") ops.push_back(op);
    }
    return ops;
  }

  static fvhost::HostOptions Traced(std::vector<fvhost::FaultRule> faults = {}) {
    fvhost::HostOptions options = Options(std::move(faults));
    options.traceCalls = true;
    return options;
  }
};

TEST_F(SchemaImport, ImportsClassificationsThenPropertiesFromTheChosenFile) {
  InProcessHost host(Emptied(), Traced());
  ConfigFile file(WallConfiguration());
  Choose(host, file.path());
  EXPECT_EQ(Import(host), 1);
  EXPECT_EQ(quarnel::importPropertiesAndClassificationsStatus, quarnel::Outcome::Done);
  EXPECT_TRUE(host.Report().empty());
  EXPECT_THAT(ImportCalls(host), ElementsAre("ImportClassifications", "ImportProperties"));
  EXPECT_THAT(GroupNames(host.project()), ElementsAre("Office", "Pset_WallCommon"));
  ASSERT_EQ(host.project().classificationSystems.size(), 1u);
  EXPECT_EQ(host.project().classificationSystems[0].name, "IFC+SG");
  EXPECT_THAT(host.host().UndoStepNames(), ElementsAre("Import Properties and Classifications"));
}

TEST_F(SchemaImport, AsksForOneXmlFileUnderItsOwnTitleAndFilter) {
  InProcessHost host(Emptied());
  Cancel(host);
  Import(host);
  const auto dialogs = Events(host.Transcript(), "dialog");
  ASSERT_EQ(dialogs.size(), 1u);
  EXPECT_EQ(dialogs[0].value("kind", -1), 0) << "one existing file to open";
  EXPECT_EQ(dialogs[0].value("title", ""), "Select IFC+SG Classifications and Properties XML File");
  ASSERT_TRUE(dialogs[0]["filters"].is_array());
  ASSERT_EQ(dialogs[0]["filters"].size(), 1u);
  EXPECT_EQ(dialogs[0]["filters"][0].value("description", ""), "IFC+SG Config file");
  EXPECT_EQ(dialogs[0]["filters"][0].value("extension", ""), "xml");
}

TEST_F(SchemaImport, CancelCallsNoImporterAndReportsNothing) {
  InProcessHost host(Emptied(), Traced());
  const fvhost::Project before = host.project();
  Cancel(host);
  EXPECT_EQ(Import(host), 0);
  EXPECT_EQ(quarnel::importPropertiesAndClassificationsStatus, quarnel::Outcome::Failed);
  EXPECT_TRUE(ImportCalls(host).empty());
  EXPECT_TRUE(host.Report().empty());
  EXPECT_TRUE(host.project() == before);
}

TEST_F(SchemaImport, AFileOfAnotherTypeIsRefusedByTheDialogLikeACancel) {
  InProcessHost host(Emptied(), Traced());
  ConfigFile file(WallConfiguration(), "config.txt");
  Choose(host, file.path());
  EXPECT_EQ(Import(host), 0);
  EXPECT_TRUE(ImportCalls(host).empty());
}

TEST_F(SchemaImport, AFailedClassificationImportSkipsThePropertiesAndKeepsNothing) {
  InProcessHost host(Emptied(), Traced({Fail("ImportClassifications", FvErr_NotOnSchema)}));
  const fvhost::Project before = host.project();
  ConfigFile file(WallConfiguration());
  Choose(host, file.path());
  EXPECT_EQ(Import(host), 2);
  EXPECT_THAT(ImportCalls(host), ElementsAre("ImportClassifications"));
  const std::string code = Code(FvErr_NotOnSchema);
  EXPECT_THAT(host.Report(), ElementsAre("Import Classifications: Failed with Error Code: " + code,
                                         "Import Properties and Classifications: Failed with error code: " + code));
  EXPECT_TRUE(host.project() == before);
  EXPECT_TRUE(host.host().UndoStepNames().empty());
}

TEST_F(SchemaImport, AFailedPropertyImportIsOutcomeThreeAndRollsTheStepBack) {
  InProcessHost host(Emptied(), Traced({Fail("ImportProperties", FvErr_BadXml)}));
  const fvhost::Project before = host.project();
  ConfigFile file(WallConfiguration());
  Choose(host, file.path());
  EXPECT_EQ(Import(host), 3);
  EXPECT_THAT(ImportCalls(host), ElementsAre("ImportClassifications", "ImportProperties"));
  const std::string code = Code(FvErr_BadXml);
  EXPECT_THAT(host.Report(), ElementsAre("Import Properties: Failed with Error Code: " + code,
                                         "Import Properties and Classifications: Failed with error code: " + code));
  EXPECT_TRUE(host.project() == before);
}

TEST_F(SchemaImport, TextAfterAZeroByteNeverReachesTheHost) {
  InProcessHost host(Emptied());
  ConfigFile file(WallConfiguration() + std::string(1, '\0') + "<not> xml at all &&&");
  Choose(host, file.path());
  EXPECT_EQ(Import(host), 1);
  EXPECT_TRUE(host.Report().empty());
  EXPECT_THAT(GroupNames(host.project()), ElementsAre("Office", "Pset_WallCommon"));
}

TEST_F(SchemaImport, AZeroByteInsideTheDocumentCutsItShort) {
  InProcessHost host(Emptied());
  const std::string whole = WallConfiguration();
  ConfigFile file(whole.substr(0, whole.size() / 2) + std::string(1, '\0') + whole.substr(whole.size() / 2));
  Choose(host, file.path());
  EXPECT_EQ(Import(host), 2);
  ASSERT_FALSE(host.Report().empty());
  EXPECT_THAT(host.Report().back(), HasSubstr("Import Properties and Classifications: Failed with error code: "));
  EXPECT_THAT(GroupNames(host.project()), ElementsAre("Office"));
}

TEST_F(SchemaImport, AnEmptyFileIsTheHostsToRefuse) {
  InProcessHost host(Emptied());
  const fvhost::Project before = host.project();
  ConfigFile file("");
  Choose(host, file.path());
  EXPECT_EQ(Import(host), 2);
  // The host says what is wrong; the step adds its own two lines.
  ASSERT_GE(host.Report().size(), 2u);
  EXPECT_THAT(host.Report()[host.Report().size() - 2], HasSubstr("Import Classifications: Failed with Error Code: "));
  EXPECT_TRUE(host.project() == before);
}

// A socket at the chosen name: the dialog sees an existing file, and opening it fails.
void BindSocket(const std::string& path) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
  ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0) << path;
  ::close(fd);
}

std::string Utf16LittleEndianWithMark(const std::string& ascii) {
  std::string bytes = "\xFF\xFE";
  for (const char c : ascii) bytes += {c, '\0'};
  return bytes;
}

// Files the step never hands to the host: each is refused with its line
// before any importer runs, the command fails with its line, and the project
// is as it was. Before the refusals a FIFO held the run for ever and a link
// to /dev/zero grew the text until the host aborted.
TEST_F(SchemaImport, RefusesWhatIsNotAReadableUtf8RegularFile) {
  struct Case {
    const char* what;
    std::function<void(const std::string& path)> make;
    std::string line;  // after "Import Properties and Classifications: the file PATH"
  };
  const Case cases[] = {
      {"a FIFO", [](const std::string& path) { ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); },
       " is not a regular file but a FIFO"},
      {"a link to /dev/zero",
       [](const std::string& path) { std::filesystem::create_symlink("/dev/zero", path); },
       " is not a regular file but a device"},
      {"a socket, which cannot be opened", BindSocket, " cannot be read: No such device or address"},
      {"a UTF-16 file with its byte-order mark",
       [](const std::string& path) { std::ofstream(path, std::ios::binary) << Utf16LittleEndianWithMark(WallConfiguration()); },
       " is UTF-16 (it begins with a byte-order mark); the host reads configurations in UTF-8"},
      {"a file larger than the host imports (sparse, so that nothing is written)",
       [](const std::string& path) {
         std::ofstream(path, std::ios::binary) << "<Configuration/>";
         std::filesystem::resize_file(path, FvMaxConfigurationBytes + 1);
       },
       " is larger than the host imports: " + std::to_string(FvMaxConfigurationBytes + 1) + " bytes, at most " +
           std::to_string(FvMaxConfigurationBytes)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ConfigFile folder("", "unused.xml");
    const std::string path = (std::filesystem::path(folder.path()).parent_path() / "config.xml").string();
    c.make(path);
    InProcessHost host(Emptied(), Traced());
    const fvhost::Project before = host.project();
    Choose(host, path);
    EXPECT_EQ(Import(host), 0);
    EXPECT_THAT(ImportCalls(host), IsEmpty());
    EXPECT_THAT(host.Report(), ElementsAre("Import Properties and Classifications: the file " + path + c.line,
                                           "Import Properties and Classifications: Failed with error code: " +
                                               Code(FvErr_General)));
    EXPECT_TRUE(host.project() == before);
    EXPECT_TRUE(host.host().UndoStepNames().empty());
  }
}

TEST_F(SchemaImport, ALinkToARegularConfigurationIsFollowed) {
  ConfigFile file(WallConfiguration(), "release.xml");
  const std::string link = (std::filesystem::path(file.path()).parent_path() / "current.xml").string();
  std::filesystem::create_symlink(file.path(), link);
  InProcessHost host(Emptied());
  Choose(host, link);
  EXPECT_EQ(Import(host), 1);
  EXPECT_TRUE(host.Report().empty());
}

TEST_F(SchemaImport, AHostWithoutTheImportersFailsTheStep) {
  InProcessHost host(Emptied(), Options({}, {"ImportClassifications"}));
  ConfigFile file(WallConfiguration());
  Choose(host, file.path());
  EXPECT_EQ(Import(host), 2);
  EXPECT_EQ(host.Report().front(), "Import Classifications: Failed with Error Code: " + Code(FvErr_MissingOperation));
}

TEST_F(SchemaImport, LeavesNoBlockBehindOnAnyPath) {
  ConfigFile file(WallConfiguration());
  const auto liveAfter = [&](fvhost::HostOptions options, bool cancel) {
    InProcessHost host(Emptied(), std::move(options));
    if (cancel) {
      Cancel(host);
    } else {
      Choose(host, file.path());
    }
    const Corbane::OwnerId owner = host.host().addOns().back().owner;
    const auto before = Corbane::OwnerStats(owner).liveBlocks;
    Import(host);
    return Corbane::OwnerStats(owner).liveBlocks - before;
  };
  EXPECT_EQ(liveAfter(Options(), false), 0);
  EXPECT_EQ(liveAfter(Options(), true), 0);
  EXPECT_EQ(liveAfter(Options({Fail("ImportClassifications", FvErr_BadXml)}), false), 0);
  EXPECT_EQ(liveAfter(Options({Fail("ImportProperties", FvErr_BadXml)}), false), 0);
}

}  // namespace
