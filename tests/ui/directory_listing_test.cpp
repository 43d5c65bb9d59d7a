// A list box filled from a folder listing, on a real temporary folder.
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
