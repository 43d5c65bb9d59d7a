#include "cli/inputs/archive_inputs.h"

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

// Only a lone file goes straight into the output folder; a folder or several
// inputs are batches. Missing inputs are errors and the rest is kept.
TEST(ArchiveInputs, OnlyALoneFileIsNotABatchAndMissingInputsAreErrors) {
  TempDir dir;
  std::filesystem::create_directory(dir.File("defs"));
  WriteFile(dir.File("defs/one.def"), {1});
  WriteFile(dir.File("a.def"), {1});
  const ArchiveInputs single = CollectArchives({dir.File("a.def")});
  EXPECT_TRUE(single.singleFile);
  EXPECT_EQ(single.archives, (std::vector<std::string>{dir.File("a.def")}));
  EXPECT_FALSE(CollectArchives({dir.File("defs")}).singleFile);
  const ArchiveInputs batch =
      CollectArchives({dir.File("a.def"), dir.File("gone.def"), dir.File("defs")});
  EXPECT_FALSE(batch.singleFile);
  EXPECT_EQ(batch.archives,
            (std::vector<std::string>{dir.File("a.def"), dir.File("defs") + "/one.def"}));
  ASSERT_EQ(batch.errors.size(), 1u);
  EXPECT_NE(batch.errors[0].find("gone.def"), std::string::npos);
}

TEST(ArchiveInputs, StemDropsOnlyTheLastExtension) {
  EXPECT_EQ(ArchiveStem("/x/creature.def"), "creature");
  EXPECT_EQ(ArchiveStem("a.b.DEF"), "a.b");
  EXPECT_EQ(ArchiveStem("noext"), "noext");
  EXPECT_EQ(ArchiveStem("/x/.def"), ".def");
  // A stem of "." or ".." would name the output folder itself or its parent.
  EXPECT_EQ(ArchiveStem("/x/..def"), "..def");
  EXPECT_EQ(ArchiveStem("/x/...def"), "...def");
}

}  // namespace
}  // namespace dw::cli
