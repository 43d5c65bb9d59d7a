#include "app/cases.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dw {
namespace {

using Strings = std::vector<std::string>;

// The Windows reading passes "\\:" (folders) and '\\' (paths); the defaults are "/".
// The character searches they are built on are tested through them and
// ShownImagePath.

TEST(Cases, ExtractFolderKeepsTheTrailingSeparatorInBothReadings) {
  EXPECT_EQ((Strings{ExtractFolder("C:\\a\\b.bmp", "\\:"), ExtractFolder("C:b.bmp", "\\:"),
                     ExtractFolder("b.bmp", "\\:"), ExtractFolder("/home/me/strip.bmp"),
                     ExtractFolder("/strip.bmp"), ExtractFolder("C:b.bmp")}),
            (Strings{"C:\\a\\", "C:", "", "/home/me/", "/", ""}));
}

TEST(Cases, ShortenPathAbbreviatesEveryPathInBothReadings) {
  EXPECT_EQ((Strings{ShortenPath("units.def", '\\'), ShortenPath("C:\\x", '\\'),
                     ShortenPath("\\\\server\\share\\dir\\*.def", '\\'),
                     ShortenPath("D:\\Games\\Sprites\\*.def", '\\'), ShortenPath("D:\\\\*.def", '\\'),
                     ShortenPath("//*.def"), ShortenPath("a/x"), ShortenPath("C:\\x")}),
            (Strings{"units.def", "C:\\...\\x", "\\...\\*.def", "D:\\...\\*.def", "D:\\...\\*.def",
                     "/.../*.def", "a/.../x", "C:\\x"}));
}

}  // namespace
}  // namespace dw
