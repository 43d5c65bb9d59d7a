// The in-memory image: a BMP info header with its colour table, and pixel rows
// of scanLineSize bytes, stored bottom-up (top-down only when loaded so, which
// the header's negative height records). Every image the program handles
// comes from a BMP byte stream (a decoded frame, or another bitmap's save).
//
// A bitmap is empty when its width or height is 0; an empty bitmap has no
// header and no pixels, and drawing, saving and widening it do nothing (a
// widening only records the new width). Loading never reports failure: a short
// or malformed stream, a width of 0 or less, an unknown bit count, or pixel
// rows of more than kMaxBitmapBytes leave the bitmap empty and the stream where
// the load began. An image of height 0 loads as an empty bitmap that keeps its
// width. No input makes it read or write outside its buffers, and nothing is
// allocated before the stream is known to hold the data.
//
// A bitmap made by CreateBitmap and not loaded yet has a size but no pixels; it
// counts as an all-black image. Saving it, or asking for its Canvas, first
// turns it into an 8-bit image of index 0 with an all-black colour table.
//
// The bitmap owns its header, pixels and canvas; the canvas lives as long as
// the bitmap (it paints nothing while the bitmap is empty). It keeps no screen
// copy of its pixels: image/screen_image.h converts them when they are shown.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "archive/bmp_layout.h"
#include "archive/indexed_image.h"
#include "archive/stream.h"
#include "image/drawing_surface.h"
#include "image/pixel_format.h"
#include "image/pixel_layout.h"

namespace dw {

enum class HandleKind : uint8_t { DeviceIndependent, DeviceDependent };

class Bitmap {
 public:
  Bitmap();
  ~Bitmap();
  Bitmap(const Bitmap&) = delete;
  Bitmap& operator=(const Bitmap&) = delete;

  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  bool Empty() const { return width_ == 0 || height_ == 0; }

  // Replaces the whole content with the BMP image at the stream's position
  // (with or without the 14-byte file header); the stream is left after the
  // pixel data, or where it was when the load fails.
  void LoadFromStream(Stream& stream);
  // Takes over a decoded frame's pixels without copying them: the same
  // bitmap as loading the frame's BMP file gives.
  void LoadIndexedImage(IndexedImage&& image);
  // Writes the image as a complete BMP at the stream's position.
  void SaveToStream(Stream& stream);
  // Creates or replaces the file, whole or not at all; an empty bitmap
  // creates no file. Returns 0, or the system's error number of the failure.
  int SaveToFile(const std::string& path);
  // Changes the width (less than 0 counts as 0); existing pixels keep their
  // place, the palette is kept, new columns are index 0 (black for direct
  // colour). The result has a fresh bottom-up header. A widening beyond
  // kMaxBitmapBytes leaves the bitmap unchanged.
  void SetWidth(int32_t width);
  // The surface other bitmaps paint into; none for an empty bitmap. Painting
  // maps every colour to the lowest index of this bitmap's colour table that
  // holds it, else to the nearest colour (lowest index on ties).
  DrawingSurface* Canvas();
  // Paints the whole bitmap 1:1 at (x, y) of target.
  void Draw(DrawingSurface& target, int x, int y) const;
  // Releases everything; size becomes 0 x 0.
  void Clear();

  // The loaded data, for surfaces and tests.
  PixelFormat pixelFormat() const { return pixelFormat_; }
  HandleKind handleKind() const { return handleKind_; }
  int32_t scanLineSize() const { return scanLineSize_; }
  int32_t dibSize() const { return dibSize_; }
  const uint8_t* dibHeader() const { return dibHeader_.empty() ? nullptr : dibHeader_.data(); }
  const uint8_t* dibBits() const { return dibBits_.empty() ? nullptr : dibBits_.data(); }
  uint8_t* mutableDibBits();
  int bitCount() const;
  // How the pixels' values turn into colours (none without pixels); valid
  // while the bitmap's header stays.
  image_detail::PixelLayout Layout() const;
  bool topDown() const;
  // Palette index (indexed images) or raw value at column x of row y counted
  // from the top (24 bits as 0xRRGGBB); 0 outside the image or without pixels.
  uint32_t PixelAt(int32_t x, int32_t y) const;

 private:
  friend std::unique_ptr<Bitmap> CreateBitmap(int32_t width, int32_t height);
  class BitmapCanvas;
  bool HasPixels() const { return !dibBits_.empty(); }
  // Turns a never-loaded bitmap into an 8-bit image of index 0; false when it
  // would be too large.
  bool Materialise();
  void ReleasePixels();
  void Rebuild(int32_t width);

  int32_t height_ = 0;
  int32_t width_ = 0;
  int32_t scanLineSize_ = 0;
  HandleKind handleKind_ = HandleKind::DeviceDependent;
  std::vector<uint8_t> dibHeader_;  // kDibHeaderBlockSize bytes, or none
  std::vector<uint8_t> dibBits_;
  int32_t dibSize_ = 0;
  PixelFormat pixelFormat_ = PixelFormat::Device;
  std::unique_ptr<BitmapCanvas> canvas_;
};

// A new bitmap of that size, not loaded yet (the program creates 1 x 1
// placeholders and loads into them at once).
std::unique_ptr<Bitmap> CreateBitmap(int32_t width, int32_t height);

}  // namespace dw
