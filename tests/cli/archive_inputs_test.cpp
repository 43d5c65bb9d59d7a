#include "cli/inputs/archive_inputs.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/def_writer.h"

namespace dw::cli {
namespace {

using dw::testing::TempDir;
using dw::testing::WriteFile;

// Only a lone file goes straight into the output folder; a folder or several
// inputs are batches. Missing inputs are errors and the rest is kept. Which
// files of a folder are archives is archive/file_listing's rule.
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
