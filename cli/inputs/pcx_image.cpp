#include "cli/inputs/pcx_image.h"

#include "archive/byte_cursor.h"
#include "archive/little_endian.h"

namespace dw::cli {
namespace {

constexpr int64_t kHeadBytes = 12;
constexpr int64_t kPaletteBytes = 768;

std::optional<uint32_t> ReadU32(ByteCursor& cursor) {
  const uint8_t* at = cursor.Peek(4);
  if (at == nullptr) return std::nullopt;
  cursor.Skip(4);
  return le::GetU32(at);
}

}  // namespace

std::optional<PcxImage> ReadPcxImage(const std::vector<uint8_t>& bytes, int64_t maxBytes,
                                     std::string& error) {
  ByteCursor cursor(bytes.data(), int64_t(bytes.size()));
  const std::optional<uint32_t> size = ReadU32(cursor);
  const std::optional<uint32_t> width = ReadU32(cursor);
  const std::optional<uint32_t> height = ReadU32(cursor);
  if (!size || !width || !height) {
    error = "the image's head is cut off (" + std::to_string(bytes.size()) + " of " +
            std::to_string(kHeadBytes) + " bytes)";
    return std::nullopt;
  }
  // Both below 2^32: the product fits in 64 bits unsigned.
  const uint64_t pixels = uint64_t{*width} * uint64_t{*height};
  const bool indexed = *size == pixels;
  const bool rgb = pixels <= UINT32_MAX && uint64_t{*size} == 3 * pixels;
  if (!indexed && !rgb) {
    error = "the image's size field (" + std::to_string(*size) + ") is neither its " +
            std::to_string(*width) + " x " + std::to_string(*height) + " pixels nor three times that";
    return std::nullopt;
  }
  if (pixels == 0 || *width > INT32_MAX || *height > INT32_MAX) {
    error = "the image of " + std::to_string(*width) + " x " + std::to_string(*height) +
            " pixels cannot be shown";
    return std::nullopt;
  }
  const int64_t data = int64_t{*size};  // below 2^32
  const int64_t needed = data + (indexed ? kPaletteBytes : 0);
  if (cursor.remaining() < needed) {
    error = "the image's data is cut off (" + std::to_string(cursor.remaining()) + " of " +
            std::to_string(needed) + " bytes after the head)";
    return std::nullopt;
  }
  if (data > maxBytes) {
    error = "the image's " + std::to_string(data) + " bytes of pixels pass the limit of " +
            std::to_string(maxBytes) + " bytes (raise it with --max-output)";
    return std::nullopt;
  }
  PcxImage image;
  image.width = int32_t(*width);
  image.height = int32_t(*height);
  image.indexed = indexed;
  const uint8_t* at = cursor.Peek(data);
  image.pixels.assign(at, at + data);
  cursor.Skip(data);
  if (indexed) {
    cursor.ReadInto(image.palette.data(), kPaletteBytes);
  } else {
    for (size_t i = 0; i + 2 < image.pixels.size(); i += 3) std::swap(image.pixels[i], image.pixels[i + 2]);
  }
  return image;
}

}  // namespace dw::cli
