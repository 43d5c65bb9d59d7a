#include "image/bitmap.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>

#include "archive/conversion_state.h"
#include "archive/frame_decoder.h"
#include "tests/image/allocation_probe.h"
#include "tests/image/bmp_bytes.h"
#include "tests/support/def_writer.h"

namespace dw {
namespace {

using testing::AllBytes;
using testing::BmpSpec;
using testing::BuildBmp;
using testing::LoadBitmap;
using testing::MemoryStreamOf;
using testing::SaveBitmap;
using testing::TableEntry;

uint32_t Grey(int i) {
  return uint32_t(i) * 0x010101u;
}

uint32_t ReadU32(const std::vector<uint8_t>& bytes, size_t at) {
  return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
         uint32_t(bytes[at + 3]) << 24;
}

// An 8-bit image whose index at (x, y from the top) is index(x, y); padding
// bytes hold 0xAA so that nothing can pass them off as pixels.
BmpSpec EightBit(int width, int height, const std::function<uint8_t(int, int)>& index) {
  BmpSpec spec;
  spec.width = width;
  spec.height = height;
  spec.table = testing::ColourTable(256, testing::TestPaletteColour);
  const int stride = (width + 3) / 4 * 4;
  spec.pixels.assign(size_t(stride) * height, 0xAA);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) spec.pixels[size_t(height - 1 - y) * stride + x] = index(x, y);
  }
  return spec;
}

uint8_t Pattern(int x, int y) {
  return uint8_t(1 + x + 16 * y);
}

void ExpectPattern(const Bitmap& bitmap, int width, int height) {
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      ASSERT_EQ(bitmap.PixelAt(x, y), Pattern(x, y)) << "at " << x << "," << y;
    }
  }
}

// ---------------------------------------------------------------------------

TEST(BitmapLoad, DecodedFramesLoadAndSaveBackByteForByte) {
  testing::ArchiveSpec spec;
  std::vector<uint8_t> small(3 * 2), wide(40 * 3), runs(8 * 3);
  for (size_t i = 0; i < small.size(); ++i) small[i] = uint8_t(1 + i);
  for (size_t i = 0; i < wide.size(); ++i) wide[i] = uint8_t(i % 7 == 0 ? 0 : 100 + i % 50);
  for (size_t i = 0; i < runs.size(); ++i) runs[i] = uint8_t(i % 3 == 0 ? 0 : 200 + i);
  spec.frames = {testing::MakeFrame(0, 6, 4, 3, 2, 2, 1, small),
                 testing::MakeFrame(1, 9, 5, 8, 3, 1, 1, runs),
                 testing::MakeFrame(3, 41, 3, 40, 3, 0, 0, wide)};
  testing::Block block;
  for (int i = 0; i < 3; ++i) {
    testing::DirectoryEntry entry;
    entry.name = std::string(1, char('a' + i)) + ".pcx";
    entry.frame = i;
    block.entries.push_back(entry);
  }
  spec.blocks = {block};
  testing::TempDir dir;
  testing::WriteFile(dir.File("s.def"), testing::BuildArchive(spec));
  ConversionState state;
  InitConversionState(state);
  LoadArchive(state, dir.File("s.def"));
  ASSERT_EQ(state.frames.size(), 3u);

  for (int32_t i = 0; i < 3; ++i) {
    StreamPtr decoded = CreateMemoryStream();
    DecodeFrame(state, i, *decoded);
    const std::vector<uint8_t> bytes = AllBytes(*decoded);
    ASSERT_GT(bytes.size(), 1078u);
    const int32_t width = int32_t(ReadU32(bytes, 18)), height = int32_t(ReadU32(bytes, 22));

    std::unique_ptr<Bitmap> bitmap = LoadBitmap(bytes);
    ASSERT_EQ(bitmap->Width(), width);
    ASSERT_EQ(bitmap->Height(), height);
    EXPECT_EQ(bitmap->pixelFormat(), PixelFormat::Bits8);
    EXPECT_EQ(bitmap->handleKind(), HandleKind::DeviceIndependent);
    const int stride = (width + 3) / 4 * 4;
    EXPECT_EQ(bitmap->scanLineSize(), stride);
    EXPECT_EQ(bitmap->dibSize(), stride * height);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        ASSERT_EQ(bitmap->PixelAt(x, y), bytes[1078 + size_t(height - 1 - y) * stride + x]);
      }
    }
    EXPECT_EQ(SaveBitmap(*bitmap), bytes) << "frame " << i;
  }
}

TEST(BitmapLoad, KeepsSizePaletteAndIndicesWhateverTheSizeFieldsSay) {
  BmpSpec spec = EightBit(5, 3, Pattern);
  spec.fileSize = 0xFFFFFFFF;
  spec.sizeImage = 7;
  std::unique_ptr<Bitmap> bitmap = LoadBitmap(BuildBmp(spec));
  ASSERT_EQ(bitmap->Width(), 5);
  ASSERT_EQ(bitmap->Height(), 3);
  ExpectPattern(*bitmap, 5, 3);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(TableEntry(*bitmap, i), testing::TestPaletteColour(i));
}

TEST(BitmapLoad, StreamStartingAtTheInfoHeaderTakesAFullColourTable) {
  BmpSpec spec = EightBit(4, 2, Pattern);
  spec.fileHeader = false;
  std::vector<uint8_t> bytes = BuildBmp(spec);
  bytes.push_back(0x77);  // not part of the image
  StreamPtr stream = MemoryStreamOf(bytes);
  std::unique_ptr<Bitmap> bitmap = CreateBitmap(1, 1);
  bitmap->LoadFromStream(*stream);
  ASSERT_EQ(bitmap->Width(), 4);
  ExpectPattern(*bitmap, 4, 2);
  EXPECT_EQ(TableEntry(*bitmap, 255), testing::TestPaletteColour(255));
  EXPECT_EQ(CurrentPosition(*stream), 40 + 1024 + 8);
}

TEST(BitmapLoad, StartsAtTheStreamPositionAndStopsBehindThePixelRows) {
  std::vector<uint8_t> bytes = {9, 9, 9};
  const std::vector<uint8_t> image = BuildBmp(EightBit(3, 3, Pattern));
  bytes.insert(bytes.end(), image.begin(), image.end());
  bytes.insert(bytes.end(), {1, 2, 3, 4, 5});
  StreamPtr stream = MemoryStreamOf(bytes);
  SeekTo(*stream, 3);
  Bitmap bitmap;
  bitmap.LoadFromStream(*stream);
  ExpectPattern(bitmap, 3, 3);
  EXPECT_EQ(CurrentPosition(*stream), int32_t(3 + image.size()));
}

TEST(BitmapLoad, EveryShortStreamFailsAndLeavesTheStreamWhereItWas) {
  for (bool fileHeader : {true, false}) {
    BmpSpec spec = EightBit(5, 2, Pattern);
    spec.fileHeader = fileHeader;
    const std::vector<uint8_t> image = BuildBmp(spec);
    for (size_t length = 0; length < image.size(); ++length) {
      std::vector<uint8_t> bytes = {7, 7};
      bytes.insert(bytes.end(), image.begin(), image.begin() + length);
      StreamPtr stream = MemoryStreamOf(bytes);
      SeekTo(*stream, 2);
      std::unique_ptr<Bitmap> bitmap = CreateBitmap(1, 1);
      bitmap->LoadFromStream(*stream);
      ASSERT_TRUE(bitmap->Empty()) << length;
      ASSERT_EQ(bitmap->Width(), 0) << length;
      ASSERT_EQ(bitmap->Height(), 0) << length;
      ASSERT_EQ(bitmap->dibHeader(), nullptr) << length;
      ASSERT_EQ(CurrentPosition(*stream), 2) << length;
      ASSERT_EQ(StreamSize(*stream), int32_t(bytes.size())) << length;
    }
  }
}

TEST(BitmapLoad, ImpossibleHeadersFailWithoutAllocatingWhatTheyAskFor) {
  struct Case {
    const char* what;
    int32_t width, height;
    uint16_t planes, bits;
  };
  const Case cases[] = {
      {"rows beyond 256 MiB", 1 << 20, 300, 1, 8},
      {"row size overflows 32 bits", 0x7FFFFFFF, 1, 1, 32},
      {"pixel size overflows 64 bits", 0x7FFFFFFF, 0x7FFFFFFF, 1, 32},
      {"most negative height", 4, INT32_MIN, 1, 8},
      {"zero width", 0, 4, 1, 8},
      {"negative width", -4, 4, 1, 8},
      {"unknown bit count", 4, 4, 1, 2},
      {"no planes", 4, 4, 0, 8},
      {"planes times bits unknown", 4, 4, 3, 8},
      {"fits the limit but not the stream", 1 << 14, 1 << 14, 1, 8},
  };
  for (const Case& c : cases) {
    BmpSpec spec = EightBit(4, 4, Pattern);
    spec.width = c.width;
    spec.height = c.height;
    spec.planes = c.planes;
    spec.bitCount = c.bits;
    const std::vector<uint8_t> bytes = BuildBmp(spec);
    StreamPtr stream = MemoryStreamOf(bytes);
    Bitmap bitmap;
    size_t largest = 0;
    {
      testing::AllocationProbe probe;
      bitmap.LoadFromStream(*stream);
      largest = probe.largest();
    }
    EXPECT_TRUE(bitmap.Empty()) << c.what;
    EXPECT_EQ(bitmap.Width(), 0) << c.what;
    EXPECT_EQ(CurrentPosition(*stream), 0) << c.what;
    EXPECT_LT(largest, size_t{1} << 16) << c.what;
  }
}

TEST(BitmapLoad, PixelOffsetDecidesHowLongTheColourTableIs) {
  // 16 colours announced by the offset: the rest of the table stays black.
  BmpSpec spec = EightBit(4, 1, [](int x, int) { return uint8_t(x); });
  spec.table.resize(64);
  std::unique_ptr<Bitmap> bitmap = LoadBitmap(BuildBmp(spec));
  ASSERT_EQ(bitmap->Width(), 4);
  EXPECT_EQ(TableEntry(*bitmap, 15), testing::TestPaletteColour(15));
  EXPECT_EQ(TableEntry(*bitmap, 16), 0u);
  EXPECT_EQ(bitmap->PixelAt(3, 0), 3u);

  // An offset inside the headers reads no table: pixels follow the info header.
  spec.table.clear();
  spec.pixelOffset = 20;
  bitmap = LoadBitmap(BuildBmp(spec));
  ASSERT_EQ(bitmap->Width(), 4);
  EXPECT_EQ(TableEntry(*bitmap, 1), 0u);
  EXPECT_EQ(bitmap->PixelAt(2, 0), 2u);

  // An offset past a full table still reads at most 1,024 table bytes.
  spec.table = testing::ColourTable(256, testing::TestPaletteColour);
  spec.pixelOffset = 54 + 1024 + 100;
  bitmap = LoadBitmap(BuildBmp(spec));
  ASSERT_EQ(bitmap->Width(), 4);
  EXPECT_EQ(TableEntry(*bitmap, 255), testing::TestPaletteColour(255));
  EXPECT_EQ(bitmap->PixelAt(1, 0), 1u);
}

TEST(BitmapLoad, ZeroHeightKeepsItsWidthButHoldsNothing) {
  BmpSpec spec = EightBit(5, 1, Pattern);
  spec.height = 0;
  spec.pixels.clear();
  const std::vector<uint8_t> bytes = BuildBmp(spec);
  StreamPtr stream = MemoryStreamOf(bytes);
  Bitmap bitmap;
  bitmap.LoadFromStream(*stream);
  EXPECT_TRUE(bitmap.Empty());
  EXPECT_EQ(bitmap.Width(), 5);
  EXPECT_EQ(bitmap.Height(), 0);
  EXPECT_EQ(bitmap.dibHeader(), nullptr);
  EXPECT_EQ(bitmap.Canvas(), nullptr);
  EXPECT_EQ(CurrentPosition(*stream), int32_t(bytes.size()));
  EXPECT_TRUE(SaveBitmap(bitmap).empty());
}

TEST(BitmapLoad, TopDownImageKeepsItsSignInTheHeaderOnly) {
  BmpSpec spec = EightBit(2, 3, Pattern);
  spec.height = -3;
  spec.pixels = {10, 11, 0, 0, 20, 21, 0, 0, 30, 31, 0, 0};  // top row first
  std::unique_ptr<Bitmap> bitmap = LoadBitmap(BuildBmp(spec));
  ASSERT_EQ(bitmap->Height(), 3);
  EXPECT_TRUE(bitmap->topDown());
  EXPECT_EQ(
      int32_t(ReadU32(std::vector<uint8_t>(bitmap->dibHeader(), bitmap->dibHeader() + 12), 8)), -3);
  EXPECT_EQ(bitmap->PixelAt(0, 0), 10u);
  EXPECT_EQ(bitmap->PixelAt(1, 2), 31u);
}

// ---------------------------------------------------------------------------

TEST(BitmapSave, RecomputesTheFileHeaderAndKeepsTheInfoHeaderAsLoaded) {
  BmpSpec spec = EightBit(3, 2, Pattern);
  spec.fileSize = 12345;
  spec.sizeImage = 999;
  const std::vector<uint8_t> original = BuildBmp(spec);
  std::unique_ptr<Bitmap> bitmap = LoadBitmap(original);
  const std::vector<uint8_t> saved = SaveBitmap(*bitmap);
  ASSERT_EQ(saved.size(), 1078u + 8);
  EXPECT_EQ(saved[0], 'B');
  EXPECT_EQ(saved[1], 'M');
  EXPECT_EQ(ReadU32(saved, 2), 1078u + 8);
  EXPECT_EQ(ReadU32(saved, 6), 0u);
  EXPECT_EQ(ReadU32(saved, 10), 1078u);
  EXPECT_EQ(std::vector<uint8_t>(saved.begin() + 14, saved.end()),
            std::vector<uint8_t>(original.begin() + 14, original.end()));
}

// A stream that stores at most `room` bytes.
class CrampedStream final : public Stream {
 public:
  explicit CrampedStream(int32_t room) : inner_(CreateMemoryStream()), room_(room) {}
  int32_t Seek(int32_t offset, SeekOrigin origin) override { return inner_->Seek(offset, origin); }
  int32_t Size() override { return inner_->Size(); }
  void SetSize(int32_t size) override { inner_->SetSize(size); }
  int32_t Read(void* destination, int32_t count) override {
    return inner_->Read(destination, count);
  }
  int32_t Write(const void* source, int32_t count) override {
    const int32_t n = std::min(count, room_ - inner_->Seek(0, SeekOrigin::Current));
    return n > 0 ? inner_->Write(source, n) : 0;
  }
  void Close() override { inner_->Close(); }

 private:
  StreamPtr inner_;
  int32_t room_;
};

TEST(BitmapSave, ShortWriteLeavesTheStreamWhereTheSaveBegan) {
  std::unique_ptr<Bitmap> bitmap = LoadBitmap(BuildBmp(EightBit(3, 2, Pattern)));
  for (int32_t room : {5, 14 + 10, 1078 + 3}) {
    CrampedStream stream(room);
    const uint8_t lead[4] = {1, 2, 3, 4};
    WriteBytes(stream, lead, 4);
    bitmap->SaveToStream(stream);
    EXPECT_EQ(CurrentPosition(stream), 4) << room;
  }
}

TEST(BitmapSave, EmptyBitmapWritesNothingAndCreatesNoFile) {
  Bitmap empty;
  EXPECT_TRUE(SaveBitmap(empty).empty());
  testing::TempDir dir;
  empty.SaveToFile(dir.File("none.bmp"));
  EXPECT_FALSE(std::filesystem::exists(dir.File("none.bmp")));

  std::unique_ptr<Bitmap> failed = LoadBitmap({1, 2, 3});
  failed->SaveToFile(dir.File("failed.bmp"));
  EXPECT_FALSE(std::filesystem::exists(dir.File("failed.bmp")));
}

TEST(BitmapSave, SaveToFileReplacesALongerFileCompletely) {
  testing::TempDir dir;
  const std::string path = dir.File("x.bmp");
  testing::WriteFile(path, std::vector<uint8_t>(5000, 0xEE));
  std::unique_ptr<Bitmap> bitmap = LoadBitmap(BuildBmp(EightBit(3, 2, Pattern)));
  bitmap->SaveToFile(path);
  EXPECT_EQ(testing::ReadFile(path), SaveBitmap(*bitmap));
}

TEST(BitmapSave, NeverLoadedBitmapSavesAsAnAllZeroEightBitImage) {
  std::unique_ptr<Bitmap> placeholder = CreateBitmap(3, 2);
  EXPECT_EQ(placeholder->handleKind(), HandleKind::DeviceDependent);
  EXPECT_EQ(placeholder->pixelFormat(), PixelFormat::Device);
  const std::vector<uint8_t> saved = SaveBitmap(*placeholder);

  BmpSpec expected;
  expected.width = 3;
  expected.height = 2;
  expected.table.assign(1024, 0);
  expected.pixels.assign(8, 0);
  EXPECT_EQ(saved, BuildBmp(expected));
  EXPECT_EQ(placeholder->handleKind(), HandleKind::DeviceIndependent);
  EXPECT_EQ(placeholder->pixelFormat(), PixelFormat::Bits8);
}

TEST(BitmapSave, BitFieldImagesWriteTheirMasksSoTheyLoadBackAlike) {
  for (uint32_t compression : {3u, 6u}) {  // bit fields, and bit fields with alpha
    BmpSpec spec;
    spec.width = 2;
    spec.height = 1;
    spec.bitCount = 16;
    spec.compression = compression;
    spec.table = {0x00, 0x7C, 0, 0, 0xE0, 0x03, 0, 0, 0x1F, 0, 0, 0};  // 5-5-5 masks
    spec.pixels = {0x00, 0x7C, 0x1F, 0x00};                            // red, blue
    std::unique_ptr<Bitmap> bitmap = LoadBitmap(BuildBmp(spec));
    ASSERT_EQ(bitmap->pixelFormat(), PixelFormat::Bits16Masks);
    const std::vector<uint8_t> saved = SaveBitmap(*bitmap);
    EXPECT_EQ(ReadU32(saved, 10), 66u);
    EXPECT_EQ(saved, BuildBmp(spec));
    std::unique_ptr<Bitmap> again = LoadBitmap(saved);
    EXPECT_EQ(again->ToScreenImage().pixels, bitmap->ToScreenImage().pixels);
    EXPECT_EQ(again->ToScreenImage().pixels[0], 0xFFFF0000u);
  }
}

// ---------------------------------------------------------------------------

TEST(BitmapSetWidth, WideningKeepsEveryPixelAndThePaletteAndZeroesNewColumns) {
  std::unique_ptr<Bitmap> bitmap = LoadBitmap(BuildBmp(EightBit(5, 3, Pattern)));
  bitmap->SetWidth(11);
  ASSERT_EQ(bitmap->Width(), 11);
  ASSERT_EQ(bitmap->Height(), 3);
  EXPECT_EQ(bitmap->scanLineSize(), 12);
  EXPECT_EQ(bitmap->dibSize(), 36);
  ExpectPattern(*bitmap, 5, 3);
  for (int y = 0; y < 3; ++y) {
    for (int x = 5; x < 11; ++x) EXPECT_EQ(bitmap->PixelAt(x, y), 0u) << x << "," << y;
  }
  for (int i = 0; i < 256; ++i) ASSERT_EQ(TableEntry(*bitmap, i), testing::TestPaletteColour(i));
  // Even the row padding is zero, so a save carries no stale bytes.
  const std::vector<uint8_t> saved = SaveBitmap(*bitmap);
  ASSERT_EQ(saved.size(), 1078u + 36);
  for (int row = 0; row < 3; ++row) EXPECT_EQ(saved[1078 + row * 12 + 11], 0) << row;
}

TEST(BitmapSetWidth, WideningWritesAFreshBottomUpHeader) {
  BmpSpec spec = EightBit(2, 2, Pattern);
  spec.sizeImage = 8;
  std::unique_ptr<Bitmap> bitmap = LoadBitmap(BuildBmp(spec));
  bitmap->SetWidth(6);
  BmpSpec expected = EightBit(6, 2, [](int x, int y) { return x < 2 ? Pattern(x, y) : 0; });
  for (size_t i = 0; i < expected.pixels.size(); ++i) {
    if (expected.pixels[i] == 0xAA) expected.pixels[i] = 0;
  }
  EXPECT_EQ(SaveBitmap(*bitmap), BuildBmp(expected));
}

TEST(BitmapSetWidth, NarrowingKeepsTheLeftColumns) {
  std::unique_ptr<Bitmap> bitmap = LoadBitmap(BuildBmp(EightBit(7, 2, Pattern)));
  bitmap->SetWidth(3);
  ASSERT_EQ(bitmap->Width(), 3);
  EXPECT_EQ(bitmap->scanLineSize(), 4);
  ExpectPattern(*bitmap, 3, 2);
  EXPECT_EQ(bitmap->PixelAt(3, 0), 0u);  // outside
}

TEST(BitmapSetWidth, TopDownImageKeepsPixelCoordinatesAndBecomesBottomUp) {
  BmpSpec spec = EightBit(2, 3, Pattern);
  spec.height = -3;
  spec.pixels = {10, 11, 0, 0, 20, 21, 0, 0, 30, 31, 0, 0};
  std::unique_ptr<Bitmap> bitmap = LoadBitmap(BuildBmp(spec));
  bitmap->SetWidth(3);
  EXPECT_FALSE(bitmap->topDown());
  EXPECT_EQ(bitmap->PixelAt(0, 0), 10u);
  EXPECT_EQ(bitmap->PixelAt(1, 2), 31u);
  EXPECT_EQ(bitmap->PixelAt(2, 1), 0u);
}

TEST(BitmapSetWidth, NewSubBytePixelsAreZeroEvenWhenOldPaddingBitsWereSet) {
  BmpSpec mono;
  mono.width = 3;
  mono.height = 1;
  mono.bitCount = 1;
  mono.table = {0, 0, 0, 0, 255, 255, 255, 0};
  mono.pixels = {0xBF, 0xFF, 0xFF, 0xFF};  // 1 0 1, then set padding bits
  std::unique_ptr<Bitmap> bitmap = LoadBitmap(BuildBmp(mono));
  bitmap->SetWidth(12);
  const uint32_t expectedMono[12] = {1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  for (int x = 0; x < 12; ++x) EXPECT_EQ(bitmap->PixelAt(x, 0), expectedMono[x]) << x;

  BmpSpec nibbles;
  nibbles.width = 3;
  nibbles.height = 1;
  nibbles.bitCount = 4;
  nibbles.table = testing::ColourTable(16, Grey);
  nibbles.pixels = {0x12, 0x3F, 0xFF, 0xFF};
  bitmap = LoadBitmap(BuildBmp(nibbles));
  bitmap->SetWidth(9);
  const uint32_t expectedNibbles[9] = {1, 2, 3, 0, 0, 0, 0, 0, 0};
  for (int x = 0; x < 9; ++x) EXPECT_EQ(bitmap->PixelAt(x, 0), expectedNibbles[x]) << x;
  EXPECT_EQ(TableEntry(*bitmap, 15), Grey(15));
}

TEST(BitmapSetWidth, FiveFiveFiveBitFieldsBecomeFiveSixFiveWithTheSameColours) {
  BmpSpec spec;
  spec.width = 2;
  spec.height = 1;
  spec.bitCount = 16;
  spec.compression = 3;
  spec.table = {0x00, 0x7C, 0, 0, 0xE0, 0x03, 0, 0, 0x1F, 0, 0, 0};
  spec.pixels = {0xE0, 0x03, 0xFF, 0x7F};  // green, white
  std::unique_ptr<Bitmap> bitmap = LoadBitmap(BuildBmp(spec));
  bitmap->SetWidth(3);
  EXPECT_EQ(bitmap->PixelAt(0, 0), 0x07E0u);
  EXPECT_EQ(bitmap->PixelAt(1, 0), 0xFFFFu);
  EXPECT_EQ(bitmap->PixelAt(2, 0), 0u);
  EXPECT_EQ(bitmap->ToScreenImage().pixels[0], 0xFF00FF00u);
}

TEST(BitmapSetWidth, EmptyBitmapOnlyRecordsTheWidth) {
  Bitmap bitmap;
  bitmap.SetWidth(40);
  EXPECT_EQ(bitmap.Width(), 40);
  EXPECT_EQ(bitmap.Height(), 0);
  EXPECT_TRUE(bitmap.Empty());
  EXPECT_EQ(bitmap.Canvas(), nullptr);
  EXPECT_EQ(bitmap.dibBits(), nullptr);
}

TEST(BitmapSetWidth, WidthBeyondTheLimitLeavesTheBitmapUnchanged) {
  std::unique_ptr<Bitmap> bitmap = LoadBitmap(BuildBmp(EightBit(3, 4, Pattern)));
  size_t largest = 0;
  {
    testing::AllocationProbe probe;
    bitmap->SetWidth(100'000'000);
    largest = probe.largest();
  }
  EXPECT_LT(largest, size_t{1} << 16);
  EXPECT_EQ(bitmap->Width(), 3);
  ExpectPattern(*bitmap, 3, 4);
}

TEST(BitmapClear, LeavesAnEmptyBitmapWithoutHeaderOrPixels) {
  std::unique_ptr<Bitmap> bitmap = LoadBitmap(BuildBmp(EightBit(3, 4, Pattern)));
  bitmap->Clear();
  EXPECT_EQ(bitmap->Width(), 0);
  EXPECT_EQ(bitmap->Height(), 0);
  EXPECT_EQ(bitmap->dibHeader(), nullptr);
  EXPECT_EQ(bitmap->dibBits(), nullptr);
  EXPECT_EQ(bitmap->Canvas(), nullptr);
  EXPECT_EQ(bitmap->ToScreenImage().pixels.size(), 0u);
}

}  // namespace
}  // namespace dw
