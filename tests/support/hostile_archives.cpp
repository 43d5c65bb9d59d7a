#include "tests/support/hostile_archives.h"

namespace dw::testing {
namespace {

// A frame of compression 1 whose rows are one fill run of index 0.
SpriteFrame FilledFrame(int32_t width, int32_t height) {
  SpriteFrame frame = MakeFrame(1, width, height, width, height, 0, 0, {});
  frame.data = EncodeByteRuns(std::vector<RowRuns>(size_t(height), RowRuns{Run{0, width, {}}}));
  return frame;
}

}  // namespace

ArchiveSpec OneFrameManyEntries(int entries, int32_t width, int32_t height) {
  return OneHead(FilledFrame(width, height), entries);
}

ArchiveSpec CrossedFrames(int32_t side) {
  ArchiveSpec plan;
  plan.frames = {FilledFrame(1, side), FilledFrame(side, 1)};
  Block block;
  block.entries = {{"tall", 0, {}, {}}, {"wide", 1, {}, {}}};
  plan.blocks = {block};
  return plan;
}

}  // namespace dw::testing
