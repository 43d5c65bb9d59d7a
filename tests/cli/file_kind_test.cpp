#include "cli/inputs/file_kind.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/cli/cli_test_support.h"

namespace dw::testing {
namespace {

std::vector<uint8_t> Bytes(const std::string& text) {
  return std::vector<uint8_t>(text.begin(), text.end());
}

TEST(ForeignFileKind, NamesWhatOtherFilesAre) {
  std::vector<uint8_t> lod = Bytes(std::string("LOD\0", 4) + std::string(100, '\0'));
  EXPECT_EQ(cli::ForeignFileKind(lod), "a LOD container");
  EXPECT_TRUE(cli::IsLodContainer(lod));
  EXPECT_EQ(cli::ForeignFileKind(Bytes("\x89PNG\r\n\x1A\n....")), "a PNG image");
  EXPECT_EQ(cli::ForeignFileKind(Bytes(std::string("BM\x36\x04\0\0\0\0\0\0", 10) + "xxxx")),
            "a BMP image");
  EXPECT_EQ(cli::ForeignFileKind(Bytes("This is a readme file.\nIt has no zero bytes at all.")),
            "text");
  EXPECT_EQ(cli::ForeignFileKind(Bytes("\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a\x0b\x0c\x0d\x0e"
                                       "\x0f\x10\x11")),
            "another kind of file");
}

// Damaged archives stay archives: short heads and heads with zero bytes are
// left to the reader, whatever follows.
TEST(ForeignFileKind, ArchivesWholeOrDamagedAreNotForeign) {
  const std::vector<uint8_t> archive = BuildArchive(EightFrameSpec());
  EXPECT_FALSE(cli::ForeignFileKind(archive).has_value());
  EXPECT_FALSE(cli::ForeignFileKind({archive.begin(), archive.begin() + 10}).has_value());
  EXPECT_FALSE(cli::ForeignFileKind({}).has_value());
  std::vector<uint8_t> damaged = archive;
  PutInt32(damaged, 12, -1);  // block count
  PutInt32(damaged, 4, -1);
  EXPECT_FALSE(cli::ForeignFileKind(damaged).has_value());
}

}  // namespace
}  // namespace dw::testing
