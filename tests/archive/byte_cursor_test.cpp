#include "archive/byte_cursor.h"

#include <gtest/gtest.h>

namespace dw {
namespace {

// No read hands out a byte past the end: at the end each gives nothing and
// leaves the position where it was.
TEST(ByteCursor, ReadsUpToTheEndAndNeverPastIt) {
  const uint8_t bytes[6] = {1, 2, 3, 4, 5, 6};
  ByteCursor in(bytes, 6);
  EXPECT_EQ(in.Peek(6), bytes);
  EXPECT_EQ(in.Peek(7), nullptr);
  EXPECT_EQ(in.Peek(-1), nullptr);
  EXPECT_FALSE(in.SeekTo(7));
  EXPECT_FALSE(in.SeekTo(-1));
  ASSERT_TRUE(in.SeekTo(3));
  EXPECT_EQ(in.ReadI32(), std::nullopt);
  EXPECT_EQ(in.Peek(4), nullptr);
  EXPECT_EQ(in.ReadU16(), 0x0504);
  EXPECT_EQ(in.ReadU16(), std::nullopt);
  EXPECT_EQ(in.ReadU8(), 6);
  EXPECT_EQ(in.ReadU8(), std::nullopt);
  EXPECT_TRUE(in.exhausted());
  uint8_t out[4] = {9, 9, 9, 9};
  ASSERT_TRUE(in.SeekTo(4));
  EXPECT_EQ(in.ReadInto(out, 4), 2);
  EXPECT_EQ(out[1], 6);
  EXPECT_EQ(out[2], 9);
  in.SeekTo(1);
  in.Skip(100);
  EXPECT_EQ(in.position(), 6);
}

}  // namespace
}  // namespace dw
