#include "tools/sample_frames.h"

#include <algorithm>

namespace dw::samples {
namespace {

bool IsShadow(uint8_t index) {
  return index >= 1 && index <= 5;
}

testing::RowRuns RowToRuns(const uint8_t* row, int width) {
  testing::RowRuns runs;
  int x = 0;
  while (x < width) {
    const uint8_t first = row[x];
    int end = x + 1;
    if (first == 0 || IsShadow(first)) {
      while (end < width && row[end] == first) ++end;
      runs.push_back(testing::Run{first, end - x, {}});
    } else {
      while (end < width && row[end] != 0 && !IsShadow(row[end])) ++end;
      runs.push_back(testing::Run{0, end - x, std::vector<uint8_t>(row + x, row + end)});
    }
    x = end;
  }
  return runs;
}

}  // namespace

testing::DirectoryEntry Entry(const std::string& name, int frame) {
  testing::DirectoryEntry entry;
  entry.name = name;
  entry.frame = frame;
  return entry;
}

testing::SpriteFrame FrameFromCanvas(const SpriteCanvas& canvas, int32_t compression) {
  int left = canvas.width(), right = -1, top = canvas.height(), bottom = -1;
  for (int y = 0; y < canvas.height(); ++y) {
    for (int x = 0; x < canvas.width(); ++x) {
      if (canvas.At(x, y) == 0) continue;
      left = std::min(left, x), right = std::max(right, x);
      top = std::min(top, y), bottom = std::max(bottom, y);
    }
  }
  if (right < 0) left = right = top = bottom = 0;
  int width = right - left + 1;
  if (compression == 3) {
    width = std::min(canvas.width(), (width + 31) / 32 * 32);
    left = std::min(left, canvas.width() - width);
  }
  const int height = bottom - top + 1;
  std::vector<uint8_t> pixels;
  pixels.reserve(size_t(width) * height);
  for (int y = top; y <= bottom; ++y) {
    for (int x = left; x < left + width; ++x) {
      const uint8_t index = canvas.At(x, y);
      pixels.push_back(compression == 0 && IsShadow(index) ? 0 : index);
    }
  }
  testing::SpriteFrame frame = testing::MakeFrame(compression, canvas.width(), canvas.height(),
                                                  width, height, left, top, pixels);
  std::vector<testing::RowRuns> rows;
  for (int y = 0; y < height; ++y)
    rows.push_back(RowToRuns(pixels.data() + size_t(y) * width, width));
  switch (compression) {
    case 1:
      frame.data = testing::EncodeByteRuns(rows);
      break;
    case 2:
      frame.data = testing::EncodeRowRuns(rows);
      break;
    case 3:
      frame.data = testing::EncodeSegmentRuns(rows, width);
      break;
    default:
      frame.data = testing::EncodeRaw(pixels);
      break;
  }
  return frame;
}

}  // namespace dw::samples
