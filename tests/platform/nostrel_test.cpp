#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "Nostrel/Nostrel.hpp"
#include "test_files.hpp"

using Corbane::UniString;
using Nostrel::File;
using Nostrel::FileSystem;
using Nostrel::Location;
using Nostrel::RelativeLocation;
using testing_support::ScratchFolder;

namespace {

std::string Text(const UniString& text) { return text.ToCStr().Get(); }
Location At(const std::string& path) { return Location(UniString(path.c_str())); }

}  // namespace

TEST(NostrelLocation, AppendsNamesBelowTheLocationWithOneSeparator) {
  Location folder = At("/data/forvane");
  EXPECT_EQ(folder.AppendToLocal(RelativeLocation(UniString("IFC+SG_Properties.csv"))), Nostrel::NoError);
  EXPECT_EQ(Text(folder.ToDisplayText()), "/data/forvane/IFC+SG_Properties.csv");

  Location withSlash = At("/data/");
  EXPECT_EQ(withSlash.AppendToLocal(RelativeLocation(UniString("a/b.txt"))), Nostrel::NoError);
  EXPECT_EQ(Text(withSlash.ToDisplayText()), "/data/a/b.txt");
  EXPECT_EQ(Text(withSlash.GetLastLocalName()), "b.txt");
}

TEST(NostrelLocation, RefusesToAppendToNothingOrAnAbsolutePathAndStaysAsItWas) {
  Location empty;
  EXPECT_EQ(empty.AppendToLocal(RelativeLocation(UniString("x"))), Nostrel::ErrBadLocation);
  EXPECT_TRUE(empty.IsEmpty());

  Location folder = At("/data");
  EXPECT_EQ(folder.AppendToLocal(RelativeLocation(UniString("/etc/passwd"))), Nostrel::ErrBadLocation);
  EXPECT_EQ(folder.AppendToLocal(RelativeLocation()), Nostrel::ErrBadLocation);
  EXPECT_EQ(Text(folder.ToDisplayText()), "/data");
}

TEST(NostrelLocation, LastNameIgnoresATrailingSeparator) {
  EXPECT_EQ(Text(At("/a/b/").GetLastLocalName()), "b");
  EXPECT_EQ(Text(At("plain").GetLastLocalName()), "plain");
  EXPECT_EQ(Text(At("/").GetLastLocalName()), "");
}

TEST(NostrelFile, CreateOptionMakesAMissingFileEmptyAndLeavesAnExistingOneAlone) {
  ScratchFolder scratch;
  const std::string fresh = scratch.File("fresh.csv");
  const File created(At(fresh), File::Create);
  EXPECT_EQ(created.GetStatus(), Nostrel::NoError);
  ASSERT_TRUE(std::filesystem::exists(fresh));
  EXPECT_EQ(std::filesystem::file_size(fresh), 0u);

  const std::string kept = scratch.Write("kept.csv", "row 1\n");
  EXPECT_EQ(File(At(kept), File::Create).GetStatus(), Nostrel::NoError);
  EXPECT_EQ(testing_support::ReadText(kept), "row 1\n");
}

TEST(NostrelFile, FailOptionReportsAMissingFileWithoutMakingIt) {
  ScratchFolder scratch;
  const std::string missing = scratch.File("missing.csv");
  EXPECT_EQ(File(At(missing), File::Fail).GetStatus(), Nostrel::ErrNotFound);
  EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST(NostrelFile, CannotBeMadeInAMissingFolderOrOverAFolder) {
  ScratchFolder scratch;
  EXPECT_EQ(File(At(scratch.File("no/such/folder.csv")), File::Create).GetStatus(), Nostrel::ErrNotFound);
  EXPECT_EQ(File(At(scratch.path().string()), File::Create).GetStatus(), Nostrel::ErrBadLocation);
  EXPECT_EQ(File(Location(), File::Create).GetStatus(), Nostrel::ErrBadLocation);
}

TEST(NostrelFile, CreateDoesNotWriteThroughALinkToNowhere) {
  ScratchFolder scratch;
  std::filesystem::create_symlink(scratch.File("elsewhere.csv"), scratch.File("link.csv"));
  EXPECT_EQ(File(At(scratch.File("link.csv")), File::Create).GetStatus(), Nostrel::ErrBadLocation);
  EXPECT_FALSE(std::filesystem::exists(scratch.File("elsewhere.csv")));
}

TEST(NostrelFileSystem, DeletesAPresentFileAndReportsAMissingOne) {
  ScratchFolder scratch;
  const Location file = At(scratch.Write("data.csv", "x"));
  EXPECT_TRUE(FileSystem::Exists(file));
  EXPECT_EQ(FileSystem::Delete(file, FileSystem::Safe), Nostrel::NoError);
  EXPECT_FALSE(FileSystem::Exists(file));
  EXPECT_EQ(FileSystem::Delete(file), Nostrel::ErrNotFound);
  EXPECT_EQ(FileSystem::Delete(Location()), Nostrel::ErrBadLocation);
}

TEST(NostrelFileSystem, DoesNotDeleteAFolder) {
  ScratchFolder scratch;
  std::filesystem::create_directory(scratch.File("sub"));
  EXPECT_NE(FileSystem::Delete(At(scratch.File("sub"))), Nostrel::NoError);
  EXPECT_TRUE(std::filesystem::is_directory(scratch.File("sub")));
}

// The system's own files cannot be removed even by the administrator, which
// makes a denial that every test account meets.
TEST(NostrelFileSystem, ADeniedDeleteIsReportedOrIgnoredAsAsked) {
  const Location guarded = At("/proc/version");
  if (!FileSystem::Exists(guarded)) GTEST_SKIP() << "no /proc on this system";
  EXPECT_EQ(FileSystem::Delete(guarded, FileSystem::Fast, FileSystem::Report), Nostrel::ErrAccessDenied);
  EXPECT_EQ(FileSystem::Delete(guarded, FileSystem::Fast, FileSystem::Ignore), Nostrel::NoError);
  EXPECT_TRUE(FileSystem::Exists(guarded));
}

TEST(NostrelFileType, MatchesTheExtensionOfTheLastNameIgnoringCase) {
  const Nostrel::FileType xml("IFC+SG Config file", "xml", 0, 0, 0);
  EXPECT_TRUE(xml.Matches(At("/configs/ifcsg.xml")));
  EXPECT_TRUE(xml.Matches(At("/configs/IFCSG.XML")));
  EXPECT_TRUE(xml.Matches(At("/configs/mixed.XmL")));
  EXPECT_FALSE(xml.Matches(At("/configs/ifcsg.xml.bak")));
  EXPECT_FALSE(xml.Matches(At("/configs/ifcsgxml")));
  EXPECT_FALSE(xml.Matches(At("/configs.xml/readme")));
  EXPECT_FALSE(xml.Matches(At("/configs/ifcsg.xsd")));
}

TEST(NostrelFileTypeManager, KeepsTypesFindableByIdOnlyWhileItLives) {
  Nostrel::FileTypeId first = 0;
  Nostrel::FileTypeId second = 0;
  {
    Nostrel::FileTypeManager manager("IFC+SG Config File");
    first = manager.AddType(Nostrel::FileType("IFC+SG Config file", "xml", 0, 0, 0));
    {
      Nostrel::FileTypeManager other("Other");
      second = other.AddType(Nostrel::FileType("Text", "txt", 0, 0, 0));
      EXPECT_NE(first, 0);
      EXPECT_NE(first, second);
      ASSERT_NE(Nostrel::FileTypeManager::FindType(second), nullptr);
    }
    EXPECT_EQ(Nostrel::FileTypeManager::FindType(second), nullptr);
    const Nostrel::FileType* kept = Nostrel::FileTypeManager::FindType(first);
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(Text(kept->GetDescription()), "IFC+SG Config file");
    EXPECT_EQ(Text(kept->GetExtension()), "xml");
    EXPECT_EQ(Text(manager.GetName()), "IFC+SG Config File");
  }
  EXPECT_EQ(Nostrel::FileTypeManager::FindType(first), nullptr);
}

TEST(NostrelFileTypeManager, GivesAnIdOnceInTheProcess) {
  Nostrel::FileTypeId earlier = 0;
  {
    Nostrel::FileTypeManager manager("Once");
    earlier = manager.AddType(Nostrel::FileType("A", "a", 0, 0, 0));
  }
  Nostrel::FileTypeManager manager("Again");
  EXPECT_NE(manager.AddType(Nostrel::FileType("A", "a", 0, 0, 0)), earlier);
  EXPECT_EQ(Nostrel::FileTypeManager::FindType(earlier), nullptr);
}

TEST(NostrelFileTypeManager, ReleasesEverythingItAllocated) {
  const Corbane::OwnerId owner = Corbane::RegisterOwner("file types under test");
  {
    const Corbane::OwnerScope scope(owner);
    Nostrel::FileTypeManager manager("Counted");
    manager.AddType(Nostrel::FileType("IFC+SG Config file", "xml", 0, 0, 0));
    EXPECT_GT(Corbane::OwnerStats(owner).liveBlocks, 0);
  }
  EXPECT_EQ(Corbane::OwnerStats(owner).liveBlocks, 0);
}
