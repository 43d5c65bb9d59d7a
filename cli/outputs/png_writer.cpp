#include "cli/outputs/png_writer.h"

#include "archive/bmp_layout.h"
#include "archive/little_endian.h"

#include <png.h>
#include <zlib.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>
#include <algorithm>

namespace dw::cli {
namespace {

constexpr int64_t kPixelOffset = kBmpPixelOffset;
constexpr int kMessageSize = 256;

uint32_t Get32(const std::vector<uint8_t>& bytes, size_t at) {
  return le::GetU32(bytes.data() + at);
}

uint16_t Get16(const std::vector<uint8_t>& bytes, size_t at) {
  return le::GetU16(bytes.data() + at);
}

void OnPngError(png_structp png, png_const_charp message) {
  auto* sink = static_cast<char*>(png_get_error_ptr(png));
  std::snprintf(sink, kMessageSize, "%s", message);
  png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

// What the encoder writes: the image's indices as they are, or each index
// through colours as RGBA (then rgbaRow holds one converted row).
struct Target {
  const png_color* palette = nullptr;  // palettised when set
  bool transparentZero = false;
  const Rgba* colours = nullptr;  // RGBA when set
  png_bytep rgbaRow = nullptr;
  bool rgb = false;  // the image's rows are red, green, blue, top row first
};

// Kept free of objects with destructors: libpng leaves it by longjmp on errors.
bool EncodePng(std::FILE* file, const BmpView& image, const Target& target, char* message) {
  png_structp png =
      png_create_write_struct(PNG_LIBPNG_VER_STRING, message, OnPngError, OnPngWarning);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    std::snprintf(message, kMessageSize, "out of memory");
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, file);
  png_set_user_limits(png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
  const bool rgba = target.colours != nullptr;
  // Chosen by measurement on sprites (bench/run.sh --paths-only, docs/performance.md).
  // Palettised: level 6 is the smallest; every faster level or strategy (levels 1-5,
  // filtered, run-length) makes the files 3% to 55% larger. RGBA rows are four
  // times as long and mostly transparent: level 3 encodes them in half the time of
  // level 6 (run-length triples the size), which keeps --alpha and --layers near
  // the palettised export at files about 1.8 times those of level 6.
  png_set_compression_strategy(png, Z_DEFAULT_STRATEGY);
  png_set_compression_level(png, rgba ? 3 : 6);
  png_set_IHDR(png, info, static_cast<png_uint_32>(image.width),
               static_cast<png_uint_32>(image.height), 8,
               rgba         ? PNG_COLOR_TYPE_RGBA
               : target.rgb ? PNG_COLOR_TYPE_RGB
                            : PNG_COLOR_TYPE_PALETTE,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_byte alpha[1] = {0};
  if (!rgba && !target.rgb) {
    png_set_PLTE(png, info, target.palette, 256);
    if (target.transparentZero) png_set_tRNS(png, info, alpha, 1, nullptr);
  }
  png_write_info(png, info);
  // PNG stores the top row first, the BMP the bottom row.
  for (int32_t y = 0; y < image.height; ++y) {
    const uint8_t* indices =
        image.pixels + (target.rgb ? y : int64_t{image.height} - 1 - y) * image.stride;
    if (!rgba) {
      png_write_row(png, indices);
      continue;
    }
    for (int32_t x = 0; x < image.width; ++x)
      std::memcpy(target.rgbaRow + 4 * int64_t{x}, &target.colours[indices[x]], 4);
    png_write_row(png, target.rgbaRow);
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return true;
}

// Encodes the image into the file; a failed write is the file's own error.
WriteResult WriteFile(AtomicFile& out, const BmpView& image, const Target& target) {
  if (image.width <= 0 || image.height <= 0) {
    WriteProblem problem = MakeWriteProblem(WriteProblemKind::PngSize);
    problem.width = image.width;
    problem.height = image.height;
    return problem;
  }
  std::FILE* file = out.file();
  if (file == nullptr) return std::nullopt;  // the file says why
  char message[kMessageSize] = {};
  if (EncodePng(file, image, target, message)) return std::nullopt;
  return MakeWriteProblem(WriteProblemKind::EncoderRefused, message);
}

}  // namespace

WriteResult WriteRgbPng(AtomicFile& out, int32_t width, int32_t height, const uint8_t* rgb) {
  BmpView view;
  view.width = width;
  view.height = height;
  view.stride = int64_t{width} * 3;
  view.pixels = rgb;
  Target target;
  target.rgb = true;
  return WriteFile(out, view, target);
}

BmpView ViewOf(const IndexedImage& image) {
  BmpView view;
  view.width = image.width;
  view.height = image.height;
  view.stride = image.stride;
  view.colourTable = reinterpret_cast<const uint8_t*>(image.palette.data());
  view.pixels = image.pixels.data();
  return view;
}

bool ViewBmp(const std::vector<uint8_t>& bmp, BmpView& view, std::string& error) {
  if (bmp.size() < static_cast<size_t>(kPixelOffset) || bmp[0] != 'B' || bmp[1] != 'M') {
    error = "the decoded image is not a BMP image";
    return false;
  }
  const auto width = static_cast<int32_t>(Get32(bmp, 18));
  const auto height = static_cast<int32_t>(Get32(bmp, 22));
  if (Get32(bmp, 10) != kPixelOffset || Get16(bmp, 28) != 8 || Get32(bmp, 30) != 0 || width < 0 ||
      height < 0) {
    error = "the decoded image is not an uncompressed 8-bit image";
    return false;
  }
  const int64_t stride = (int64_t{width} + 3) / 4 * 4;
  if (kPixelOffset + stride * height > static_cast<int64_t>(bmp.size())) {
    error = "the decoded image is shorter than its header says";
    return false;
  }
  view.width = width;
  view.height = height;
  view.stride = stride;
  view.colourTable = bmp.data() + 54;
  view.pixels = bmp.data() + kPixelOffset;
  return true;
}

WriteResult WritePng(AtomicFile& out, const BmpView& image, bool transparentZero) {
  png_color palette[256];
  for (int i = 0; i < 256 && image.colourTable != nullptr; ++i) {
    palette[i].red = image.colourTable[4 * i + 2];
    palette[i].green = image.colourTable[4 * i + 1];
    palette[i].blue = image.colourTable[4 * i];
  }
  Target target;
  target.palette = palette;
  target.transparentZero = transparentZero;
  return WriteFile(out, image, target);
}

WriteResult WriteRgbaPng(AtomicFile& out, const BmpView& image,
                         const std::array<Rgba, 256>& colours) {
  std::vector<png_byte> row(size_t(std::max(image.width, 0)) * 4);
  Target target;
  target.colours = colours.data();
  target.rgbaRow = row.data();
  return WriteFile(out, image, target);
}

}  // namespace dw::cli
