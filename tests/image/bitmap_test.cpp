#include "image/bitmap.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <tuple>
#include <utility>

#include "image/screen_image.h"
#include "tests/image/allocation_probe.h"
#include "tests/image/bitmap_bytes.h"
#include "tests/support/def_writer.h"

namespace dw {
namespace {

namespace t = dw::testing;
using t::BmpSpec;
using t::BuildBmp;
using t::Grid;
using t::Indices;
using t::LoadBitmap;
using t::SaveBitmap;
using t::TableEntry;

uint32_t Pattern(int x, int y) {
  return uint32_t(1 + x + 16 * y);
}

Grid PatternRows(int width, int height) {
  Grid rows(height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) rows[y].push_back(Pattern(x, y));
  }
  return rows;
}

// The largest single allocation action makes.
size_t LargestAllocationOf(const std::function<void()>& action) {
  t::AllocationProbe probe;
  action();
  return probe.largest();
}

BmpSpec FiveFiveFiveBitFields(uint32_t compression, std::vector<uint8_t> pixels) {
  return t::Layout(2, 1, 16, std::move(pixels), {0x00, 0x7C, 0, 0, 0xE0, 0x03, 0, 0, 0x1F, 0, 0, 0},
                 compression);
}

TEST(BitmapLoad, KeepsEverythingButTheFileHeaderWhichTheSaveRecomputes) {
  BmpSpec plan = t::EightBit(5, 3, Pattern);
  plan.fileSize = 0xFFFFFFFF;
  plan.sizeImage = 7;
  std::unique_ptr<Bitmap> bitmap = LoadBitmap(BuildBmp(plan));
  EXPECT_EQ(Indices(*bitmap), PatternRows(5, 3));
  for (int i = 0; i < 256; ++i) ASSERT_EQ(TableEntry(*bitmap, i), t::TestPaletteColour(i));
  plan.fileSize = 0;  // the real size
  EXPECT_EQ(SaveBitmap(*bitmap), BuildBmp(plan));
}

// Every prefix of the image is a short stream; the whole image, with bytes
// after it, loads.
TEST(BitmapLoad, LoadsFromTheStreamPositionOrFailsThereOnEveryShortStream) {
  for (bool fileHeader : {true, false}) {  // without one, a full colour table is taken
    BmpSpec plan = t::EightBit(5, 2, Pattern);
    plan.fileHeader = fileHeader;
    const std::vector<uint8_t> image = BuildBmp(plan);
    for (size_t length = 0; length <= image.size(); ++length) {
      SCOPED_TRACE(std::to_string(length) + (fileHeader ? " with file header" : ""));
      const bool whole = length == image.size();
      std::vector<uint8_t> bytes = image;
      bytes.resize(length);
      bytes.insert(bytes.begin(), {7, 7});
      if (whole) bytes.insert(bytes.end(), {1, 2, 3});
      StreamPtr stream = t::MemoryStreamOf(bytes);
      SeekTo(*stream, 2);
      std::unique_ptr<Bitmap> bitmap = CreateBitmap(1, 1);
      bitmap->LoadFromStream(*stream);
      ASSERT_EQ(Indices(*bitmap), whole ? PatternRows(5, 2) : Grid{});
      ASSERT_EQ(bitmap->Width(), whole ? 5 : 0);
      ASSERT_EQ(CurrentPosition(*stream), whole ? int32_t(2 + length) : 2);
      ASSERT_EQ(StreamSize(*stream), int32_t(bytes.size()));
      ASSERT_TRUE(whole || bitmap->dibHeader() == nullptr);
    }
    std::unique_ptr<Bitmap> bitmap = LoadBitmap(image);
    EXPECT_EQ(TableEntry(*bitmap, 255), t::TestPaletteColour(255));
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
    SCOPED_TRACE(c.what);
    BmpSpec plan = t::EightBit(4, 4, Pattern);
    plan.width = c.width;
    plan.height = c.height;
    plan.planes = c.planes;
    plan.bitCount = c.bits;
    StreamPtr stream = t::MemoryStreamOf(BuildBmp(plan));
    Bitmap bitmap;
    EXPECT_LT(LargestAllocationOf([&] { bitmap.LoadFromStream(*stream); }), size_t{1} << 16);
    EXPECT_EQ(std::tuple(bitmap.Empty(), bitmap.Width(), CurrentPosition(*stream)), std::tuple(true, 0, 0));
  }
}

TEST(BitmapLoad, PixelOffsetDecidesHowLongTheColourTableIs) {
  struct Case {
    const char* what;
    size_t tableBytes;
    std::optional<uint32_t> pixelOffset;
    int entriesRead;  // the rest of the table stays black
  };
  const Case cases[] = {
      {"16 colours announced by the offset", 64, std::nullopt, 16},
      {"offset inside the headers: no table", 0, 20, 0},
      {"offset past a full table: still 1,024 bytes", 1024, 54 + 1024 + 100, 256},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    BmpSpec plan = t::EightBit(4, 1, [](int x, int) { return x; });
    plan.table.resize(c.tableBytes);
    plan.pixelOffset = c.pixelOffset;
    std::unique_ptr<Bitmap> bitmap = LoadBitmap(BuildBmp(plan));
    EXPECT_EQ(Indices(*bitmap), (Grid{{0, 1, 2, 3}}));
    for (int i = 0; i < 256; ++i) {
      ASSERT_EQ(TableEntry(*bitmap, i), i < c.entriesRead ? t::TestPaletteColour(i) : 0u) << i;
    }
  }
}

TEST(BitmapLoad, ZeroHeightKeepsItsWidthAndWideningOnlyRecordsANewOne) {
  BmpSpec plan = t::EightBit(5, 1, Pattern);
  plan.height = 0;
  plan.pixels.clear();
  const std::vector<uint8_t> bytes = BuildBmp(plan);
  StreamPtr stream = t::MemoryStreamOf(bytes);
  Bitmap bitmap;
  bitmap.LoadFromStream(*stream);
  EXPECT_EQ(std::tuple(bitmap.Empty(), bitmap.Width(), bitmap.dibHeader() == nullptr,
                       CurrentPosition(*stream), SaveBitmap(bitmap).empty()),
            std::tuple(true, 5, true, int32_t(bytes.size()), true));
  bitmap.SetWidth(40);
  EXPECT_EQ(std::tuple(bitmap.Width(), bitmap.Empty(), bitmap.dibBits() == nullptr), std::tuple(40, true, true));
}

TEST(BitmapLoad, TopDownImageKeepsItsSignInTheHeaderUntilWidened) {
  BmpSpec plan = t::EightBit(2, 3, Pattern);
  plan.height = -3;
  plan.pixels = {10, 11, 0, 0, 20, 21, 0, 0, 30, 31, 0, 0};  // top row first
  std::unique_ptr<Bitmap> bitmap = LoadBitmap(BuildBmp(plan));
  const int32_t height = t::GetInt32(std::vector<uint8_t>(bitmap->dibHeader(), bitmap->dibHeader() + 12), 8);
  EXPECT_EQ(std::tuple(bitmap->topDown(), height, Indices(*bitmap)),
            std::tuple(true, -3, Grid{{10, 11}, {20, 21}, {30, 31}}));
  bitmap->SetWidth(3);
  EXPECT_EQ(std::tuple(bitmap->topDown(), Indices(*bitmap)),
            std::tuple(false, Grid{{10, 11, 0}, {20, 21, 0}, {30, 31, 0}}));
}

// A write that fails in the file header, the info header or the pixels.
TEST(BitmapSave, ShortWriteLeavesTheStreamWhereTheSaveBegan) {
  t::TempDir dir;
  std::unique_ptr<Bitmap> bitmap = LoadBitmap(BuildBmp(t::EightBit(3, 2, Pattern)));
  for (int64_t room : {1, 14 + 10, 1078 + 3}) {
    AtomicFile file(dir.File("x.bmp"));
    WriteBytes(file.stream(), "lead", 4);
    InjectWriteFault(room, ENOSPC);
    bitmap->SaveToStream(file.stream());
    InjectWriteFault(-1, 0);
    EXPECT_EQ(CurrentPosition(file.stream()), 4) << room;
  }
}

TEST(BitmapSave, SaveToFileReplacesALongerFileAndAnEmptyBitmapCreatesNone) {
  t::TempDir dir;
  const std::string path = dir.File("x.bmp");
  t::WriteFile(path, std::vector<uint8_t>(5000, 0xEE));
  std::unique_ptr<Bitmap> bitmap = LoadBitmap(BuildBmp(t::EightBit(3, 2, Pattern)));
  EXPECT_EQ(bitmap->SaveToFile(path), 0);
  EXPECT_EQ(t::ReadFile(path), SaveBitmap(*bitmap));
  EXPECT_EQ(bitmap->SaveToFile(dir.File("none/x.bmp")), ENOENT);  // the system's reason

  std::unique_ptr<Bitmap> failed = LoadBitmap({1, 2, 3});
  failed->SaveToFile(dir.File("failed.bmp"));
  EXPECT_FALSE(std::filesystem::exists(dir.File("failed.bmp")));
}

TEST(BitmapSave, NeverLoadedBitmapSavesAsAnAllZeroEightBitImage) {
  std::unique_ptr<Bitmap> placeholder = CreateBitmap(3, 2);
  EXPECT_EQ(placeholder->handleKind(), HandleKind::DeviceDependent);
  EXPECT_EQ(SaveBitmap(*placeholder),
            BuildBmp(t::Layout(3, 2, 8, std::vector<uint8_t>(8, 0), std::vector<uint8_t>(1024, 0))));
  EXPECT_EQ(placeholder->handleKind(), HandleKind::DeviceIndependent);
}

TEST(BitmapSave, BitFieldImagesWriteTheirMasksSoTheyLoadBackAlike) {
  for (uint32_t compression : {3u, 6u}) {  // bit fields, and bit fields with alpha
    const BmpSpec plan = FiveFiveFiveBitFields(compression, {0x00, 0x7C, 0x1F, 0x00});  // red, blue
    std::unique_ptr<Bitmap> bitmap = LoadBitmap(BuildBmp(plan));
    ASSERT_EQ(bitmap->pixelFormat(), PixelFormat::Bits16Masks);
    const std::vector<uint8_t> saved = SaveBitmap(*bitmap);
    EXPECT_EQ(saved, BuildBmp(plan));
    EXPECT_EQ(MakeScreenImage(*LoadBitmap(saved)).pixels,
              (std::vector<uint32_t>{0xFFFF0000, 0xFF0000FF}));
  }
}

TEST(BitmapSetWidth, KeepsPixelsAndPaletteAndZeroesNewColumnsAndPadding) {
  const std::pair<int, int> widths[] = {{5, 11}, {2, 6}, {7, 3}};
  for (auto [from, to] : widths) {
    SCOPED_TRACE(std::to_string(from) + " to " + std::to_string(to));
    BmpSpec plan = t::EightBit(from, 3, Pattern);
    plan.sizeImage = 999;  // the widened image gets a fresh header
    std::unique_ptr<Bitmap> bitmap = LoadBitmap(BuildBmp(plan));
    bitmap->SetWidth(to);
    EXPECT_EQ(bitmap->scanLineSize(), (to + 3) / 4 * 4);
    const auto kept = [from](int x, int y) { return x < from ? Pattern(x, y) : 0; };
    EXPECT_EQ(SaveBitmap(*bitmap), BuildBmp(t::EightBit(to, 3, kept, 0)));
  }
}

TEST(BitmapSetWidth, NewSubBytePixelsAreZeroEvenWhenOldPaddingBitsWereSet) {
  struct Case {
    uint16_t bits;
    std::vector<uint8_t> table, pixels;
    Grid expected;
  };
  const Case cases[] = {
      {1,
       {0, 0, 0, 0, 255, 255, 255, 0},
       {0xBF, 0xFF, 0xFF, 0xFF},  // 1 0 1, then set padding
       {{1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0}}},
      {4,
       t::ColourTable(16, [](int i) { return uint32_t(i) * 0x010101u; }),
       {0x12, 0x3F, 0xFF, 0xFF},
       {{1, 2, 3, 0, 0, 0, 0, 0, 0}}},
  };
  for (const Case& c : cases) {
    std::unique_ptr<Bitmap> bitmap = LoadBitmap(BuildBmp(t::Layout(3, 1, c.bits, c.pixels, c.table)));
    bitmap->SetWidth(int32_t(c.expected[0].size()));
    EXPECT_EQ(Indices(*bitmap), c.expected) << c.bits;
    EXPECT_EQ(TableEntry(*bitmap, 1), uint32_t(t::GetInt32(c.table, 4))) << c.bits;
  }
}

TEST(BitmapSetWidth, FiveFiveFiveBitFieldsBecomeFiveSixFiveWithTheSameColours) {
  std::unique_ptr<Bitmap> bitmap =
      LoadBitmap(BuildBmp(FiveFiveFiveBitFields(3, {0xE0, 0x03, 0xFF, 0x7F})));  // green, white
  bitmap->SetWidth(3);
  EXPECT_EQ(Indices(*bitmap), (Grid{{0x07E0, 0xFFFF, 0}}));
  EXPECT_EQ(MakeScreenImage(*bitmap).pixels[0], 0xFF00FF00u);
}

TEST(BitmapSetWidth, WidthBeyondTheLimitLeavesTheBitmapUnchanged) {
  std::unique_ptr<Bitmap> bitmap = LoadBitmap(BuildBmp(t::EightBit(3, 4, Pattern)));
  EXPECT_LT(LargestAllocationOf([&] { bitmap->SetWidth(100'000'000); }), size_t{1} << 16);
  EXPECT_EQ(Indices(*bitmap), PatternRows(3, 4));
}

}  // namespace
}  // namespace dw
