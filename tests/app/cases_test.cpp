#include "app/cases.h"

#include <gtest/gtest.h>

namespace dw {
namespace {

// The Windows reading passes "\\:" (folders) and '\\' (paths); the defaults are "/".

TEST(Cases, CharSearchPositionsAreOneBasedAndZeroMeansNone) {
  EXPECT_EQ(CharPos("a.b.c", '.'), 2u);
  EXPECT_EQ(CharPos("", '.'), 0u);
  EXPECT_EQ(LastCharPos("a.b.c", '.'), 4u);
  EXPECT_EQ(LastCharPos(".", '.'), 1u);
  EXPECT_EQ(LastCharPos("abc", '.'), 0u);
  EXPECT_EQ(CharCount("a.b.c", '.'), 2u);
  EXPECT_EQ(LastPosOfAny("\\:", "C:\\a\\b"), 5u);
  EXPECT_EQ(LastPosOfAny("\\:", "C:b"), 2u);
  EXPECT_EQ(LastPosOfAny("\\:", "b.bmp"), 0u);
}

TEST(Cases, ExtractFolderKeepsTheTrailingSeparatorInBothReadings) {
  EXPECT_EQ(ExtractFolder("C:\\a\\b.bmp", "\\:"), "C:\\a\\");
  EXPECT_EQ(ExtractFolder("C:b.bmp", "\\:"), "C:");
  EXPECT_EQ(ExtractFolder("b.bmp", "\\:"), "");
  EXPECT_EQ(ExtractFolder("/home/me/strip.bmp"), "/home/me/");
  EXPECT_EQ(ExtractFolder("/strip.bmp"), "/");
  EXPECT_EQ(ExtractFolder("C:b.bmp"), "");
}

TEST(Cases, ShortenPathAbbreviatesEveryPathInBothReadings) {
  EXPECT_EQ(ShortenPath("units.def", '\\'), "units.def");
  EXPECT_EQ(ShortenPath("C:\\x", '\\'), "C:\\...\\x");
  EXPECT_EQ(ShortenPath("\\\\server\\share\\dir\\*.def", '\\'), "\\...\\*.def");
  EXPECT_EQ(ShortenPath("D:\\Games\\Sprites\\*.def", '\\'), "D:\\...\\*.def");
  EXPECT_EQ(ShortenPath("D:\\\\*.def", '\\'), "D:\\...\\*.def");
  EXPECT_EQ(ShortenPath("//*.def"), "/.../*.def");
  EXPECT_EQ(ShortenPath("a/x"), "a/.../x");
  EXPECT_EQ(ShortenPath("C:\\x"), "C:\\x");
}

}  // namespace
}  // namespace dw
