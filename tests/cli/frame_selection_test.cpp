#include "cli/inputs/frame_selection.h"

#include <gtest/gtest.h>

#include <tuple>

namespace dw::cli {
namespace {

const std::vector<std::string> kNames = {"idle01.pcx", "idle02.pcx",   "walk01.pcx", "walk02.pcx",
                                         "Walk03.PCX", "hero.big.pcx", "дом.pcx"};

// Indices, ranges and patterns keep the order given; spaces around items are
// ignored; selectors wholly beyond the table are reported, ranges reaching
// past its end are cut there and reported apart.
TEST(FrameSelection, ResolvesInTheOrderGivenAndReportsIndicesBeyondTheTable) {
  const struct {
    const char* plan;
    std::vector<int32_t> indices;
    std::vector<std::string> outOfRange, pastEnd;
  } cases[] = {{"5,0-2,walk0?.pcx", {5, 0, 1, 2, 2, 3, 4}, {}, {}},
               {" 1 , 3 - 4 ", {1, 3, 4}, {}, {}},
               {"6-9,12,7-8", {6}, {"12", "7-8"}, {"6-9"}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.plan);
    std::string error;
    const auto selection = ParseFrameSelection(c.plan, error);
    ASSERT_TRUE(selection.has_value()) << error;
    const ResolvedFrames r = ResolveFrames(*selection, kNames);
    EXPECT_EQ(std::tie(r.indices, r.outOfRange, r.pastEnd), std::tie(c.indices, c.outOfRange, c.pastEnd));
  }
  EXPECT_EQ(ResolveFrames(FrameSelection{}, kNames).indices,
            (std::vector<int32_t>{0, 1, 2, 3, 4, 5, 6}));
}

TEST(FrameSelection, MalformedListsAreRefused) {
  for (const char* plan : {"", "1,,2", "1,", "5-3", "99999999999", "1-99999999999"}) {
    std::string error;
    EXPECT_FALSE(ParseFrameSelection(plan, error).has_value()) << plan;
    EXPECT_FALSE(error.empty()) << plan;
  }
}

TEST(FrameSelection, InTableOrderSortsAndDropsRepeats) {
  EXPECT_EQ(InTableOrder({5, 0, 2, 2, 1, 5}), (std::vector<int32_t>{0, 1, 2, 5}));
}

// "?" stands for one character, not one byte; ASCII case is ignored.
TEST(NamePattern, StarQuestionMarkAndCase) {
  const struct {
    const char* pattern;
    const char* name;
    bool matches;
  } cases[] = {{"walk*", "walk01.pcx", true},       {"*.pcx", "walk01.pcx", true},
               {"w*k*1*", "walk01.pcx", true},      {"walk0?.pcx", "walk01.pcx", true},
               {"walk0?.pcx", "walk011.pcx", false}, {"walk", "walk01.pcx", false},
               {"walk01", "walk01.pcx", true},      {"hero.big", "hero.big.pcx", true},
               {"walk01", "walk01", true},          {"*", "", true},
               {"?", "", false},                    {"WALK03.pcx", "Walk03.PCX", true},
               {"walk*.pcx", "WALK03.PCX", true},   {"д?м.pcx", "дом.pcx", true},
               {"???.pcx", "дом.pcx", true},        {"??????.pcx", "дом.pcx", false}};
  for (const auto& c : cases) {
    EXPECT_EQ(MatchesNamePattern(c.pattern, c.name), c.matches) << c.pattern << " " << c.name;
  }
}

TEST(NamePattern, ManyStarsStayFast) {
  const std::string name(2000, 'a');
  EXPECT_FALSE(MatchesNamePattern("*a*a*a*a*a*a*a*a*a*a*b", name));
}

}  // namespace
}  // namespace dw::cli
