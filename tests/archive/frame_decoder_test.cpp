#include "archive/frame_decoder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <numeric>
#include <optional>
#include <string>
#include <vector>

#include "archive/archive_bytes.h"
#include "tests/support/def_writer.h"

namespace dw {
namespace {

using testing::ArchiveSpec;
using testing::BuildArchive;
using testing::ExpectedBmp;
using testing::FrameOffsets;
using testing::MakeFrame;
using testing::OneHead;
using testing::ProblemTexts;
using testing::PutInt32;
using testing::SpriteFrame;
using testing::TempDir;
using testing::WriteFile;
using Bytes = std::vector<uint8_t>;

// A frame whose encoded data is given byte for byte.
SpriteFrame RawData(int32_t compression, int32_t fullWidth, int32_t fullHeight, int32_t width,
                    int32_t height, Bytes data) {
  SpriteFrame f = MakeFrame(compression, fullWidth, fullHeight, width, height, 0, 0, {});
  f.data = std::move(data);
  return f;
}

Bytes Pixels(const Bytes& bmp) {
  return Bytes(bmp.begin() + 1078, bmp.end());
}

Bytes Sequence(size_t n, uint8_t first = 1) {
  Bytes b(n);
  std::iota(b.begin(), b.end(), first);
  return b;
}

Bytes Join(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// The 0 x 0 image: header with zero sizes, then the palette.
const Bytes kEmptyImage = ExpectedBmp(ArchiveSpec{}, SpriteFrame{});

class DecodeFrameTest : public ::testing::Test {
 protected:
  Bytes Decode(const ArchiveSpec& plan, DecodeOptions options = {}) {
    return DecodeBytes(BuildArchive(plan), options);
  }
  Bytes DecodeBytes(const Bytes& archive, DecodeOptions options = {}) {
    WriteFile(path_, archive);
    archive_ = LoadArchiveFile(path_, cache_).archive;
    return DecodeLoaded(0, options);
  }
  // As the programs decode: the archive's present bytes, then the BMP file,
  // written from the stream's start over what it held.
  Bytes DecodeLoaded(int32_t index, DecodeOptions options = {}) {
    last_ = Diagnostics{};
    IndexedImage image;
    image.palette = archive_.palette;
    if (const auto bytes = cache_.Current(path_)) {
      image = DecodeFrameImage(archive_, *bytes, index, options, nullptr, last_);
    } else {
      Diagnostic cannotOpen;
      cannotOpen.kind = DiagnosticKind::CannotOpen;
      last_.Add(cannotOpen);
    }
    StreamPtr target = CreateMemoryStream();
    WriteBytes(*target, "old", 3);
    EXPECT_TRUE(WriteFrameBmp(image, *target));
    EXPECT_EQ(CurrentPosition(*target), 0);
    const Bytes whole = *MemoryStreamBytes(*target);
    ExpectBandedWritesAlike(index, options, whole);
    return whole;
  }
  // Every decode of these tests is also written band by band, in bands of
  // one, two and three rows and of the whole image: the same bytes and the
  // same problems.
  void ExpectBandedWritesAlike(int32_t index, DecodeOptions options, const Bytes& whole) {
    const auto bytes = cache_.Current(path_);
    if (!bytes) return;
    for (const int64_t rows : {1, 2, 3, 1 << 20}) {
      Diagnostics found;
      const std::optional<PlannedFrame> plan =
          PlanFrameDecode(archive_, *bytes, index, nullptr, found);
      Bytes banded;
      if (plan) {
        StreamPtr target = CreateMemoryStream();
        WriteBytes(*target, "old", 3);
        EXPECT_TRUE(WritePlannedFrameBmp(archive_, *bytes, *plan, options, found, *target,
                                         rows * plan->stride));
        EXPECT_EQ(CurrentPosition(*target), 0);
        banded = *MemoryStreamBytes(*target);
      } else {
        banded = whole;  // a refused frame is the empty image, written whole
      }
      EXPECT_EQ(banded, whole) << "bands of " << rows << " rows";
      EXPECT_EQ(ProblemTexts(found), Problems()) << "bands of " << rows << " rows";
    }
  }
  std::vector<std::string> Problems() const { return ProblemTexts(last_); }

  TempDir dir_;
  std::string path_ = dir_.File("a.def");
  ArchiveBytes cache_;
  Archive archive_;
  Diagnostics last_;
};

TEST_F(DecodeFrameTest, RawFrameWithMarginsHasExactBytes) {
  const Bytes bmp = Decode(OneHead(MakeFrame(0, 6, 4, 3, 2, 2, 1, {1, 2, 3, 4, 5, 6})));
  ASSERT_EQ(bmp.size(), 1110u);
  const Bytes header = {'B', 'M', 0x56, 4, 0, 0, 0,  0, 0, 0, 0x36, 4, 0, 0, 40, 0, 0,  0,
                        6,   0,   0,    0, 4, 0, 0,  0, 1, 0, 8,    0, 0, 0, 0,  0, 32, 0,
                        0,   0,   24,   0, 0, 0, 24, 0, 0, 0, 0,    0, 0, 0, 0,  0, 0,  0};
  EXPECT_EQ(Bytes(bmp.begin(), bmp.begin() + 54), header);
  EXPECT_EQ(Bytes(bmp.begin() + 54, bmp.begin() + 58), (Bytes{7 * 0, 255, 0, 0}));
  EXPECT_EQ(Bytes(bmp.begin() + 54 + 4 * 200, bmp.begin() + 58 + 4 * 200),
            (Bytes{uint8_t(7 * 200), 55, 200, 0}));
  EXPECT_EQ(Pixels(bmp), (Bytes{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 5, 6, 0, 0, 0,  //
                                0, 0, 1, 2, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_TRUE(last_.ok());
}

TEST_F(DecodeFrameTest, RowsArePaddedToMultiplesOfFour) {
  for (auto [fullWidth, fullHeight] : {std::pair{8, 3}, {5, 3}, {1, 3}, {4, 3}, {0, 3}, {0, 7}, {0, 0}}) {
    const ArchiveSpec plan = OneHead(MakeFrame(0, fullWidth, fullHeight, 0, 0, 0, 0, {}));
    EXPECT_EQ(Decode(plan), ExpectedBmp(plan, plan.frames[0])) << fullWidth << " x " << fullHeight;
  }
}

// Frames given byte for byte: the pixels, bottom row first, and the
// problems found. A byte-run row is literal then background; a segment-run
// row below 32 columns uses the table's first entry; fill runs are background
// unless kept, as their whole code byte (compression 1) or their 3-bit code;
// the longest runs cover their whole length; runs past the width are cut
// there and the frame reported once, whole or in bands.
TEST_F(DecodeFrameTest, FramesGivenByteForByteDecodeToExactPixelsAndProblems) {
  const Bytes byteRuns = {4, 0, 0, 0, 0xFF, 0x02, 0x0A, 0x0B, 0x0C, 0x0E, 0x01};
  const Bytes rowRuns = {2, 0, 0xE2, 0x0A, 0x0B, 0x0C, 0xA1};
  const Bytes segments = {2, 0, 0x41, 0x60, 0xC2, 0xE2, 7, 8, 9};
  const struct {
    SpriteFrame frame;
    bool keepSpecial;
    Bytes pixels;
    std::vector<std::string> problems;
  } rows[] = {
      {RawData(1, 5, 1, 5, 1, byteRuns), false, {0x0A, 0x0B, 0x0C, 0, 0, 0, 0, 0}, {}},
      {RawData(1, 5, 1, 5, 1, byteRuns), true, {0x0A, 0x0B, 0x0C, 0x0E, 0x0E, 0, 0, 0}, {}},
      {RawData(2, 5, 1, 5, 1, rowRuns), false, {0x0A, 0x0B, 0x0C, 0, 0, 0, 0, 0}, {}},
      {RawData(2, 5, 1, 5, 1, rowRuns), true, {0x0A, 0x0B, 0x0C, 5, 5, 0, 0, 0}, {}},
      {RawData(3, 5, 2, 5, 2, {2, 0, 0xE2, 0x0A, 0x0B, 0x0C, 0x01}), false,
       {0x0A, 0x0B, 0x0C, 0, 0, 0, 0, 0, 0x0A, 0x0B, 0x0C, 0, 0, 0, 0, 0}, {}},
      {RawData(3, 9, 1, 9, 1, segments), false, {0, 0, 0, 0, 0, 0, 7, 8, 9, 0, 0, 0}, {}},
      {RawData(3, 9, 1, 9, 1, segments), true, {2, 2, 3, 6, 6, 6, 7, 8, 9, 0, 0, 0}, {}},
      {RawData(1, 300, 1, 300, 1, Join({4, 0, 0, 0, 0x01, 0xFF, 0xFF, 43}, Sequence(44, 100))),
       false, Join(Bytes(256, 0), Sequence(44, 100)), {}},
      {RawData(3, 64, 1, 64, 1, Join({4, 0, 4, 0, 0x9F, 0xFF}, Sequence(32, 100))), false,
       Join(Bytes(32, 0), Sequence(32, 100)), {}},
      {RawData(1, 4, 2, 3, 2, {8, 0, 0, 0, 8, 0, 0, 0, 0xFF, 0x03, 1, 2, 3, 4}), false,
       {1, 2, 3, 0, 1, 2, 3, 0},
       {"frame 0: row 0 holds runs past the frame's width of 3 pixels (and 1 more rows)"}},
      {RawData(3, 5, 1, 5, 1, {2, 0, 0xE5, 1, 2, 3, 4, 5, 6}), false, {1, 2, 3, 4, 5, 0, 0, 0},
       {"frame 0: row 0 holds runs past the frame's width of 5 pixels"}},
      {RawData(1, 4, 2, -4, 5, {9, 9, 9, 9}), false, Bytes(8, 0),
       {"frame 0: negative stored size -4 x 5"}},
      {RawData(9, 5, 2, 5, 2, Bytes(10, 7)), false, Bytes(16, 0), {"frame 0: unknown compression 9"}},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(Pixels(Decode(OneHead(row.frame), {.keepSpecial = row.keepSpecial})), row.pixels)
        << row.frame.compression;
    EXPECT_EQ(Problems(), row.problems) << row.frame.compression;
  }
}

// Every compression gives its pixels where the rectangle lies inside the image;
// what lies outside is cut.
TEST_F(DecodeFrameTest, EveryCompressionMatchesItsPixelsAndTheRectangleIsCutAtTheEdges) {
  Bytes pixels(40 * 4);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = (i % 7 < 3) ? 0 : uint8_t(i * 13);
  struct Case {
    int32_t fullWidth, fullHeight, left, top;
  };
  // Inside; past the right and bottom edges; negative margins; wider than the image.
  for (Case c : {Case{53, 9, 4, 2}, Case{50, 5, 14, 3}, Case{47, 3, -2, -5}, Case{30, 2, 0, 0},
                 Case{1001, 6, 970, 1}}) {
    for (int32_t compression : {0, 1, 2, 3}) {
      const ArchiveSpec plan =
          OneHead(MakeFrame(compression, c.fullWidth, c.fullHeight, 40, 4, c.left, c.top, pixels));
      EXPECT_EQ(Decode(plan), ExpectedBmp(plan, plan.frames[0]))
          << compression << " " << c.fullWidth << " " << c.left;
      EXPECT_TRUE(c.fullWidth != 53 || last_.ok()) << compression;
    }
  }
  EXPECT_EQ(
      Problems(),
      (std::vector<std::string>{"frame 0: stored rectangle lies partly outside the full image"}));
}

// One field of a frame's head or row table set to a value, or the archive
// cut there: each row that can still be read is.
TEST_F(DecodeFrameTest, DamagedRowTableOrStoredHeightDecodesWhatCanBeRead) {
  const ArchiveSpec plan = OneHead(MakeFrame(1, 4, 3, 4, 3, 0, 0, Sequence(12)));
  const Bytes rowsRead = {9, 10, 11, 12, 0, 0, 0, 0, 1, 2, 3, 4};
  const struct {
    size_t at;  // bytes past the frame's head
    std::optional<int32_t> value;  // none: the archive ends there
    Bytes pixels;
    std::vector<std::string> problems;
  } cases[] = {
      {32 + 4, 1'000'000, rowsRead, {"frame 0: row 1 starts outside the data"}},
      {32 + 4, -1'000'000, rowsRead, {"frame 0: row 1 starts outside the data"}},
      {32 + 6, std::nullopt, Bytes(12, 0), {"frame 0: row 0 starts outside the data (and 2 more rows)"}},
      {20, INT32_MAX, {9, 10, 11, 12, 5, 6, 7, 8, 1, 2, 3, 4},  // the stored height
       {"frame 0: stored rectangle lies partly outside the full image"}},
  };
  for (const auto& c : cases) {
    Bytes archive = BuildArchive(plan);
    const size_t at = size_t(FrameOffsets(plan)[0]) + c.at;
    c.value ? PutInt32(archive, at, *c.value) : archive.resize(at);
    EXPECT_EQ(Pixels(DecodeBytes(archive)), c.pixels) << c.at;
    EXPECT_EQ(Problems(), c.problems) << c.at;
  }
}

TEST_F(DecodeFrameTest, DataCutShortLeavesTheUnreadPixelsAtZero) {
  // The archive's last byte is the last pixel of the last row in every compression.
  const Bytes pixels = Sequence(33 * 2, 1);
  for (int32_t compression : {0, 1, 2, 3}) {
    const ArchiveSpec plan = OneHead(MakeFrame(compression, 36, 2, 33, 2, 0, 0, pixels));
    Bytes expected = Decode(plan);  // a complete decode first: nothing of it may show through
    expected[1078 + 32] = 0;
    Bytes archive = BuildArchive(plan);
    archive.pop_back();
    EXPECT_EQ(DecodeBytes(archive), expected) << compression;
    EXPECT_EQ(Problems(),
              (std::vector<std::string>{"frame 0: row 1 is cut short by the end of the data"}));
  }
}

TEST_F(DecodeFrameTest, NegativeOrHugeFullSizeGivesAnEmptyImage) {
  EXPECT_EQ(Decode(OneHead(MakeFrame(0, -3, 10, 0, 0, 0, 0, {}))), kEmptyImage);
  EXPECT_EQ(Problems(), (std::vector<std::string>{"frame 0: negative full size -3 x 10"}));
  EXPECT_EQ(Decode(OneHead(MakeFrame(0, 10, INT32_MIN, 0, 0, 0, 0, {}))), kEmptyImage);
  EXPECT_EQ(Decode(OneHead(MakeFrame(3, 20000, 20000, 0, 0, 0, 0, {}))), kEmptyImage);
  EXPECT_EQ(Decode(OneHead(MakeFrame(3, INT32_MAX, 1, 0, 0, 0, 0, {}))), kEmptyImage);
}

TEST_F(DecodeFrameTest, FrameOutsideTheTableOrTheFileOrADeletedArchiveGivesAnEmptyImage) {
  ArchiveSpec plan = OneHead(MakeFrame(0, 4, 4, 0, 0, 0, 0, {}));
  Decode(plan);
  EXPECT_EQ(DecodeLoaded(1), kEmptyImage);
  EXPECT_EQ(Problems(), (std::vector<std::string>{"frame 1: not in the table"}));
  EXPECT_EQ(DecodeLoaded(-1), kEmptyImage);
  const int32_t headCutShort = FrameOffsets(plan)[0] + 1;  // the frame has no data
  for (int32_t offset : {1'000'000, -8, headCutShort}) {
    plan.blocks[0].entries[0].offset = offset;
    EXPECT_EQ(Decode(plan), kEmptyImage);
    EXPECT_EQ(last_.items.size(), 1u);
  }
  ASSERT_EQ(::unlink(path_.c_str()), 0);  // deleted since it was loaded
  EXPECT_EQ(DecodeLoaded(0), kEmptyImage);
  EXPECT_TRUE(last_.cannotOpen());
}

}  // namespace
}  // namespace dw
