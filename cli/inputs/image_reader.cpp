#include "cli/inputs/image_reader.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>

namespace dw::cli {
namespace {

constexpr int kMessageSize = 256;
constexpr size_t kBmpFileHeader = 14;
constexpr int64_t kMaxFileSize = int64_t{1} << 28;

uint32_t Get32(const std::vector<uint8_t>& b, size_t at) {
  return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
         uint32_t(b[at + 3]) << 24;
}

uint16_t Get16(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}

std::optional<PalettedImage> DecodeBmp(const std::vector<uint8_t>& b, std::string& error) {
  if (b.size() < kBmpFileHeader + 40) {
    error = "the BMP file is shorter than its headers";
    return std::nullopt;
  }
  const uint32_t pixelOffset = Get32(b, 10);
  const uint32_t infoSize = Get32(b, 14);
  const auto width = static_cast<int32_t>(Get32(b, 18));
  const auto rawHeight = static_cast<int32_t>(Get32(b, 22));
  const uint16_t bits = Get16(b, 28);
  const uint32_t compression = Get32(b, 30);
  const uint32_t used = Get32(b, 46);
  if (bits != 8 || compression != 0) {
    error = "not an uncompressed 8-bit BMP image (" + std::to_string(bits) + " bits per pixel)";
    return std::nullopt;
  }
  if (infoSize < 40 || width < 0 || rawHeight == std::numeric_limits<int32_t>::min() ||
      used > 256) {
    error = "the BMP header is damaged";
    return std::nullopt;
  }
  const int64_t height = rawHeight < 0 ? -int64_t{rawHeight} : rawHeight;
  const int64_t colours = used == 0 ? 256 : used;
  const int64_t tableEnd = int64_t(kBmpFileHeader) + infoSize + 4 * colours;
  const int64_t stride = (int64_t{width} + 3) / 4 * 4;
  if (tableEnd > int64_t(b.size()) || int64_t{pixelOffset} + stride * height > int64_t(b.size())) {
    error = "the BMP file is shorter than its colour table and rows";
    return std::nullopt;
  }
  if (pixelOffset < tableEnd) {
    error = "the BMP file is damaged: its pixel data (at " + std::to_string(pixelOffset) +
            ") overlaps its headers or colour table (up to " + std::to_string(tableEnd) + ")";
    return std::nullopt;
  }
  if (width == 0 || height == 0) {
    error = "the image holds no pixels (" + std::to_string(width) + " x " +
            std::to_string(height) + ")";
    return std::nullopt;
  }
  if (int64_t{width} * height > kMaxImagePixels) {
    error = "the image is larger than " + std::to_string(kMaxImagePixels) + " pixels";
    return std::nullopt;
  }
  PalettedImage image;
  image.width = width;
  image.height = static_cast<int32_t>(height);
  image.paletteSize = static_cast<int>(colours);
  const size_t table = kBmpFileHeader + infoSize;
  for (int64_t i = 0; i < colours; ++i) {
    image.palette[size_t(3 * i)] = b[table + 4 * i + 2];
    image.palette[size_t(3 * i + 1)] = b[table + 4 * i + 1];
    image.palette[size_t(3 * i + 2)] = b[table + 4 * i];
  }
  image.pixels.resize(size_t(width) * size_t(height));
  for (int64_t y = 0; y < height; ++y) {
    const int64_t stored = rawHeight < 0 ? y : height - 1 - y;  // positive height: bottom-up
    std::memcpy(image.pixels.data() + y * width, b.data() + pixelOffset + stored * stride,
                size_t(width));
  }
  for (uint8_t index : image.pixels) {
    if (index >= colours) {
      error = "a pixel uses index " + std::to_string(index) + " beyond the colour table";
      return std::nullopt;
    }
  }
  return image;
}

struct PngSource {
  const std::vector<uint8_t>* bytes;
  size_t at;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t size) {
  auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
  if (source->bytes->size() - source->at < size) png_error(png, "the PNG file ends early");
  std::memcpy(out, source->bytes->data() + source->at, size);
  source->at += size;
}

void OnPngError(png_structp png, png_const_charp message) {
  std::snprintf(static_cast<char*>(png_get_error_ptr(png)), kMessageSize, "%s", message);
  png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

enum class PngStep { Done, Failed, NotPalettised };

// Kept free of objects with destructors: libpng leaves it by longjmp.
// Reads the head into image, asks for rows to be given their room, then reads them.
// rows: the caller's, so that nothing here needs freeing when libpng jumps out.
PngStep DecodePngInto(PngSource* source, PalettedImage* image, std::vector<uint8_t>* pixels,
                      std::vector<png_bytep>* rows, char* message) {
  png_structp png =
      png_create_read_struct(PNG_LIBPNG_VER_STRING, message, OnPngError, OnPngWarning);
  if (png == nullptr) return PngStep::Failed;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return PngStep::Failed;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return PngStep::Failed;
  }
  png_set_read_fn(png, source, ReadFromMemory);
  png_set_user_limits(png, 1u << 16, 1u << 16);
  png_read_info(png, info);
  const png_uint_32 width = png_get_image_width(png, info);
  const png_uint_32 height = png_get_image_height(png, info);
  if (png_get_color_type(png, info) != PNG_COLOR_TYPE_PALETTE ||
      png_get_bit_depth(png, info) != 8 ||
      png_get_interlace_type(png, info) != PNG_INTERLACE_NONE) {
    png_destroy_read_struct(&png, &info, nullptr);
    return PngStep::NotPalettised;
  }
  if (int64_t{width} * int64_t{height} > kMaxImagePixels) {
    std::snprintf(message, kMessageSize, "the image is larger than %lld pixels",
                  static_cast<long long>(kMaxImagePixels));
    png_destroy_read_struct(&png, &info, nullptr);
    return PngStep::Failed;
  }
  png_colorp colours = nullptr;
  int count = 0;
  png_get_PLTE(png, info, &colours, &count);
  image->width = static_cast<int32_t>(width);
  image->height = static_cast<int32_t>(height);
  image->paletteSize = count;
  for (int i = 0; i < count && i < 256; ++i) {
    image->palette[size_t(3 * i)] = colours[i].red;
    image->palette[size_t(3 * i + 1)] = colours[i].green;
    image->palette[size_t(3 * i + 2)] = colours[i].blue;
  }
  pixels->resize(size_t(width) * height);
  rows->resize(height);
  for (png_uint_32 y = 0; y < height; ++y) (*rows)[y] = pixels->data() + size_t(y) * width;
  png_read_image(png, rows->data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  return PngStep::Done;
}

std::optional<PalettedImage> DecodePng(const std::vector<uint8_t>& bytes, std::string& error) {
  PngSource source{&bytes, 0};
  PalettedImage image;
  std::vector<png_bytep> rows;
  char message[kMessageSize] = {};
  const PngStep step = DecodePngInto(&source, &image, &image.pixels, &rows, message);
  if (step == PngStep::NotPalettised) {
    error = "not an 8-bit palettised PNG image";
    return std::nullopt;
  }
  if (step == PngStep::Failed) {
    error = message[0] != 0 ? message : "the PNG file cannot be read";
    return std::nullopt;
  }
  for (uint8_t index : image.pixels) {
    if (index >= image.paletteSize) {
      error = "a pixel uses index " + std::to_string(index) + " beyond the palette";
      return std::nullopt;
    }
  }
  return image;
}

}  // namespace

std::optional<PalettedImage> DecodePalettedImage(const std::vector<uint8_t>& bytes,
                                                 std::string& error) {
  static const uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') return DecodeBmp(bytes, error);
  if (bytes.size() >= 8 && std::memcmp(bytes.data(), kPngSignature, 8) == 0)
    return DecodePng(bytes, error);
  error = "neither a BMP nor a PNG image";
  return std::nullopt;
}

std::optional<PalettedImage> ReadPalettedImage(const std::string& path, std::string& error,
                                               const std::string* cannotRead) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) {
    error = cannotRead != nullptr ? *cannotRead : "cannot be opened";
    return std::nullopt;
  }
  const std::streamoff size = in.tellg();
  if (size < 0 || size > kMaxFileSize) {
    error = "is not an image of a size this converter reads";
    return std::nullopt;
  }
  in.seekg(0);
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  in.read(reinterpret_cast<char*>(bytes.data()), size);
  if (!in) {
    error = cannotRead != nullptr ? *cannotRead : "cannot be read";
    return std::nullopt;
  }
  return DecodePalettedImage(bytes, error);
}

}  // namespace dw::cli
