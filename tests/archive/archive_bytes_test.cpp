#include "archive/archive_bytes.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>

#include "tests/support/def_writer.h"

namespace dw {
namespace {

using testing::TempDir;
using testing::WriteFile;
using Bytes = std::vector<uint8_t>;

// Bytes are reused only while the file is unchanged: a rewrite at once (the
// stamps may not have moved), a replacement or a removal is seen.
TEST(ArchiveBytes, FollowsTheFileAndReusesItsBytesWhileUnchanged) {
  TempDir dir;
  const std::string path = dir.File("a.def");
  ArchiveBytes cache;
  WriteFile(path, {1, 2, 3});
  EXPECT_EQ(*cache.Current(path), (Bytes{1, 2, 3}));
  WriteFile(path, {4, 5, 6});
  EXPECT_EQ(*cache.Current(path), (Bytes{4, 5, 6}));
  ::usleep(120'000);  // time stamps settle
  const auto settled = cache.Current(path);
  ASSERT_TRUE(settled);
  EXPECT_EQ(*settled, (Bytes{4, 5, 6}));
  EXPECT_EQ(cache.Current(path), settled);
  WriteFile(dir.File("b.def"), {7, 8, 9});
  ASSERT_EQ(std::rename(dir.File("b.def").c_str(), path.c_str()), 0);
  EXPECT_EQ(*cache.Current(path), (Bytes{7, 8, 9}));
  ASSERT_EQ(::unlink(path.c_str()), 0);
  EXPECT_EQ(cache.Current(path), nullptr);
}

}  // namespace
}  // namespace dw
