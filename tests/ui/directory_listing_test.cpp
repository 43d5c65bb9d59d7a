// The DEF folder listing on a real temporary folder.
#include "ui/directory_listing.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "tests/ui/layer_fixture.h"

namespace {

namespace fs = std::filesystem;

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "dw-listing-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
  }
  ~TempFolder() {
    std::error_code ignored;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
  }
  const fs::path& path() const { return path_; }
  void File(const std::string& name) { std::ofstream(path_ / name) << "x"; }

 private:
  fs::path path_;
};

TEST(DirectoryListing, ListsMatchingFilesOfAnyCaseSortedWithoutRegardToCase) {
  TempFolder folder;
  for (const char* name : {"b.def", "A.DEF", "c.Def", ".hidden.def", "readonly.def", "notes.txt",
                           "x.def.bak", "def"}) {
    folder.File(name);
  }
  fs::permissions(folder.path() / "readonly.def", fs::perms::owner_read);
  fs::create_directory(folder.path() / "x.def");
  fs::create_symlink(folder.path() / "b.def", folder.path() / "link.def");
  fs::create_symlink(folder.path() / "gone", folder.path() / "dangling.def");
  fs::create_symlink(folder.path() / "x.def", folder.path() / "dirlink.def");

  EXPECT_EQ(ui::ListMatchingFiles(folder.path().string() + "/*.def"),
            (std::vector<std::string>{".hidden.def", "A.DEF", "b.def", "c.Def", "link.def",
                                      "readonly.def"}));
}

TEST(DirectoryListing, AFolderThatCannotBeListedGivesNothing) {
  EXPECT_TRUE(ui::ListMatchingFiles("/no/such/folder/*.def").empty());
  TempFolder folder;
  folder.File("a.def");
  if (geteuid() != 0) {  // root reads any folder
    fs::permissions(folder.path(), fs::perms::none);
    EXPECT_TRUE(ui::ListMatchingFiles(folder.path().string() + "/*.def").empty());
  }
}

TEST(DirectoryListing, PatternsMatchWithoutRegardToCase) {
  EXPECT_TRUE(ui::MatchesPattern("UNITS.DEF", "*.def"));
  EXPECT_TRUE(ui::MatchesPattern(".def", "*.def"));
  EXPECT_FALSE(ui::MatchesPattern("units.def2", "*.def"));
  EXPECT_FALSE(ui::MatchesPattern("unitsdef", "*.def"));
  EXPECT_TRUE(ui::MatchesPattern("a.b.def", "*.def"));
  EXPECT_TRUE(ui::MatchesPattern("ab", "a?"));
  EXPECT_FALSE(ui::MatchesPattern("a", "a?"));
  EXPECT_TRUE(ui::MatchesPattern("anything", "*"));
}

using DirectoryList = LayerTest;

TEST_F(DirectoryList, AddsTheListingToAListBoxWithNothingSelected) {
  TempFolder folder;
  folder.File("Zed.def");
  folder.File("alpha.def");
  ui::Control& list = ui::CreateListBox(MakeForm());
  ui::AddDirectoryListing(list, folder.path().string() + "/*.def");
  ASSERT_EQ(ui::ItemCount(list), 2);
  EXPECT_EQ(ui::ItemText(list, 0), "alpha.def");
  EXPECT_EQ(ui::ItemText(list, 1), "Zed.def");
  EXPECT_EQ(ui::CurrentIndex(list), -1);
}

}  // namespace
