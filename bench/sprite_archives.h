// Archives shaped like the ones people convert, written with the test archive
// writer into a folder of the caller's choice. Pixels look like sprites: a body
// with an outline, moving legs and a flat shadow over a background, so that the
// run encodings see runs of background and of colour as real files have them.
#pragma once

#include <cstdint>
#include <string>

namespace dw::bench {

enum class Shape {
  Creature,   // 150 entries over 100 frames of 450 x 400 (stored ~200 x 250), compression 1
  MapObject,  // 500 frames of 96 x 64, compression 3
  Terrain,    // 300 tiles of 32 x 32, compression 0
  Synthetic,  // 10,000 frames of 32 x 32, compressions 0, 1 and 3, directory out of file order
  Compose64,  // 2,000 frames of 64 x 64, compressions 1 and 3
};

struct BenchArchive {
  std::string label;        // short name for the table
  std::string description;  // one line: what the archive holds
  std::string path;
  int64_t fileSize = 0;
  int32_t entries = 0;  // directory entries (frames as the program lists them)
};

// Writes the archive of that shape as folder/<label>.def.
BenchArchive WriteArchive(Shape shape, const std::string& folder);

// The synthetic shape with `frames` frames of 32 x 32, as folder/<label>.def.
BenchArchive WriteSyntheticArchive(int32_t frames, const std::string& label,
                                   const std::string& folder);

// The map-object shape whose last 185 of 500 entries repeat the names of the
// first 185, each naming another stored frame: real archives have that many
// (1,472 of 4,001 entries in 120 of them), and the export numbers such files.
BenchArchive WriteClashingArchive(const std::string& folder);

// One frame of side x side pixels in compression 1: a figure of literal runs
// over background, so that the file stays small while the image is huge.
BenchArchive WriteSingleFrameArchive(int32_t side, const std::string& label,
                                     const std::string& folder);

}  // namespace dw::bench
