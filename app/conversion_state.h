// The window program's record of its work: the open archive (a value made
// once per selection), the cache of its bytes that every decode asks again,
// the shown image, and the start and save folders. The program holds exactly
// one for the whole process; tests make their own.
#pragma once

#include <memory>
#include <string>

#include "archive/archive.h"
#include "archive/archive_bytes.h"
#include "archive/decode_budget.h"
#include "archive/diagnostics.h"
#include "archive/frame_decoder.h"
#include "image/bitmap.h"

namespace dw {

struct ConversionState {
  Archive archive;                    // the open archive; no frames before one is selected
  ArchiveBytes archiveBytes;          // its bytes, reused while unchanged on disk
  std::shared_ptr<Bitmap> composite;  // the image the preview shows
  bool hasComposite = false;
  std::string startFolder;
  std::string saveFolder;
};

// Fills the folders: startFolder is the process's current folder, saveFolder
// the same followed by "/".
void InitConversionState(ConversionState& state);

// Makes the file at path the open archive: head, palette, blocks and the
// frame table sorted by ascending signed offset (equal offsets keep directory
// order). A file that cannot be opened gives an archive with no frames.
Diagnostics LoadArchive(ConversionState& state, const std::string& path);

// The open archive's present bytes (none when it can no longer be read).
std::shared_ptr<const std::vector<uint8_t>> CurrentBytes(ConversionState& state);

// A budget for one operation on the open archive: its limits follow from the
// archive's present size.
DecodeBudget OperationBudget(ConversionState& state);

// Decodes frame frameIndex of the open archive as a complete 8-bit BMP into
// target from position 0 and leaves target at position 0. A frame that gives
// no image, or an archive that can no longer be read, gives a 0 x 0 image of
// 1,078 bytes.
Diagnostics DecodeFrame(ConversionState& state, int32_t frameIndex, Stream& target,
                        const DecodeOptions& options = {});

}  // namespace dw
