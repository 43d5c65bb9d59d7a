#include "archive/frame_info.h"

#include <gtest/gtest.h>

#include "tests/cli/cli_test_support.h"

namespace dw::testing {
namespace {

TEST(FrameInfo, ReadsTheHeadOfAFrameInTableOrder) {
  TempDir dir;
  const ArchiveSpec spec = EightFrameSpec();
  ConversionState state;
  InitConversionState(state);
  LoadArchive(state, WriteArchive(dir, "u.def", spec));
  for (int32_t i = 0; i < 8; ++i) {
    const auto head = ReadFrameHeader(state, i);
    ASSERT_TRUE(head.has_value()) << i;
    const SpriteFrame& f = spec.frames[i];
    EXPECT_EQ(head->compression, f.compression);
    EXPECT_EQ(head->fullWidth, f.fullWidth);
    EXPECT_EQ(head->fullHeight, f.fullHeight);
    EXPECT_EQ(head->width, f.width);
    EXPECT_EQ(head->height, f.height);
    EXPECT_EQ(head->leftMargin, f.leftMargin);
    EXPECT_EQ(head->topMargin, f.topMargin);
  }
  EXPECT_FALSE(ReadFrameHeader(state, -1).has_value());
  EXPECT_FALSE(ReadFrameHeader(state, 8).has_value());
}

TEST(FrameInfo, HeadThatDoesNotFitInTheFileGivesNothing) {
  const ArchiveSpec spec = EightFrameSpec();
  const std::vector<uint8_t> bytes = BuildArchive(spec);
  const auto size = static_cast<int32_t>(bytes.size());
  EXPECT_TRUE(ReadFrameHeaderAt(bytes, size - 32).has_value());
  EXPECT_FALSE(ReadFrameHeaderAt(bytes, size - 31).has_value());
  EXPECT_FALSE(ReadFrameHeaderAt(bytes, size).has_value());
  EXPECT_FALSE(ReadFrameHeaderAt(bytes, -4).has_value());
  EXPECT_FALSE(ReadFrameHeaderAt({}, 0).has_value());
}

TEST(FrameInfo, ArchiveReplacedByAShorterFileGivesNothing) {
  TempDir dir;
  ConversionState state;
  InitConversionState(state);
  const std::string path = WriteArchive(dir, "u.def", EightFrameSpec());
  LoadArchive(state, path);
  WriteFile(path, {1, 2, 3});
  EXPECT_FALSE(ReadFrameHeader(state, 0).has_value());
}

}  // namespace
}  // namespace dw::testing
