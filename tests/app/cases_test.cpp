#include "app/cases.h"

#include <gtest/gtest.h>

namespace dw {
namespace {

constexpr std::string_view kWindowsFolderSeparators = "\\:";
constexpr char kWindowsPathSeparator = '\\';

TEST(CharSearch, PositionsAreOneBasedAndZeroMeansNone) {
  EXPECT_EQ(CharPos("a.b.c", '.'), 2u);
  EXPECT_EQ(CharPos("abc", '.'), 0u);
  EXPECT_EQ(CharPos("", '.'), 0u);
  EXPECT_EQ(LastCharPos("a.b.c", '.'), 4u);
  EXPECT_EQ(LastCharPos(".", '.'), 1u);
  EXPECT_EQ(LastCharPos("", '.'), 0u);
  EXPECT_EQ(CharCount("a.b.c", '.'), 2u);
  EXPECT_EQ(CharCount("", '.'), 0u);
}

TEST(CharSearch, LastPosOfAnyTakesTheRightmostOfTheSet) {
  EXPECT_EQ(LastPosOfAny("\\:", "C:\\a\\b"), 5u);
  EXPECT_EQ(LastPosOfAny("\\:", "C:b"), 2u);
  EXPECT_EQ(LastPosOfAny("\\:", "b.bmp"), 0u);
  EXPECT_EQ(LastPosOfAny("", "a/b"), 0u);
}

TEST(ExtractFolder, KeepsTheTrailingSeparatorInTheWindowsReading) {
  EXPECT_EQ(ExtractFolder("C:\\a\\b.bmp", kWindowsFolderSeparators), "C:\\a\\");
  EXPECT_EQ(ExtractFolder("C:b.bmp", kWindowsFolderSeparators), "C:");
  EXPECT_EQ(ExtractFolder("b.bmp", kWindowsFolderSeparators), "");
}

TEST(ExtractFolder, UsesSlashOnThisPlatform) {
  EXPECT_EQ(ExtractFolder("/home/me/strip.bmp"), "/home/me/");
  EXPECT_EQ(ExtractFolder("/strip.bmp"), "/");
  EXPECT_EQ(ExtractFolder("C:b.bmp"), "");
  EXPECT_EQ(ExtractFolder("b.bmp"), "");
}

TEST(ShortenPath, AbbreviatesEveryPathInTheWindowsReading) {
  EXPECT_EQ(ShortenPath("units.def", kWindowsPathSeparator), "units.def");
  EXPECT_EQ(ShortenPath("C:\\x", kWindowsPathSeparator), "C:\\...\\x");
  EXPECT_EQ(ShortenPath("\\\\server\\share\\dir\\*.def", kWindowsPathSeparator), "\\...\\*.def");
  EXPECT_EQ(ShortenPath("D:\\Games\\Sprites\\*.def", kWindowsPathSeparator), "D:\\...\\*.def");
  EXPECT_EQ(ShortenPath("D:\\\\*.def", kWindowsPathSeparator), "D:\\...\\*.def");
}

TEST(ShortenPath, AbbreviatesEveryPathOnThisPlatform) {
  EXPECT_EQ(ShortenPath("units.def"), "units.def");
  EXPECT_EQ(ShortenPath("/home/me/defs/*.def"), "/.../*.def");
  EXPECT_EQ(ShortenPath("//*.def"), "/.../*.def");
  EXPECT_EQ(ShortenPath("a/x"), "a/.../x");
  EXPECT_EQ(ShortenPath("C:\\x"), "C:\\x");
}

}  // namespace
}  // namespace dw
