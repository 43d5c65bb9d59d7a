#include "cli/inputs/image_reader.h"

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include "archive/bmp_layout.h"
#include "cli/outputs/output_file.h"
#include "cli/outputs/png_writer.h"
#include "cli/outputs/sprite_colour_rule.h"
#include "cli/pack_plan/image_colours.h"
#include "tests/cli/pack_test_support.h"
#include "tests/image/allocation_probe.h"

namespace dw::cli {
namespace {

using dw::testing::IndexedBmp;
using dw::testing::BmpRgb;
using dw::testing::PutInt32;
using Bytes = std::vector<uint8_t>;

const std::array<uint8_t, 768> kPalette = dw::testing::ArchiveSpec::TestPalette();

Palette QuadsOf(const std::array<uint8_t, 768>& rgb) {
  Palette palette{};
  for (size_t i = 0; i < 256; ++i) palette[i] = {rgb[3 * i + 2], rgb[3 * i + 1], rgb[3 * i], 0};
  return palette;
}

Bytes PixelsOf(const SourceImage& image) {
  const size_t n = size_t(image.width) * size_t(image.height) * (image.rgba() ? 4 : 1);
  return Bytes(image.pixels.get(), image.pixels.get() + n);
}

const Bytes kRgba = {10, 20, 30, 255, 40, 50, 60, 128, 70, 80, 90, 0, 1, 2, 3, 64};

// A one-row PNG of the colour type and depth; row holds its samples.
Bytes PngOf(int width, int colourType, int depth, const Bytes& row) {
  Bytes out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(
      png, &out,
      [](png_structp p, png_bytep data, size_t n) {
        auto* bytes = static_cast<Bytes*>(png_get_io_ptr(p));
        bytes->insert(bytes->end(), data, data + n);
      },
      nullptr);
  png_set_IHDR(png, info, png_uint_32(width), 1, depth, colourType, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_write_row(png, row.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

TEST(DecodeSourceImage, ReadsEachBmpDepthAndGreyAndSixteenBitPngsTopRowFirst) {
  Bytes opaque = kRgba, topDown = IndexedBmp(1, 2, {7, 8}, kPalette);
  for (size_t i = 3; i < opaque.size(); i += 4) opaque[i] = 255;
  PutInt32(topDown, 22, -2);
  Bytes clear = BmpRgb(2, 2, 32, Bytes(16, 0));  // fourth bytes all 0: no alpha
  const struct {
    const char* name;
    Bytes file, pixels;  // pixels: indices, or red, green, blue, alpha
    bool alpha;
    int paletteSize = 0;
  } rows[] = {
      {"8-bit", IndexedBmp(3, 2, {1, 2, 3, 4, 5, 6}, kPalette), {1, 2, 3, 4, 5, 6}, false, 256},
      {"8-bit top-down", topDown, {8, 7}, false, 256},
      {"24-bit", BmpRgb(2, 2, 24, kRgba), opaque, false},
      {"32-bit", BmpRgb(2, 2, 32, kRgba), kRgba, true},
      {"32-bit without alpha", clear, {0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255},
       false},
      {"32-bit bit fields", BmpRgb(2, 2, 32, kRgba, true), kRgba, true},
      {"grey PNG", PngOf(2, PNG_COLOR_TYPE_GRAY, 8, {77, 3}), {77, 77, 77, 255, 3, 3, 3, 255},
       false},
      {"16-bit grey and alpha PNG", PngOf(1, PNG_COLOR_TYPE_GRAY_ALPHA, 16, {0x12, 0x34, 0x80, 0}),
       {0x12, 0x12, 0x12, 0x80}, true},
      {"16-bit RGB PNG", PngOf(1, PNG_COLOR_TYPE_RGB, 16, {0xAB, 1, 0xCD, 2, 0xEF, 3}),
       {0xAB, 0xCD, 0xEF, 255}, false},
  };
  for (const auto& row : rows) {
    std::string error;
    const auto image = DecodeSourceImage(row.file, error);
    ASSERT_TRUE(image) << row.name << ": " << error;
    EXPECT_EQ(std::tuple(PixelsOf(*image), image->alpha, image->paletteSize),
              std::tuple(row.pixels, row.alpha, row.paletteSize))
        << row.name;
  }
}

TEST(DecodeSourceImage, RefusesDamagedFilesBeforeAllocating) {
  const Bytes good = BmpRgb(3, 2, 24, Bytes(24, 9));
  const struct {
    const char* name;
    size_t at;
    int32_t value;  // at 0: the file's length instead
    std::string message;
  } rows[] = {
      {"16-bit", 28, 16, "not an uncompressed 8-, 24- or 32-bit BMP image (16 bits per pixel)"},
      {"compressed", 30, 1, "not an uncompressed 8-, 24- or 32-bit BMP image (24 bits per pixel)"},
      {"info size", 14, 39, "the BMP header is damaged"},
      {"pixel offset", 10, 1 << 30, "the BMP file is shorter than its colour table and rows"},
      {"truncated rows", 0, 14 + 40 + 8 * 2 - 1, "the BMP file is shorter than its colour table and rows"},
      {"huge width", 18, 1 << 30, "the BMP file is shorter than its colour table and rows"},
      {"huge height", 22, -(1 << 30), "the BMP file is shorter than its colour table and rows"},
      {"in headers", 10, 40, "the BMP file is damaged: its pixel data (at 40) overlaps its headers "
                             "or colour table (up to 54)"},
      {"no width", 18, 0, "the image holds no pixels (0 x 2)"},
      {"short", 0, 20, "the BMP file is shorter than its headers"},
  };
  for (const auto& row : rows) {
    Bytes bad = good;
    if (row.at == 0) bad.resize(size_t(row.value));
    else PutInt32(bad, row.at, row.value);
    std::string error;
    dw::testing::AllocationProbe probe;
    EXPECT_FALSE(DecodeSourceImage(bad, error)) << row.name;
    EXPECT_EQ(error, row.message) << row.name;
    EXPECT_LT(probe.largest(), size_t{4096}) << row.name;
  }
  std::string error;
  EXPECT_FALSE(DecodeSourceImage(Bytes{'G', 'I', 'F'}, error));
  EXPECT_EQ(error, "neither a BMP nor a PNG image");
}

TEST(DecodeSourceImage, ReadsPalettisedAndRgbaPngs) {
  dw::testing::TempDir dir;
  const Bytes pixels{9, 8, 7, 6, 0, 1};
  std::string error;
  const Bytes bmp = IndexedBmp(3, 2, pixels, kPalette);
  const BmpView view{3, 2, 4, bmp.data() + dw::kBmpHeaderSize, bmp.data() + dw::kBmpPixelOffset};
  const auto colours = ColoursFor(QuadsOf(kPalette), 1, SpriteLayer::Whole);
  ASSERT_TRUE(WriteOutputFile(dir.File("a.png"), [&](AtomicFile& f) { return WritePng(f, view, false); }).ok());
  ASSERT_TRUE(WriteOutputFile(dir.File("b.png"), [&](AtomicFile& f) { return WriteRgbaPng(f, view, colours); }).ok());
  const auto indexed = ReadPalettedImage(dir.File("a.png"), error);
  ASSERT_TRUE(indexed) << error;
  EXPECT_EQ(indexed->pixels, pixels);
  EXPECT_EQ(indexed->palette, kPalette);
  const auto rgba = ReadSourceImage(dir.File("b.png"), error);
  ASSERT_TRUE(rgba) << error;
  Bytes expected;
  for (uint8_t p : pixels) expected.insert(expected.end(), {colours[p].red, colours[p].green, colours[p].blue, colours[p].alpha});
  EXPECT_EQ(PixelsOf(*rgba), expected);
  EXPECT_FALSE(ReadPalettedImage(dir.File("b.png"), error));
  EXPECT_EQ(error, "not a palettised image");
  Bytes huge = dw::testing::ReadFile(dir.File("b.png"));  // IHDR says 8192 x 8192
  for (size_t at : {16, 20}) huge[at] = 0, huge[at + 1] = 0, huge[at + 2] = 0x20, huge[at + 3] = 0;
  const uLong crc = crc32(0, &huge[12], 17);
  for (int i = 0; i < 4; ++i) huge[size_t(29 + i)] = uint8_t(crc >> (24 - 8 * i));
  dw::testing::AllocationProbe probe;
  EXPECT_FALSE(DecodeSourceImage(huge, error));
  EXPECT_EQ(error, "the PNG file is too short for 8192 x 8192 pixels");
  EXPECT_LT(probe.largest(), size_t{1} << 20);
  Bytes png = dw::testing::ReadFile(dir.File("a.png"));
  png.resize(png.size() - 20);
  EXPECT_FALSE(DecodeSourceImage(png, error));
  EXPECT_FALSE(ReadSourceImage(dir.File("none.png"), error));
  EXPECT_EQ(error, "cannot be opened");
}

SourceImage Source(int32_t width, const Bytes& pixels, const std::array<uint8_t, 768>* palette) {
  SourceImage image;
  image.width = width;
  image.height = int32_t(pixels.size() / size_t(width) / (palette ? 1 : 4));
  if (palette) image.palette = *palette, image.paletteSize = 256;
  image.alpha = palette == nullptr;
  image.pixels.reset(new uint8_t[pixels.size()]);
  std::copy(pixels.begin(), pixels.end(), image.pixels.get());
  return image;
}

// Alpha per pixel of a layer: black (a shadow) or white (a selection).
Bytes Layer(const Bytes& alpha, uint8_t grey) {
  Bytes rgba;
  for (uint8_t a : alpha) rgba.insert(rgba.end(), {grey, grey, grey, a});
  return rgba;
}

TEST(MapToPalette, MapsColoursAndMarksFillCodes) {
  std::array<uint8_t, 768> reordered = kPalette, unknown = kPalette, coded = kPalette;
  std::swap_ranges(&reordered[30], &reordered[33], &reordered[60]);
  unknown[3 * 30] = 41;  // #29d718: entry 40 is #28d718
  unknown[3 * 30 + 1] = 215, unknown[3 * 30 + 2] = 24;
  for (size_t i = 0; i < 8; ++i)
    coded[3 * i] = kSpecialCodes[i].red, coded[3 * i + 1] = kSpecialCodes[i].green,
    coded[3 * i + 2] = kSpecialCodes[i].blue;
  const Bytes rgba = {9, 246, 63, 255, 0, 9, 9, 0, 0, 0, 0, 64, 0, 0, 0, 128};
  const Bytes odd = {41, 215, 24, 255, 9, 246, 63, 255}, faint = {9, 246, 63, 200, 9, 246, 63, 255};
  const uint8_t P = kPaintedPixel;
  const std::string nearest = " (--remap takes the nearest)";
  const struct {
    const char* name;
    const std::array<uint8_t, 768>* source;  // nullptr: RGBA
    Bytes pixels, shadow, overlay;
    const std::array<uint8_t, 768>& archive;
    bool remap;
    Bytes indices, fill;
    int64_t moved;
    std::string error;
  } rows[] = {
      {"reordered palette", &reordered, {10, 20, 60, 0}, {}, {}, kPalette, false, {20, 10, 60, 0}, {}, 0, ""},
      {"entry in no colour", &unknown, {5, 30}, {}, {}, kPalette, false, {}, {}, 0,
       "pixel (1, 0) is #29d718, a colour in no entry of the archive's palette" + nearest},
      {"entry remapped", &unknown, {5, 30, 30, 5}, {}, {}, kPalette, true, {5, 40, 40, 5}, {}, 2, ""},
      {"RGBA", nullptr, rgba, {}, {}, kPalette, false, {9, 0, 1, 4}, {P, 0, 1, 4}, 0, ""},
      {"RGBA colour in no entry", nullptr, odd, {}, {}, kPalette, false, {}, {}, 0,
       "pixel (0, 0) is #29d718, a colour in no entry of the archive's palette" + nearest},
      {"RGBA remapped", nullptr, odd, {}, {}, kPalette, true, {40, 9}, {P, P}, 1, ""},
      {"RGBA faint", nullptr, faint, {}, {}, kPalette, false, {}, {}, 0,
       "pixel (0, 0) is #09f63f at alpha 200, neither opaque, clear nor a shadow" + nearest},
      {"layers", nullptr, Bytes(16, 0), Layer({0, 128, 64, 0}, 0), Layer({255, 255, 255, 0}, 255),
       coded, false, {5, 6, 7, 0}, {5, 6, 7, 0}, 0, ""},
      {"selection without its code", nullptr, Bytes(8, 0), {}, Layer({255, 0}, 255), kPalette, false,
       {}, {}, 0, "pixel (0, 0) is a selection of alpha 0, which this archive has no code for"},
  };
  for (const auto& row : rows) {
    const SourceImage image = Source(2, row.pixels, row.source);
    const bool shadow = !row.shadow.empty(), overlay = !row.overlay.empty();
    const SourceImage shadowLayer = Source(2, shadow ? row.shadow : Bytes(8), nullptr);
    const SourceImage overlayLayer = Source(2, overlay ? row.overlay : Bytes(8), nullptr);
    const ImageLayers layers{shadow ? &shadowLayer : nullptr, overlay ? &overlayLayer : nullptr};
    int64_t moved = 0;
    std::string error;
    const auto mapped = MapToPalette(image, layers, {row.archive, 1, row.remap}, moved, error);
    EXPECT_EQ(error, row.error) << row.name;
    EXPECT_EQ(moved, row.moved) << row.name;
    if (!mapped) continue;
    EXPECT_EQ(mapped->pixels, row.indices) << row.name;
    EXPECT_EQ(mapped->fill, row.fill) << row.name;
  }
  const SourceImage body = Source(2, Bytes(8, 0), nullptr), red = Source(2, {255, 0, 0, 64, 0, 0, 0, 0}, nullptr);
  EXPECT_EQ(CheckLayer(red, body, true), "pixel (0, 0) is #ff0000 at alpha 64, not black at a shadow's alpha");
  EXPECT_EQ(CheckLayer(body, Source(1, Bytes(4, 0), nullptr), false),
            "not an RGBA image of 1 x 1 pixels, as its body image");
}

}  // namespace
}  // namespace dw::cli
