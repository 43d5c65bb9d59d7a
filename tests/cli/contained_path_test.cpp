#include "cli/pack_plan/contained_path.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/def_writer.h"

namespace dw::testing {
namespace {

namespace fs = std::filesystem;

// Paths of plain folders and files are taken as they are; one that holds a
// link is taken when the link leads to a file inside, by the link's target.
TEST(ContainedFolder, TakesRegularFilesInsideAndLinksThatStayInside) {
  TempDir dir;
  fs::create_directories(dir.File("root/sub"));
  WriteFile(dir.File("root/sub/a.bmp"), {1});
  WriteFile(dir.File("outside.bmp"), {1});
  fs::create_symlink("sub/a.bmp", dir.File("root/in.bmp"));
  fs::create_symlink("sub", dir.File("root/folder"));
  fs::create_symlink("../outside.bmp", dir.File("root/out.bmp"));
  const cli::ContainedFolder root(dir.File("root"));
  const std::string a = fs::canonical(dir.File("root/sub/a.bmp")).string();
  EXPECT_EQ(root.File("sub/a.bmp"), a);
  EXPECT_EQ(root.File("./sub//a.bmp"), fs::canonical(dir.File("root")).string() + "/sub/a.bmp");
  EXPECT_EQ(root.File("in.bmp"), a);
  EXPECT_EQ(root.File("folder/a.bmp"), a);
  for (const char* refused : {"out.bmp", "sub", "sub/", "sub/.", "sub/a.bmp/", "gone.bmp"})
    EXPECT_EQ(root.File(refused), std::nullopt) << refused;
}

}  // namespace
}  // namespace dw::testing
