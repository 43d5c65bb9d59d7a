#include "app/cases.h"

#include <gtest/gtest.h>

namespace dw {
namespace {

// The Windows reading passes "\\:" (folders) and '\\' (paths); the defaults are "/".
// The character searches they are built on are tested through them and
// ShownImagePath.

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
