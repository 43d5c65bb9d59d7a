#include "cli/archive_inputs.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/def_writer.h"

namespace dw::cli {
namespace {

using dw::testing::TempDir;
using dw::testing::WriteFile;

TEST(ArchiveInputs, FolderGivesDefFilesInAnyCaseSortedWithoutRegardToCase) {
  TempDir dir;
  for (const char* name : {"b.def", "A.DEF", ".hidden.def", "c.Def", "notes.txt", "d.def.bak"}) {
    WriteFile(dir.File(name), {1});
  }
  std::filesystem::create_directory(dir.File("x.def"));
  std::filesystem::permissions(dir.File("c.Def"), std::filesystem::perms::owner_read);
  std::string error;
  const std::vector<std::string> files = DefFilesInFolder(dir.path(), error);
  EXPECT_EQ(error, "");
  EXPECT_EQ(files, (std::vector<std::string>{dir.File(".hidden.def"), dir.File("A.DEF"),
                                             dir.File("b.def"), dir.File("c.Def")}));
}

TEST(ArchiveInputs, OneFileGoesStraightIntoTheOutputFolder) {
  TempDir dir;
  WriteFile(dir.File("a.def"), {1});
  const ArchiveInputs inputs = CollectArchives({dir.File("a.def")});
  EXPECT_TRUE(inputs.singleFile);
  EXPECT_EQ(inputs.archives, (std::vector<std::string>{dir.File("a.def")}));
}

TEST(ArchiveInputs, FoldersAndSeveralFilesAreBatches) {
  TempDir dir;
  std::filesystem::create_directory(dir.File("defs"));
  WriteFile(dir.File("defs/one.def"), {1});
  WriteFile(dir.File("a.def"), {1});
  const ArchiveInputs folder = CollectArchives({dir.File("defs")});
  EXPECT_FALSE(folder.singleFile);
  EXPECT_EQ(folder.archives, (std::vector<std::string>{dir.File("defs") + "/one.def"}));
  const ArchiveInputs both = CollectArchives({dir.File("a.def"), dir.File("defs")});
  EXPECT_FALSE(both.singleFile);
  EXPECT_EQ(both.archives.size(), 2u);
}

TEST(ArchiveInputs, MissingInputsAreErrorsAndTheRestIsKept) {
  TempDir dir;
  WriteFile(dir.File("a.def"), {1});
  const ArchiveInputs inputs = CollectArchives({dir.File("gone.def"), dir.File("a.def")});
  ASSERT_EQ(inputs.errors.size(), 1u);
  EXPECT_NE(inputs.errors[0].find("gone.def"), std::string::npos);
  EXPECT_EQ(inputs.archives, (std::vector<std::string>{dir.File("a.def")}));
}

TEST(ArchiveInputs, StemDropsOnlyTheLastExtension) {
  EXPECT_EQ(ArchiveStem("/x/creature.def"), "creature");
  EXPECT_EQ(ArchiveStem("a.b.DEF"), "a.b");
  EXPECT_EQ(ArchiveStem("noext"), "noext");
  EXPECT_EQ(ArchiveStem("/x/.def"), ".def");
}

}  // namespace
}  // namespace dw::cli
