#include "archive/frame_decoder.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "archive/byte_cursor.h"
#include "archive/def_format.h"
#include "archive/frame_info.h"
#include "archive/from_bytes.h"
#include "archive/pixel_rows.h"

namespace dw {
namespace {

static_assert(sizeof(Palette) == kBmpColourTableSize, "the palette is the colour table as is");

std::string FramePrefix(int32_t frameIndex) {
  return "frame " + std::to_string(frameIndex) + ": ";
}

// Header and colour table of an image with the given size fields.
std::vector<uint8_t> StartImage(ConversionState& state, int32_t fullWidth, int32_t fullHeight,
                                int64_t pixelBytes) {
  BmpHeader& h = state.bmpHeader;
  h.biWidth = fullWidth;
  h.biHeight = fullHeight;
  h.bfSize = static_cast<uint32_t>(kBmpPixelOffset + pixelBytes);
  h.biSizeImage = static_cast<uint32_t>(pixelBytes);
  // No reader looks at the resolution; it holds the pixel count, wrapped to 32 bits.
  const auto resolution = static_cast<int32_t>(uint32_t(fullWidth) * uint32_t(fullHeight));
  h.biXPelsPerMeter = resolution;
  h.biYPelsPerMeter = resolution;

  std::vector<uint8_t> image(size_t(kBmpPixelOffset + pixelBytes));
  SerializeBmpHeader(h, image.data());
  std::memcpy(image.data() + kBmpHeaderSize, state.palette.data(), kBmpColourTableSize);
  return image;
}

// One write, however large the image, and the target is left at its start.
void Deliver(Stream& target, const std::vector<uint8_t>& image, Diagnostics& diagnostics) {
  SeekTo(target, 0);
  const int32_t written = WriteBytes(target, image.data(), static_cast<int32_t>(image.size()));
  SeekTo(target, 0);
  if (size_t(written) != image.size()) diagnostics.writeFailed = true;
}

void DeliverEmptyImage(ConversionState& state, Stream& target, Diagnostics& diagnostics) {
  Deliver(target, StartImage(state, 0, 0, 0), diagnostics);
}

FramePlacement Place(const FrameHeader& h, int64_t stride) {
  FramePlacement p;
  p.fullHeight = h.fullHeight;
  p.stride = stride;
  p.width = std::max(h.width, 0);
  // A margin of zero or less writes no background, so the rectangle then
  // starts at the image's edge.
  p.left = std::max(h.leftMargin, 0);
  p.top = std::max(h.topMargin, 0);
  p.visibleColumns = std::clamp<int64_t>(int64_t{h.fullWidth} - p.left, 0, p.width);
  p.visibleRows = std::clamp<int64_t>(p.fullHeight - p.top, 0, std::max(h.height, 0));
  return p;
}

bool FitsFullImage(const FrameHeader& h) {
  if (h.width <= 0 || h.height <= 0) return true;
  return h.leftMargin >= 0 && h.topMargin >= 0 && int64_t{h.leftMargin} + h.width <= h.fullWidth &&
         int64_t{h.topMargin} + h.height <= h.fullHeight;
}

std::string RowsMessage(int64_t first, int64_t count, const char* what) {
  std::string text = "row " + std::to_string(first) + " " + what;
  if (count > 1) text += " (and " + std::to_string(count - 1) + " more rows)";
  return text;
}

}  // namespace

Diagnostics DecodeFrameFromBytes(ConversionState& state, const std::vector<uint8_t>& bytes,
                                 int32_t frameIndex, Stream& target, const DecodeOptions& options,
                                 int64_t maxPixelBytes) {
  Diagnostics diagnostics;
  if (frameIndex < 0 || size_t(frameIndex) >= state.frames.size()) {
    diagnostics.Add("frame " + std::to_string(frameIndex) + " is not in the table");
    DeliverEmptyImage(state, target, diagnostics);
    return diagnostics;
  }
  const std::string prefix = FramePrefix(frameIndex);
  ByteCursor in(bytes.data(), int64_t(bytes.size()));
  const int32_t offset = state.frames[size_t(frameIndex)].offset;
  const std::optional<FrameHeader> head = ReadFrameHeaderAt(bytes, offset);
  if (!head) {
    diagnostics.Add(prefix + "head at " + std::to_string(offset) + " lies outside the file");
    DeliverEmptyImage(state, target, diagnostics);
    return diagnostics;
  }
  const FrameHeader& h = *head;
  state.typeCode = h.compression;
  state.fullWidth = h.fullWidth;
  state.fullHeight = h.fullHeight;

  if (h.fullWidth < 0 || h.fullHeight < 0) {
    diagnostics.Add(prefix + "negative full size " + std::to_string(h.fullWidth) + " x " +
                    std::to_string(h.fullHeight));
    DeliverEmptyImage(state, target, diagnostics);
    return diagnostics;
  }
  const int64_t stride = (int64_t{h.fullWidth} + 3) / 4 * 4;
  const int64_t pixelBytes = stride * h.fullHeight;
  if (pixelBytes > std::clamp<int64_t>(maxPixelBytes, 0, kMaxPixelBytes)) {
    diagnostics.Add(prefix + "image of " + std::to_string(h.fullWidth) + " x " +
                    std::to_string(h.fullHeight) + " is too large");
    DeliverEmptyImage(state, target, diagnostics);
    return diagnostics;
  }
  if (h.width < 0 || h.height < 0)
    diagnostics.Add(prefix + "negative stored size " + std::to_string(h.width) + " x " +
                    std::to_string(h.height));
  else if (!FitsFullImage(h))
    diagnostics.Add(prefix + "stored rectangle lies partly outside the full image");

  std::vector<uint8_t> image = StartImage(state, h.fullWidth, h.fullHeight, pixelBytes);
  if (h.compression >= 0 && h.compression <= 3) {
    const RowTrouble trouble =
        DecodePixels(in, int64_t{offset} + kFrameHeaderSize, h.compression, Place(h, stride),
                     options, state, image.data() + kBmpPixelOffset);
    if (trouble.outside > 0)
      diagnostics.Add(
          prefix + RowsMessage(trouble.firstOutside, trouble.outside, "starts outside the data"));
    if (trouble.cutShort > 0)
      diagnostics.Add(prefix + RowsMessage(trouble.firstCutShort, trouble.cutShort,
                                           "is cut short by the end of the data"));
  } else {
    diagnostics.Add(prefix + "unknown compression " + std::to_string(h.compression));
  }
  Deliver(target, image, diagnostics);
  return diagnostics;
}

Diagnostics DecodeFrame(ConversionState& state, int32_t frameIndex, Stream& target,
                        const DecodeOptions& options) {
  static const std::vector<uint8_t> kNoBytes;
  if (frameIndex < 0 || size_t(frameIndex) >= state.frames.size())
    return DecodeFrameFromBytes(state, kNoBytes, frameIndex, target, options);
  const auto bytes = state.archiveBytes.Current(state.archivePath);
  if (!bytes) {
    Diagnostics diagnostics;
    diagnostics.cannotOpen = true;
    diagnostics.Add("cannot open or read the archive");
    DeliverEmptyImage(state, target, diagnostics);
    return diagnostics;
  }
  return DecodeFrameFromBytes(state, *bytes, frameIndex, target, options);
}

}  // namespace dw
