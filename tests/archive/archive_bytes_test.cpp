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

TEST(ArchiveBytes, ReusesTheBytesWhileTheFileIsUnchanged) {
  TempDir dir;
  const std::string path = dir.File("a.def");
  WriteFile(path, {1, 2, 3});
  ::usleep(120'000);  // time stamps settle
  ArchiveBytes cache;
  const auto first = cache.Current(path);
  ASSERT_TRUE(first);
  EXPECT_EQ(*first, (Bytes{1, 2, 3}));
  EXPECT_EQ(cache.Current(path), first);
}

TEST(ArchiveBytes, SeesAFileRewrittenInPlaceWithTheSameSize) {
  TempDir dir;
  const std::string path = dir.File("a.def");
  ArchiveBytes cache;
  WriteFile(path, {1, 2, 3});
  EXPECT_EQ(*cache.Current(path), (Bytes{1, 2, 3}));
  WriteFile(path, {4, 5, 6});  // at once: the stamps may not have moved
  EXPECT_EQ(*cache.Current(path), (Bytes{4, 5, 6}));
}

TEST(ArchiveBytes, SeesAFileReplacedByAnother) {
  TempDir dir;
  const std::string path = dir.File("a.def");
  WriteFile(path, {1, 2, 3});
  ::usleep(120'000);
  ArchiveBytes cache;
  cache.Current(path);
  WriteFile(dir.File("b.def"), {7, 8, 9});
  ASSERT_EQ(std::rename(dir.File("b.def").c_str(), path.c_str()), 0);
  EXPECT_EQ(*cache.Current(path), (Bytes{7, 8, 9}));
  ASSERT_EQ(::unlink(path.c_str()), 0);
  EXPECT_EQ(cache.Current(path), nullptr);
}

}  // namespace
}  // namespace dw
