// Saving replaces the project file whole or not at all.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "ForvaneHost/ProjectFile.hpp"
#include "support/project_builder.hpp"
#include "support/scratch_folder.hpp"

namespace {

namespace fs = std::filesystem;
using testing_support::ProjectBuilder;
using testing_support::ReadText;
using testing_support::WriteText;

fvhost::Project SomeProject(int elements) {
  ProjectBuilder b;
  auto g = b.Group("Pset_WallCommon");
  auto d = b.Definition(g, "FireRating");
  for (int i = 0; i < elements; ++i) b.Set(b.Element("Wall"), d, "2HR");
  return b.Build();
}

class ProjectFileSave : public testing::Test {
 protected:
  std::size_t FilesInFolder() const {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()));
  }
  testing_support::ScratchFolder scratch_;
  fs::path folder_ = scratch_.path();
};

TEST_F(ProjectFileSave, WritesAFileThatLoadsBack) {
  const auto path = folder_ / "project.json";
  WriteText(path, "old");
  std::string error;
  const fvhost::Project project = SomeProject(3);
  ASSERT_TRUE(fvhost::SaveProjectFile(project, path.string(), error)) << error;
  EXPECT_EQ(ReadText(path), fvhost::ProjectToJson(project));
  const auto back = fvhost::LoadProjectFile(path.string(), error);
  ASSERT_TRUE(back.has_value()) << error;
  EXPECT_TRUE(*back == project);
  EXPECT_EQ(FilesInFolder(), 1u) << "no temporary file is left beside the project";
}

TEST_F(ProjectFileSave, KeepsTheOldFileWhenTheFolderCannotBeWritten) {
  if (::geteuid() == 0) GTEST_SKIP() << "folder permissions do not bind the superuser; see the size-limit test";
  const auto path = folder_ / "project.json";
  WriteText(path, "the old project, byte for byte");
  fs::permissions(folder_, fs::perms::owner_read | fs::perms::owner_exec);
  std::string error;
  EXPECT_FALSE(fvhost::SaveProjectFile(SomeProject(2), path.string(), error));
  EXPECT_THAT(error, testing::HasSubstr(folder_.string()));
  fs::permissions(folder_, fs::perms::owner_all);
  EXPECT_EQ(ReadText(path), "the old project, byte for byte");
  EXPECT_EQ(FilesInFolder(), 1u);
}

// A write that fails half-way (the disk full, a quota) must not touch the old
// file and must not leave the half-written one behind.
TEST_F(ProjectFileSave, KeepsTheOldFileWhenAWriteFailsHalfWay) {
  const auto path = folder_ / "project.json";
  const std::string old = "the old project, byte for byte";
  WriteText(path, old);
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto* previousHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 4096;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  std::string error;
  const bool saved_ok = fvhost::SaveProjectFile(SomeProject(200), path.string(), error);
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previousHandler);
  EXPECT_FALSE(saved_ok);
  EXPECT_THAT(error, testing::HasSubstr("cannot write"));
  EXPECT_EQ(ReadText(path), old);
  EXPECT_EQ(FilesInFolder(), 1u);
}

TEST_F(ProjectFileSave, FailsIntoAFolderThatDoesNotExist) {
  std::string error;
  EXPECT_FALSE(fvhost::SaveProjectFile(SomeProject(1), (folder_ / "missing" / "project.json").string(), error));
  EXPECT_THAT(error, testing::HasSubstr("cannot create a file in"));
}

TEST_F(ProjectFileSave, KeepsThePermissionsOfTheFileItReplaces) {
  const auto path = folder_ / "project.json";
  WriteText(path, "old");
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  std::string error;
  ASSERT_TRUE(fvhost::SaveProjectFile(SomeProject(1), path.string(), error)) << error;
  EXPECT_EQ(fs::status(path).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

}  // namespace
