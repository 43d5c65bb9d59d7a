#include "cli/run/suggestion.h"

#include <gtest/gtest.h>

namespace dw::cli {
namespace {

TEST(ClosestName, FindsSlipsButNotStrangers) {
  const std::vector<std::string> commands = {"list", "info", "export", "strip"};
  EXPECT_EQ(ClosestName("exprot", commands), "export");
  EXPECT_EQ(ClosestName("lits", commands), "list");
  EXPECT_EQ(ClosestName("strp", commands), "strip");
  EXPECT_EQ(ClosestName("convert", commands), "");
  EXPECT_EQ(ClosestName("", commands), "");
  EXPECT_EQ(ClosestName(std::string(10000, 'x'), commands), "");
  EXPECT_EQ(ClosestName("--uniq-names", {"--frames", "--unique-names"}), "--unique-names");
}

}  // namespace
}  // namespace dw::cli
