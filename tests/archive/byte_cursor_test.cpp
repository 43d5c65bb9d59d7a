#include "archive/byte_cursor.h"

#include <gtest/gtest.h>

#include <tuple>

namespace dw {
namespace {

// No read hands out a byte past the end: at the end each gives nothing and
// leaves the position where it was.
TEST(ByteCursor, ReadsUpToTheEndAndNeverPastIt) {
  const uint8_t bytes[6] = {1, 2, 3, 4, 5, 6};
  ByteCursor in(bytes, 6);
  EXPECT_EQ(std::tuple(in.Peek(6), in.Peek(7), in.Peek(-1), in.SeekTo(7), in.SeekTo(-1)),
            std::tuple(bytes, nullptr, nullptr, false, false));
  ASSERT_TRUE(in.SeekTo(3));
  const auto i32 = in.ReadI32();
  const uint8_t* const past = in.Peek(4);
  const auto u16 = in.ReadU16(), u16End = in.ReadU16();
  const auto u8 = in.ReadU8(), u8End = in.ReadU8();
  EXPECT_EQ(std::tuple(i32, past, u16, u16End, u8, u8End, in.exhausted()),
            std::tuple(std::nullopt, nullptr, 0x0504, std::nullopt, 6, std::nullopt, true));
  uint8_t out[4] = {9, 9, 9, 9};
  ASSERT_TRUE(in.SeekTo(4));
  EXPECT_EQ(in.ReadInto(out, 4), 2);
  in.SeekTo(1);
  in.Skip(100);
  EXPECT_EQ(std::tuple(out[1], out[2], in.position()), std::tuple(6, 9, 6));
}

}  // namespace
}  // namespace dw
