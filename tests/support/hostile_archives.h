// Small archives that ask for a lot: many entries naming one large frame, a
// block whose frames make a huge shared canvas. Tests build them small;
// measurements build them at full size.
#pragma once

#include <cstdint>

#include "tests/support/def_writer.h"

namespace dw::testing {

// entries directory entries, all naming one width x height frame of fill runs.
ArchiveSpec OneFrameManyEntries(int entries, int32_t width, int32_t height);

// One block holding a 1 x side and a side x 1 frame: its canvas is side x side.
ArchiveSpec CrossedFrames(int32_t side);

}  // namespace dw::testing
