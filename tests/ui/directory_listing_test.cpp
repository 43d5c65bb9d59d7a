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
  folder.File("\xEA\xEE\xED\xFC.def");  // "конь" in Windows-1251, as unzip leaves it
  ui::Control& list = ui::CreateListBox(MakeForm());
  ui::AddDirectoryListing(list, folder.path().string() + "/*.def");
  ASSERT_EQ(ui::ItemCount(list), 3);
  const std::pair<std::string, std::string> expected[] = {
      {"alpha.def", "alpha.def"}, {"Zed.def", "Zed.def"}, {"конь.def", "\xEA\xEE\xED\xFC.def"}};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(ui::ItemText(list, i), expected[i].first);
    EXPECT_EQ(ui::ItemData(list, i), expected[i].second);
  }
  EXPECT_EQ(ui::CurrentIndex(list), -1);
}

}  // namespace
