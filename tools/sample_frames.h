// Turning painted canvases into archive frames and the two sample archives.
#pragma once

#include <cstdint>
#include <string>

#include "pack/def_builder.h"
#include "tools/sprite_canvas.h"

namespace dw::samples {

// The frame for a canvas: the stored rectangle is the smallest one holding
// every non-background pixel (for compression 3 widened to whole 32-pixel
// segments, as such frames are), the rest becomes margins. Indices 1 to 5
// become fill runs of that code (shadows), other indices literal runs; a
// compression-0 frame, which has no runs, keeps background in their place.
// Throws std::runtime_error when the encoder refuses the frame.
pack::StoredFrame FrameFromCanvas(const SpriteCanvas& canvas, int32_t compression);

// A directory entry naming frame (an index into the archive's frames).
pack::DirectoryEntry Entry(const std::string& name, size_t frame);

// A creature walking and standing: two blocks, compressions 0, 1 and 3.
pack::ArchivePlan CreatureArchive();
// Road and river tiles of 32 x 32 in compression 2.
pack::ArchivePlan TerrainArchive();

}  // namespace dw::samples
