// What an exported image cannot show of its stored frame: which pixels are
// fill runs and of which code. A default image shows such a pixel as index 0,
// a --keep-special image as its code, and neither tells a fill of code 3
// from a literal pixel of index 3. The manifest keeps, per frame, the fill
// runs of codes other than 0 as [row, start, length, code] in the stored
// rectangle's columns and rows (top row 0); every other pixel is literal (a
// fill of code 0 and a literal 0 look alike in every view).
//
// An image of colour and alpha shows a literal pixel of a special index 1-7
// as that code does (a literal 3 as the dark shadow), and a pixel of an index
// whose colour a lower index also has as that lower index, so for such
// images the manifest also keeps, per frame, the literal pixels of those
// indices as [row, start, length, index].
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <vector>

#include "archive/archive.h"
#include "archive/decode_budget.h"

namespace dw::cli {

// The fill runs of one frame, read from its data, or nothing when the frame
// gives no pixels or the budget has no room for its stored rectangle twice.
std::optional<nlohmann::ordered_json> FillRunsOf(const Archive& archive,
                                                 const std::vector<uint8_t>& bytes,
                                                 int32_t frameIndex, DecodeBudget& budget);

// Adds "fill" to every frame of the manifest that names a file, and with
// literals "literal" too.
void AddFillRecords(nlohmann::ordered_json& manifest, const Archive& archive,
                    const std::vector<uint8_t>& bytes, DecodeBudget& budget,
                    bool literals = false);

}  // namespace dw::cli
