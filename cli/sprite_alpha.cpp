#include "cli/sprite_alpha.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

namespace dw::cli {
namespace {

enum class Rule { Transparent, ShadowBorder, ShadowBody, Outline };

// The special indices, as data: index -> what it becomes.
constexpr std::array<Rule, 8> kSpecial = {Rule::Transparent, Rule::ShadowBorder, Rule::Transparent,
                                          Rule::Transparent, Rule::ShadowBody,   Rule::Outline,
                                          Rule::ShadowBody,  Rule::ShadowBorder};
constexpr uint8_t kBorderAlpha = 64;
constexpr uint8_t kBodyAlpha = 128;
constexpr int kMessageSize = 256;

void OnError(png_structp png, png_const_charp message) {
  std::snprintf(static_cast<char*>(png_get_error_ptr(png)), kMessageSize, "%s", message);
  png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

// Kept free of objects with destructors: libpng leaves it by longjmp.
bool Encode(std::FILE* file, const IndexedImage& image, const Rgba* colours, png_bytep row,
            char* message) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, message, OnError, OnWarning);
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
  png_set_IHDR(png, info, png_uint_32(image.width), png_uint_32(image.height), 8,
               PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  // One row at a time, top row first: no second copy of the image.
  for (int32_t y = 0; y < image.height; ++y) {
    const uint8_t* indices = image.TopRow(y);
    for (int32_t x = 0; x < image.width; ++x) std::memcpy(row + 4 * x, &colours[indices[x]], 4);
    png_write_row(png, row);
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

const char* const kAlphaMappingText =
    "--alpha maps palette indices to RGBA: 0, 2 and 3 transparent; 1 and 7 (shadow border) "
    "black at alpha 64; 4 and 6 (shadow body) black at alpha 128; 5 (selection outline) "
    "transparent, or opaque in its palette colour with --outline; every other index opaque "
    "in its palette colour. Shadow and outline runs keep their codes for this.";

std::array<Rgba, 256> AlphaColours(const Palette& palette, bool outline) {
  std::array<Rgba, 256> colours;
  for (size_t i = 0; i < colours.size(); ++i) {
    const Rgba own{palette[i].red, palette[i].green, palette[i].blue, 255};
    if (i >= kSpecial.size()) {
      colours[i] = own;
      continue;
    }
    switch (kSpecial[i]) {
      case Rule::Transparent:
        colours[i] = Rgba{};
        break;
      case Rule::ShadowBorder:
        colours[i] = Rgba{0, 0, 0, kBorderAlpha};
        break;
      case Rule::ShadowBody:
        colours[i] = Rgba{0, 0, 0, kBodyAlpha};
        break;
      case Rule::Outline:
        colours[i] = outline ? own : Rgba{};
        break;
    }
  }
  return colours;
}

std::string WriteRgbaPng(AtomicFile& out, const IndexedImage& image,
                         const std::array<Rgba, 256>& colours) {
  if (image.Empty()) {
    return "an image of " + std::to_string(image.width) + " x " + std::to_string(image.height) +
           " pixels cannot be stored as PNG";
  }
  std::vector<png_byte> row(size_t(image.width) * 4);
  std::FILE* file = out.file();
  if (file == nullptr) return {};  // the file says why
  char message[kMessageSize] = {};
  const bool encoded = Encode(file, image, colours.data(), row.data(), message);
  return encoded ? std::string() : message;
}

}  // namespace dw::cli
