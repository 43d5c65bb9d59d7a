// The folder listing shared by the DEF list and the converter, on real folders.
#include "archive/file_listing.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <utility>
#include <vector>

#include "tests/support/def_writer.h"

namespace dw {
namespace {

namespace fs = std::filesystem;

void Touch(const testing::TempDir& dir, const std::string& name) {
  std::ofstream(dir.File(name)) << "x";
}

TEST(FileListing, ListsMatchingFilesOfAnyCaseSortedByUpperCaseNames) {
  testing::TempDir dir;
  for (const char* name : {"b.def", "A.DEF", "c.Def", ".hidden.def", "readonly.def", "notes.txt",
                           "x.def.bak", "def", "_under.def", "[x.def", "^hat.def", "zed.DEF"}) {
    Touch(dir, name);
  }
  fs::permissions(dir.File("readonly.def"), fs::perms::owner_read);
  fs::create_directory(dir.File("x.def"));
  fs::create_symlink(dir.File("b.def"), dir.File("link.def"));
  fs::create_symlink(dir.File("gone"), dir.File("dangling.def"));
  fs::create_symlink(dir.File("x.def"), dir.File("dirlink.def"));

  EXPECT_EQ(ListMatchingFiles(dir.path(), "*.def"),
            (std::vector<std::string>{".hidden.def", "A.DEF", "b.def", "c.Def", "link.def",
                                      "readonly.def", "zed.DEF", "[x.def", "^hat.def",
                                      "_under.def"}));
  // A root-like folder path with its slash doubled lists the same.
  EXPECT_EQ(ListMatchingFiles(dir.path() + "//", "*.def").size(), 10u);
}

TEST(FileListing, AFolderThatCannotBeListedGivesNothingAndSaysWhy) {
  std::error_code error;
  EXPECT_TRUE(ListMatchingFiles("/no/such/folder", "*.def", &error).empty());
  EXPECT_TRUE(error);
  testing::TempDir dir;
  Touch(dir, "a.def");
  EXPECT_EQ(ListMatchingFiles(dir.File("a.def"), "*.def", &error).size(), 0u);  // not a folder
  EXPECT_TRUE(error);
  if (geteuid() != 0) {  // root reads any folder
    fs::permissions(dir.path(), fs::perms::none);
    EXPECT_TRUE(ListMatchingFiles(dir.path(), "*.def").empty());
    fs::permissions(dir.path(), fs::perms::owner_all);
  }
}

TEST(FileListing, PatternsMatchWithoutRegardToCase) {
  std::vector<bool> matches;
  for (const auto& [name, pattern] : std::vector<std::pair<const char*, const char*>>{
           {"UNITS.DEF", "*.def"}, {".def", "*.def"}, {"units.def2", "*.def"}, {"unitsdef", "*.def"},
           {"a.b.def", "*.def"}, {"ab", "a?"}, {"a", "a?"}, {"anything", "*"}}) {
    matches.push_back(MatchesPattern(name, pattern));
  }
  EXPECT_EQ(matches, (std::vector<bool>{true, true, false, false, true, true, false, true}));
}

}  // namespace
}  // namespace dw
