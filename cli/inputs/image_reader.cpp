#include "cli/inputs/image_reader.h"

#include <fcntl.h>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include "archive/read_fully.h"
#include "image/bmp_reader.h"

namespace dw::cli {
namespace {

constexpr int kMessageSize = 256;
constexpr int64_t kMaxFileSize = int64_t{1} << 28;
constexpr uint64_t kMaxDeflateRatio = 1032;

std::string NoPixelsMessage(int64_t width, int64_t height) {
  return "the image holds no pixels (" + std::to_string(width) + " x " + std::to_string(height) +
         ")";
}

std::string LargerThanMessage() {
  return "the image is larger than " + std::to_string(kMaxImagePixels) + " pixels";
}

std::optional<SourceImage> DecodeBmp(std::span<const uint8_t> b, std::string& error) {
  using image_detail::BmpFault;
  image_detail::BmpFailure failure;
  std::optional<image_detail::DecodedBmp> bmp =
      image_detail::DecodeBmpFile(b.data(), int64_t(b.size()), kMaxImagePixels, failure);
  if (!bmp) {
    switch (failure.fault) {
      case BmpFault::ShortHeaders:
        error = "the BMP file is shorter than its headers";
        break;
      case BmpFault::Depth:
        error = "not an uncompressed 8-, 24- or 32-bit BMP image (" +
                std::to_string(failure.value) + " bits per pixel)";
        break;
      case BmpFault::Damaged:
        error = "the BMP header is damaged";
        break;
      case BmpFault::ShortRows:
        error = "the BMP file is shorter than its colour table and rows";
        break;
      case BmpFault::Overlap:
        error = "the BMP file is damaged: its pixel data (at " + std::to_string(failure.value) +
                ") overlaps its headers or colour table (up to " + std::to_string(failure.limit) +
                ")";
        break;
      case BmpFault::NoPixels:
        error = NoPixelsMessage(failure.value, failure.limit);
        break;
      case BmpFault::TooLarge:
        error = LargerThanMessage();
        break;
      case BmpFault::IndexBeyond:
        error = "a pixel uses index " + std::to_string(failure.value) + " beyond the colour table";
        break;
    }
    return std::nullopt;
  }
  SourceImage image;
  image.width = bmp->width;
  image.height = bmp->height;
  image.palette = bmp->palette;
  image.paletteSize = bmp->tableEntries;
  image.alpha = bmp->alpha;
  image.pixels = std::move(bmp->pixels);
  return image;
}

struct PngSource {
  std::span<const uint8_t> bytes;
  size_t at;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t size) {
  auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
  if (source->bytes.size() - source->at < size) png_error(png, "the PNG file ends early");
  std::memcpy(out, source->bytes.data() + source->at, size);
  source->at += size;
}

void OnPngError(png_structp png, png_const_charp message) {
  std::snprintf(static_cast<char*>(png_get_error_ptr(png)), kMessageSize, "%s", message);
  png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

// Kept free of objects with destructors: libpng leaves it by longjmp.
// Reads the head into image, sets the transforms that give 8-bit indices or
// 8-bit red, green, blue, alpha, gives the rows their room, then reads them.
// pixels and rows: the caller's, so that nothing here needs freeing when
// libpng jumps out.
bool DecodePngInto(PngSource* source, SourceImage* image, std::unique_ptr<uint8_t[]>* pixels,
                   std::unique_ptr<png_bytep[]>* rows, char* message) {
  png_structp png =
      png_create_read_struct(PNG_LIBPNG_VER_STRING, message, OnPngError, OnPngWarning);
  if (png == nullptr) return false;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  png_set_read_fn(png, source, ReadFromMemory);
  png_set_user_limits(png, 1u << 16, 1u << 16);
  png_read_info(png, info);
  const png_uint_32 width = png_get_image_width(png, info);
  const png_uint_32 height = png_get_image_height(png, info);
  if (int64_t{width} * int64_t{height} > kMaxImagePixels) {
    std::snprintf(message, kMessageSize, "%s", LargerThanMessage().c_str());
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  // Deflate packs at most 1032 bytes into one: a file too short to hold the
  // rows it claims is refused before they are given room.
  const uint64_t rawBytes = uint64_t{png_get_rowbytes(png, info) + 1} * height;
  if (rawBytes > kMaxDeflateRatio * source->bytes.size()) {
    std::snprintf(message, kMessageSize, "the PNG file is too short for %u x %u pixels", width,
                  height);
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  const bool palettised = png_get_color_type(png, info) == PNG_COLOR_TYPE_PALETTE;
  if (palettised) {
    png_set_packing(png);  // 1, 2 and 4-bit indices to a byte each
    png_colorp colours = nullptr;
    int count = 0;
    png_get_PLTE(png, info, &colours, &count);
    image->paletteSize = count;
    for (int i = 0; i < count && i < 256; ++i) {
      image->palette[size_t(3 * i)] = colours[i].red;
      image->palette[size_t(3 * i + 1)] = colours[i].green;
      image->palette[size_t(3 * i + 2)] = colours[i].blue;
    }
  } else {
    image->alpha = (png_get_color_type(png, info) & PNG_COLOR_MASK_ALPHA) != 0 ||
                   png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    png_set_strip_16(png);
    png_set_expand(png);  // low-bit grey to 8 bits, a tRNS colour to alpha
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
  }
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  const size_t rowBytes = png_get_rowbytes(png, info);
  if (rowBytes != size_t(width) * (palettised ? 1 : 4)) png_error(png, "unexpected row layout");
  image->width = static_cast<int32_t>(width);
  image->height = static_cast<int32_t>(height);
  pixels->reset(new uint8_t[rowBytes * height]);  // every byte written by libpng
  rows->reset(new png_bytep[height]);
  for (png_uint_32 y = 0; y < height; ++y) (*rows)[y] = pixels->get() + size_t(y) * rowBytes;
  png_read_image(png, rows->get());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  return true;
}

std::optional<SourceImage> DecodePng(std::span<const uint8_t> bytes, std::string& error) {
  PngSource source{bytes, 0};
  SourceImage image;
  std::unique_ptr<png_bytep[]> rows;
  char message[kMessageSize] = {};
  if (!DecodePngInto(&source, &image, &image.pixels, &rows, message)) {
    error = message[0] != 0 ? message : "the PNG file cannot be read";
    return std::nullopt;
  }
  if (image.width == 0 || image.height == 0) {
    error = NoPixelsMessage(image.width, image.height);
    return std::nullopt;
  }
  if (!image.rgba()) {
    const size_t count = size_t(image.width) * size_t(image.height);
    for (size_t i = 0; i < count; ++i) {
      if (image.pixels[i] >= image.paletteSize) {
        error = "a pixel uses index " + std::to_string(image.pixels[i]) + " beyond the palette";
        return std::nullopt;
      }
    }
  }
  return image;
}

}  // namespace

std::optional<SourceImage> DecodeSourceImage(std::span<const uint8_t> bytes, std::string& error) {
  static const uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') return DecodeBmp(bytes, error);
  if (bytes.size() >= 8 && std::memcmp(bytes.data(), kPngSignature, 8) == 0)
    return DecodePng(bytes, error);
  error = "neither a BMP nor a PNG image";
  return std::nullopt;
}

std::optional<SourceImage> ReadSourceImage(const std::string& path, std::string& error,
                                           const std::string* cannotRead) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = cannotRead != nullptr ? *cannotRead : "cannot be opened";
    return std::nullopt;
  }
  struct stat status {};
  if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size > kMaxFileSize) {
    ::close(fd);
    error = "is not an image of a size this converter reads";
    return std::nullopt;
  }
  // Not zero-filled: only the bytes read are looked at.
  const std::unique_ptr<uint8_t[]> bytes(new uint8_t[size_t(status.st_size)]);
  const int64_t done = ReadFully(fd, bytes.get(), size_t(status.st_size));
  ::close(fd);
  if (done < 0) {
    error = cannotRead != nullptr ? *cannotRead : "cannot be read";
    return std::nullopt;
  }
  return DecodeSourceImage({bytes.get(), size_t(done)}, error);  // a file that shrank is cut short
}

namespace {

std::optional<PalettedImage> Palettised(std::optional<SourceImage> source, std::string& error) {
  if (!source) return std::nullopt;
  if (source->rgba()) {
    error = "not a palettised image";
    return std::nullopt;
  }
  PalettedImage image;
  image.width = source->width;
  image.height = source->height;
  image.palette = source->palette;
  image.paletteSize = source->paletteSize;
  const uint8_t* pixels = source->pixels.get();
  image.pixels.assign(pixels, pixels + size_t(image.width) * size_t(image.height));
  return image;
}

}  // namespace

std::optional<PalettedImage> DecodePalettedImage(const std::vector<uint8_t>& bytes,
                                                 std::string& error) {
  return Palettised(DecodeSourceImage(bytes, error), error);
}

std::optional<PalettedImage> ReadPalettedImage(const std::string& path, std::string& error,
                                               const std::string* cannotRead) {
  return Palettised(ReadSourceImage(path, error, cannotRead), error);
}

}  // namespace dw::cli
