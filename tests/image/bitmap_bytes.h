// Moving bytes in and out of bitmaps through memory streams, for the bitmap
// tests; the BMP images themselves come from tests/support/bmp_bytes.h.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "archive/stream.h"
#include "image/bitmap.h"
#include "tests/support/bmp_bytes.h"
#include "tests/support/def_writer.h"

namespace dw::testing {

std::unique_ptr<Bitmap> LoadBitmap(const std::vector<uint8_t>& bytes);
std::vector<uint8_t> SaveBitmap(Bitmap& bitmap);
// The colour table entry index of an indexed bitmap, as 0x00RRGGBB.
uint32_t TableEntry(const Bitmap& bitmap, int index);

// PixelAt of every pixel, top row first.
using Grid = std::vector<std::vector<uint32_t>>;
Grid Indices(const Bitmap& bitmap);

}  // namespace dw::testing
