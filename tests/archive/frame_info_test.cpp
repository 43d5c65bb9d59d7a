#include "archive/frame_info.h"

#include <gtest/gtest.h>

#include "archive/archive.h"
#include "tests/support/def_writer.h"

namespace dw::testing {
namespace {

// Every frame's head in table order; frames outside the table, and heads
// that do not fit in the file, give nothing.
TEST(FrameInfo, ReadsTheHeadOfAFrameInTableOrderAndNothingOutsideTheFile) {
  const ArchiveSpec plan = EightFrameSpec();
  const std::vector<uint8_t> bytes = BuildArchive(plan);
  const Archive state = ReadArchive(bytes).archive;
  for (int32_t i = 0; i < 8; ++i) {
    const auto head = ReadFrameHeader(state, bytes, i);
    ASSERT_TRUE(head.has_value()) << i;
    const SpriteFrame& f = plan.frames[i];
    EXPECT_EQ((std::vector<int32_t>{head->compression, head->fullWidth, head->fullHeight,
                                    head->width, head->height, head->leftMargin, head->topMargin}),
              (std::vector<int32_t>{f.compression, f.fullWidth, f.fullHeight, f.width, f.height,
                                    f.leftMargin, f.topMargin}));
  }
  EXPECT_FALSE(ReadFrameHeader(state, bytes, -1).has_value());
  EXPECT_FALSE(ReadFrameHeader(state, bytes, 8).has_value());
  EXPECT_FALSE(ReadFrameHeader(state, {1, 2, 3}, 0).has_value());  // bytes of a shorter file
  const auto size = static_cast<int32_t>(bytes.size());
  EXPECT_TRUE(ReadFrameHeaderAt(bytes, size - 32).has_value());
  EXPECT_FALSE(ReadFrameHeaderAt(bytes, size - 31).has_value());
  EXPECT_FALSE(ReadFrameHeaderAt(bytes, size).has_value());
  EXPECT_FALSE(ReadFrameHeaderAt(bytes, -4).has_value());
  EXPECT_FALSE(ReadFrameHeaderAt({}, 0).has_value());
}

}  // namespace
}  // namespace dw::testing
