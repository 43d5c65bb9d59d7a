#include "cli/frame_selection.h"

#include <gtest/gtest.h>

namespace dw::cli {
namespace {

FrameSelection Parse(const std::string& spec) {
  std::string error;
  auto selection = ParseFrameSelection(spec, error);
  EXPECT_TRUE(selection.has_value()) << spec << ": " << error;
  return selection.value_or(FrameSelection{});
}

const std::vector<std::string> kNames = {"idle01.pcx", "idle02.pcx",   "walk01.pcx", "walk02.pcx",
                                         "Walk03.PCX", "hero.big.pcx", "дом.pcx"};

TEST(FrameSelection, IndicesRangesAndPatternsKeepTheOrderGiven) {
  const ResolvedFrames r = ResolveFrames(Parse("5,0-2,walk0?.pcx"), kNames);
  EXPECT_EQ(r.indices, (std::vector<int32_t>{5, 0, 1, 2, 2, 3, 4}));
  EXPECT_TRUE(r.outOfRange.empty());
}

TEST(FrameSelection, EmptySelectionMeansEveryFrame) {
  const ResolvedFrames r = ResolveFrames(FrameSelection{}, kNames);
  EXPECT_EQ(r.indices, (std::vector<int32_t>{0, 1, 2, 3, 4, 5, 6}));
}

TEST(FrameSelection, IndicesBeyondTheTableAreReported) {
  const ResolvedFrames r = ResolveFrames(Parse("6-9,12"), kNames);
  EXPECT_EQ(r.indices, (std::vector<int32_t>{6}));
  EXPECT_EQ(r.outOfRange, (std::vector<std::string>{"6-9", "12"}));
}

TEST(FrameSelection, SpacesAroundItemsAreIgnored) {
  const ResolvedFrames r = ResolveFrames(Parse(" 1 , 3 - 4 "), kNames);
  EXPECT_EQ(r.indices, (std::vector<int32_t>{1, 3, 4}));
}

TEST(FrameSelection, MalformedListsAreRefused) {
  for (const char* spec : {"", "1,,2", "1,", "5-3", "99999999999", "1-99999999999"}) {
    std::string error;
    EXPECT_FALSE(ParseFrameSelection(spec, error).has_value()) << spec;
    EXPECT_FALSE(error.empty()) << spec;
  }
}

TEST(FrameSelection, InTableOrderSortsAndDropsRepeats) {
  EXPECT_EQ(InTableOrder({5, 0, 2, 2, 1, 5}), (std::vector<int32_t>{0, 1, 2, 5}));
}

TEST(NamePattern, StarAndQuestionMark) {
  EXPECT_TRUE(MatchesNamePattern("walk*", "walk01.pcx"));
  EXPECT_TRUE(MatchesNamePattern("*.pcx", "walk01.pcx"));
  EXPECT_TRUE(MatchesNamePattern("w*k*1*", "walk01.pcx"));
  EXPECT_TRUE(MatchesNamePattern("walk0?.pcx", "walk01.pcx"));
  EXPECT_FALSE(MatchesNamePattern("walk0?.pcx", "walk011.pcx"));
  EXPECT_FALSE(MatchesNamePattern("walk", "walk01.pcx"));
  EXPECT_TRUE(MatchesNamePattern("*", ""));
  EXPECT_FALSE(MatchesNamePattern("?", ""));
}

TEST(NamePattern, AsciiCaseIsIgnored) {
  EXPECT_TRUE(MatchesNamePattern("WALK03.pcx", "Walk03.PCX"));
  EXPECT_TRUE(MatchesNamePattern("walk*.pcx", "WALK03.PCX"));
}

TEST(NamePattern, QuestionMarkMatchesOneCharacterNotOneByte) {
  EXPECT_TRUE(MatchesNamePattern("д?м.pcx", "дом.pcx"));
  EXPECT_TRUE(MatchesNamePattern("???.pcx", "дом.pcx"));
  EXPECT_FALSE(MatchesNamePattern("??????.pcx", "дом.pcx"));
}

TEST(NamePattern, ManyStarsStayFast) {
  const std::string name(2000, 'a');
  EXPECT_FALSE(MatchesNamePattern("*a*a*a*a*a*a*a*a*a*a*b", name));
}

}  // namespace
}  // namespace dw::cli
