#include "cli/output_names.h"

#include <gtest/gtest.h>

namespace dw::cli {
namespace {

Archive TableOf(const std::vector<std::pair<std::string, int32_t>>& entries) {
  Archive archive;
  for (const auto& [name, offset] : entries) archive.frames.push_back({name, offset});
  return archive;
}

std::vector<int32_t> All(const Archive& archive) {
  std::vector<int32_t> indices;
  for (int32_t i = 0; i < archive.frameCount(); ++i) indices.push_back(i);
  return indices;
}

TEST(OutputNames, UniqueNamesNumberLaterEntriesAndNeverReuseAName) {
  const Archive archive = TableOf({{"CS_Reconstruc", 100},
                                   {"CS_Reconstruc", 200},
                                   {"CS_Reconstruc", 300},
                                   {"a.pcx", 400},
                                   {"a.pcx", 400},
                                   {"a~2.pcx", 500},
                                   {"A.pcx", 600}});
  const OutputNames names = PlanOutputNames(archive, All(archive), "bmp", true);
  EXPECT_EQ(names.files, (std::vector<std::string>{"CS_Reconstruc.bmp", "CS_Reconstruc~2.bmp",
                                                   "CS_Reconstruc~3.bmp", "a.bmp", "a~2.bmp",
                                                   "a~2~2.bmp", "A.bmp"}));
  EXPECT_EQ(names.overwrittenCount, 0);
}

// Entries of one head write the same bytes; only other heads are lost.
TEST(OutputNames, DefaultNamesCountTheDistinctFramesALaterOneReplaces) {
  const Archive archive = TableOf({{"walk.pcx", 10},
                                   {"walk.pcx", 10},
                                   {"walk.pcx", 20},
                                   {"walk.big", 30},
                                   {"idle.pcx", 40},
                                   {"idle.pcx", 40}});
  const OutputNames names = PlanOutputNames(archive, All(archive), "png", false);
  EXPECT_EQ(names.files, (std::vector<std::string>{"walk.png", "walk.png", "walk.png", "walk.png",
                                                   "idle.png", "idle.png"}));
  EXPECT_EQ(names.overwritten, (std::vector<bool>{true, true, true, false, false, false}));
  EXPECT_EQ(names.overwrittenCount, 2);  // the heads at 10 and 20
}

TEST(OutputNames, EmptyHiddenAndControlNamesBecomeVisibleSafeNames) {
  const Archive archive = TableOf(
      {{"", 1}, {"..\\..\\x.pcx", 2}, {".hidden", 3}, {"a\x01\x1F" "b.pcx", 4}, {"../up", 5}});
  const OutputNames names = PlanOutputNames(archive, All(archive), "bmp", true);
  EXPECT_EQ(names.files,
            (std::vector<std::string>{"unnamed-0.bmp", "unnamed-1.bmp", "unnamed-2.bmp",
                                      "a__b.bmp", "unnamed-4.bmp"}));
}

}  // namespace
}  // namespace dw::cli
