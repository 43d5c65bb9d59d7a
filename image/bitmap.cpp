#include "image/bitmap.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <utility>

#include "image/bitmap_canvas.h"
#include "image/bmp_reader.h"
#include "archive/bmp_layout.h"
#include "archive/little_endian.h"
#include "image/pixel_layout.h"

namespace dw {

using image_detail::BitsOf;
using le::GetI32;
using le::GetU32;
using le::PutU16;
using le::PutU32;

namespace {

// A fresh bottom-up info header for width x height pixels of format, with a
// zeroed colour table.
std::vector<uint8_t> NewHeader(int32_t width, int32_t height, PixelFormat format) {
  std::vector<uint8_t> header(kDibHeaderBlockSize, 0);
  uint8_t* h = header.data();
  PutU32(h, kBmpInfoHeaderSize);
  PutU32(h + kInfoWidth, static_cast<uint32_t>(width));
  PutU32(h + kInfoHeight, static_cast<uint32_t>(height));
  PutU16(h + kInfoPlanes, 1);
  PutU16(h + kInfoBitCount, static_cast<uint16_t>(BitsOf(format)));
  if (format == PixelFormat::Bits16Masks) {
    PutU32(h + kInfoCompression, kBitFieldsCompression);
    PutU32(h + kBmpInfoHeaderSize, 0xF800);
    PutU32(h + kBmpInfoHeaderSize + 4, 0x07E0);
    PutU32(h + kBmpInfoHeaderSize + 8, 0x001F);
  }
  return header;
}

}  // namespace

Bitmap::Bitmap() : canvas_(std::make_unique<BitmapCanvas>(*this)) {}
Bitmap::~Bitmap() = default;

std::unique_ptr<Bitmap> CreateBitmap(int32_t width, int32_t height) {
  auto bitmap = std::make_unique<Bitmap>();
  bitmap->width_ = std::max(width, 0);
  bitmap->height_ = std::max(height, 0);
  bitmap->handleKind_ = HandleKind::DeviceDependent;
  return bitmap;
}

void Bitmap::ReleasePixels() {
  std::vector<uint8_t>().swap(dibHeader_);
  std::vector<uint8_t>().swap(dibBits_);
  dibSize_ = 0;
  scanLineSize_ = 0;
  pixelFormat_ = PixelFormat::Device;
}

void Bitmap::Clear() {
  ReleasePixels();
  width_ = 0;
  height_ = 0;
}

void Bitmap::LoadFromStream(Stream& stream) {
  Clear();
  handleKind_ = HandleKind::DeviceIndependent;
  const int32_t start = CurrentPosition(stream);
  std::optional<image_detail::BmpImage> image = image_detail::ReadBmpImage(stream);
  if (!image) {
    SeekTo(stream, start);
    Clear();
    return;
  }
  width_ = image->width;
  height_ = image->height;
  if (height_ == 0) return;  // nothing to hold: an empty bitmap that keeps its width
  dibHeader_ = std::move(image->header);
  dibBits_ = std::move(image->bits);
  scanLineSize_ = image->scanLineSize;
  dibSize_ = static_cast<int32_t>(dibBits_.size());
  pixelFormat_ = image->format;
}

void Bitmap::LoadIndexedImage(IndexedImage&& image) {
  Clear();
  handleKind_ = HandleKind::DeviceIndependent;
  const int64_t pixelBytes = int64_t(image.pixels.size());
  // As a BMP of these sizes loads: no width gives nothing, no height an
  // empty bitmap that keeps its width.
  if (image.width <= 0 || image.height < 0 || pixelBytes > kMaxBitmapBytes ||
      pixelBytes != image.stride * image.height) {
    return;
  }
  width_ = image.width;
  height_ = image.height;
  if (height_ == 0) return;
  uint8_t file[kBmpHeaderSize];
  SerializeBmpHeader(FrameBmpHeader(image.width, image.height, pixelBytes), file);
  dibHeader_.assign(kDibHeaderBlockSize, 0);
  std::memcpy(dibHeader_.data(), file + kBmpFileHeaderSize, kBmpInfoHeaderSize);
  std::memcpy(dibHeader_.data() + kBmpInfoHeaderSize, image.palette.data(), kBmpColourTableSize);
  dibBits_ = std::move(image.pixels);
  scanLineSize_ = static_cast<int32_t>(image.stride);
  dibSize_ = static_cast<int32_t>(pixelBytes);
  pixelFormat_ = PixelFormat::Bits8;
}

bool Bitmap::Materialise() {
  if (HasPixels()) return true;
  if (Empty()) return false;
  const int64_t rowBytes = image_detail::RowBytes(width_, 8);
  if (rowBytes < 0 || rowBytes * height_ > kMaxBitmapBytes) return false;
  dibHeader_ = NewHeader(width_, height_, PixelFormat::Bits8);
  dibBits_.assign(static_cast<size_t>(rowBytes * height_), 0);
  scanLineSize_ = static_cast<int32_t>(rowBytes);
  dibSize_ = static_cast<int32_t>(dibBits_.size());
  pixelFormat_ = PixelFormat::Bits8;
  handleKind_ = HandleKind::DeviceIndependent;
  return true;
}

void Bitmap::SaveToStream(Stream& stream) {
  if (Empty()) return;
  if (!HasPixels() && !Materialise()) return;
  const int32_t start = CurrentPosition(stream);
  const int bits = BitsOf(pixelFormat_);
  int32_t tableBytes = bits <= 8 ? 4 << bits : 0;
  // Bit-field images keep their masks behind the info header, so that the
  // file says what its values mean.
  const uint32_t compression = GetU32(dibHeader_.data() + kInfoCompression);
  if (bits > 8 && (compression == kBitFieldsCompression ||
                   compression == kAlphaBitFieldsCompression)) {
    tableBytes = 12;
  }
  const int32_t headersSize = kBmpFileHeaderSize + kBmpInfoHeaderSize;
  uint8_t fileHeader[kBmpFileHeaderSize] = {'B', 'M'};
  PutU32(fileHeader + 2, static_cast<uint32_t>(headersSize + tableBytes + dibSize_));
  PutU32(fileHeader + 10, static_cast<uint32_t>(headersSize + tableBytes));

  const int32_t infoBytes = kBmpInfoHeaderSize + tableBytes;
  if (WriteBytes(stream, fileHeader, kBmpFileHeaderSize) <
          kBmpFileHeaderSize ||
      WriteBytes(stream, dibHeader_.data(), infoBytes) < infoBytes ||
      WriteBytes(stream, dibBits_.data(), dibSize_) < dibSize_) {
    SeekTo(stream, start);
  }
}

int Bitmap::SaveToFile(const std::string& path) {
  if (Empty()) return 0;
  AtomicFile file(path);
  SaveToStream(file.stream());
  return file.Commit() ? 0 : file.error();
}

void Bitmap::SetWidth(int32_t width) {
  width = std::max(width, 0);
  if (width == width_) return;
  if (!HasPixels()) {
    width_ = width;
    if (!Empty()) handleKind_ = HandleKind::DeviceDependent;  // a black image of that size
    return;
  }
  if (width == 0) {
    ReleasePixels();
    width_ = 0;
    return;
  }
  Rebuild(width);
}

void Bitmap::Rebuild(int32_t width) {
  const int bits = BitsOf(pixelFormat_);
  const int64_t rowBytes = image_detail::RowBytes(width, bits);
  if (rowBytes < 0 || rowBytes * height_ > kMaxBitmapBytes) return;

  std::vector<uint8_t> header = NewHeader(width, height_, pixelFormat_);
  const image_detail::PixelLayout from = Layout();
  if (from.indexed) {
    std::memcpy(header.data() + kBmpInfoHeaderSize, from.table,
                static_cast<size_t>(from.tableEntries()) * 4);
  }
  const image_detail::PixelLayout to = image_detail::LayoutOf(pixelFormat_, header.data());

  // New columns stay zero: index 0, or black.
  std::vector<uint8_t> pixels(static_cast<size_t>(rowBytes * height_), 0);
  const int32_t columns = std::min(width, width_);
  const bool sameEncoding = from.SameEncodingAs(to);
  const bool oldTopDown = topDown();
  for (int32_t y = 0; y < height_; ++y) {
    const uint8_t* fromRow =
        dibBits_.data() + image_detail::StoredRow(y, height_, oldTopDown) * int64_t{scanLineSize_};
    uint8_t* toRow = pixels.data() + image_detail::StoredRow(y, height_, false) * rowBytes;
    if (sameEncoding && bits >= 8) {
      std::memcpy(toRow, fromRow, static_cast<size_t>(columns) * (bits / 8));
      continue;
    }
    for (int32_t x = 0; x < columns; ++x) {
      uint32_t value = image_detail::ReadValue(fromRow, x, bits);
      if (!sameEncoding) value = image_detail::ValueOf(to, image_detail::ColourOf(from, value));
      image_detail::WriteValue(toRow, x, bits, value);
    }
  }

  dibHeader_ = std::move(header);
  dibBits_ = std::move(pixels);
  width_ = width;
  scanLineSize_ = static_cast<int32_t>(rowBytes);
  dibSize_ = static_cast<int32_t>(dibBits_.size());
}

DrawingSurface* Bitmap::Canvas() {
  if (Empty()) return nullptr;
  if (!HasPixels() && !Materialise()) return nullptr;
  return canvas_.get();
}

void Bitmap::Draw(DrawingSurface& target, int x, int y) const {
  if (Empty()) return;
  target.DrawBitmap(*this, x, y);
}

uint8_t* Bitmap::mutableDibBits() {
  return dibBits_.empty() ? nullptr : dibBits_.data();
}

int Bitmap::bitCount() const {
  return BitsOf(pixelFormat_);
}

image_detail::PixelLayout Bitmap::Layout() const {
  return image_detail::LayoutOf(pixelFormat_, dibHeader());
}

bool Bitmap::topDown() const {
  return !dibHeader_.empty() && GetI32(dibHeader_.data() + kInfoHeight) < 0;
}

uint32_t Bitmap::PixelAt(int32_t x, int32_t y) const {
  if (!HasPixels() || x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  const uint8_t* row =
      dibBits_.data() + image_detail::StoredRow(y, height_, topDown()) * int64_t{scanLineSize_};
  return image_detail::ReadValue(row, x, bitCount());
}

}  // namespace dw
