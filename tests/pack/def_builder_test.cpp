#include "pack/def_builder.h"

#include <gtest/gtest.h>

#include "tests/support/def_writer.h"

namespace dw::pack {
namespace {

using Bytes = std::vector<uint8_t>;

FrameName Name(const std::string& text) { return *NameField(text); }

TEST(BuildDef, LaysOutTheArchiveAsTheTestWriterDoes) {
  // Two blocks, three entries, two stored frames; the third entry shares frame 0.
  dw::testing::ArchiveSpec oracle;
  oracle.archiveType = 0x43;
  oracle.width = 9;
  oracle.height = 8;
  oracle.frames = {dw::testing::MakeFrame(0, 4, 3, 2, 1, 1, 2, {7, 8}),
                 dw::testing::MakeFrame(0, 5, 5, 1, 1, 0, 0, {9})};
  dw::testing::Block first;
  first.identifier = 3;
  first.reserved = {1, 2, 3, 4, 5, 6, 7, 8};
  first.entries = {{"a.pcx", 0, {}, {}}, {"b.pcx", 1, {}, {}}};
  dw::testing::Block second;
  second.identifier = 4;
  second.entries = {{"a.pcx", 0, {}, {}}};
  oracle.blocks = {first, second};

  ArchivePlan plan;
  plan.archiveType = 0x43;
  plan.width = 9;
  plan.height = 8;
  std::copy(oracle.palette.begin(), oracle.palette.end(), plan.palette.begin());
  plan.blocks = {BlockPlan{3, first.reserved, {{Name("a.pcx"), 0}, {Name("b.pcx"), 1}}},
                 BlockPlan{4, {}, {{Name("a.pcx"), 0}}}};
  FrameHeader head0{999, 0, 4, 3, 2, 1, 1, 2};  // the data's length is written instead
  FrameHeader head1{0, 0, 5, 5, 1, 1, 0, 0};
  plan.frames = {StoredFrame{head0, {7, 8}}, StoredFrame{head1, {9}}};
  std::string error;
  const auto bytes = BuildDef(plan, error);
  ASSERT_TRUE(bytes) << error;
  EXPECT_EQ(*bytes, dw::testing::BuildArchive(oracle));
}

TEST(BuildDef, RefusesAnEntryWithoutItsFrame) {
  ArchivePlan plan;
  plan.blocks = {BlockPlan{0, {}, {{Name("x"), 2}}}};
  std::string error;
  EXPECT_FALSE(BuildDef(plan, error));
  EXPECT_EQ(error, "a directory entry names stored frame 2 of 0");
}

TEST(NameField, TakesUpToThirteenBytesAndPadsWithZero) {
  EXPECT_EQ(NameField("ab")->at(2), 0);
  EXPECT_EQ(NameField("abcdefghijklm")->at(12), 'm');
  EXPECT_FALSE(NameField("abcdefghijklmn"));
}

}  // namespace
}  // namespace dw::pack
