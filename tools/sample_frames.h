// Turning painted canvases into archive frames and the two sample archives.
#pragma once

#include <cstdint>
#include <string>

#include "tests/support/def_writer.h"
#include "tools/sprite_canvas.h"

namespace dw::samples {

// The frame for a canvas: the stored rectangle is the smallest one holding
// every non-background pixel (for compression 3 widened to whole 32-pixel
// segments, as such frames are), the rest becomes margins. Indices 1 to 5
// become fill runs of that code (shadows), other indices literal runs; a
// compression-0 frame, which has no runs, keeps background in their place.
testing::SpriteFrame FrameFromCanvas(const SpriteCanvas& canvas, int32_t compression);

// A directory entry naming frame (an index into the archive's frames).
testing::DirectoryEntry Entry(const std::string& name, int frame);

// A creature walking and standing: two blocks, compressions 0, 1 and 3.
testing::ArchiveSpec CreatureArchive();
// Road and river tiles of 32 x 32 in compression 2.
testing::ArchiveSpec TerrainArchive();

}  // namespace dw::samples
