#include "archive/text_encoding.h"

#include <gtest/gtest.h>

namespace dw {
namespace {

TEST(Cp1251, MapsTheCyrillicLettersAndSigns) {
  EXPECT_EQ(Cp1251ToUtf8("\xC0\xFF\xA8\xB8"), "АяЁё");
  EXPECT_EQ(Cp1251ToUtf8("\x80\x88\xB9\x99\xA0"), "Ђ€№™\u00A0");
  EXPECT_EQ(Cp1251ToUtf8("walk 01.pcx"), "walk 01.pcx");
  EXPECT_EQ(Cp1251ToUtf8("\x98"), "\uFFFD");
}

TEST(Cp1251, EveryDefinedByteSurvivesTheRoundTrip) {
  for (int byte = 1; byte < 256; ++byte) {
    const std::string one(1, char(byte));
    EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(one)), byte == 0x98 ? "?" : one) << byte;
  }
}

TEST(Cp1251, CharactersOutsideTheCodePageBecomeQuestionMarks) {
  EXPECT_EQ(Utf8ToCp1251("日本"), "??");
  EXPECT_EQ(Utf8ToCp1251("a\xC3"), "a?");  // cut-off sequence
  EXPECT_EQ(Utf8ToCp1251("\xFF\x80z"), "??z");
}

TEST(Cp1251, FileNamesShowAsUtf8WhateverTheirBytes) {
  const std::pair<std::string, std::string> cases[] = {
      {"knight.def", "knight.def"},
      {"конь.def", "конь.def"},                // already UTF-8
      {"\uFFFD.def", "\uFFFD.def"},            // a real replacement character
      {"\xEA\xEE\xED\xFC.def", "конь.def"},  // Windows-1251 bytes
      {"\xD0.def", "Р.def"},                  // a UTF-8 lead byte without its tail
  };
  for (const auto& [bytes, shown] : cases) EXPECT_EQ(FileNameAsUtf8(bytes), shown) << bytes;
}

}  // namespace
}  // namespace dw
