// The converter's subcommands, once the arguments are parsed. Each returns the
// exit status: 0 on success, 1 when an archive was unreadable or damaged or a
// file could not be written (whatever could be converted still is).
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "cli/inputs/frame_selection.h"
#include "cli/run/messages.h"

namespace dw::cli {

struct ListRequest {
  std::vector<std::string> archives;
  bool json = false;
};
int RunList(const ListRequest& request, std::ostream& out, Messages& messages);

enum class ImageFormat { Bmp, Png };

struct ExportRequest {
  std::vector<std::string> inputs;
  std::string outputFolder;
  FrameSelection frames;
  ImageFormat format = ImageFormat::Bmp;
  bool transparent = false;
  bool keepSpecial = false;
  bool alpha = false;    // PNG: RGBA by the colour rule (implies the fill codes)
  bool outline = false;  // with alpha: the selection outline stays opaque
  bool layers = false;   // PNG: body, shadow and overlay images by the colour rule
  bool vcmi = false;     // PNG: <stem>.json and <stem>/ as the engine loads them
  bool crop = false;     // each image cut to the frame's stored rectangle
  bool manifest = false;
  bool uniqueNames = false;  // every table entry gets a file of its own
  bool lodFiles = false;     // folders also contribute their LOD containers' DEF entries
  int64_t maxOutput = 0;  // bytes one archive may decode and write; 0: from its size
  int jobs = 0;           // archives converted at once; 0: one per core
};
int RunExport(const ExportRequest& request, Messages& messages);

struct AnimRequest {
  std::vector<std::string> inputs;
  std::string outputFolder;
  bool webp = false;  // animated WebP instead of GIF
  bool alpha = false;    // WebP: colours and alpha by the colour rule
  bool outline = false;  // with alpha: the selection outline stays opaque
  int delayMs = 100;
  int64_t maxOutput = 0;
  int jobs = 0;  // archives converted at once; 0: one per core
};
// One animation per block, frames in directory order (repeats kept), named
// <archive stem>-<block identifier>.gif or .webp.
int RunAnim(const AnimRequest& request, Messages& messages);

struct SheetRequest {
  std::vector<std::string> inputs;
  std::string outputFolder;
  int padding = 1;
  int maxSize = 4096;  // no page wider or taller
  bool crop = false;
  bool alpha = false;
  bool outline = false;
  int64_t maxOutput = 0;
  int jobs = 0;  // archives converted at once; 0: one per core
};
// Sprite sheet PNG pages and a JSON atlas per archive: one cell per stored
// frame, every directory entry pointing at its cell.
int RunSheet(const SheetRequest& request, Messages& messages);

struct StripRequest {
  std::string archive;
  std::string output;
  FrameSelection frames;
  bool separator = true;
  int64_t maxOutput = 0;
};
// An output of "-" writes the image to out.
int RunStrip(const StripRequest& request, std::ostream& out, Messages& messages);

// Builds OUT.def from a manifest written by `export --manifest` and its
// images, or (fromFolder) from a folder holding pack.json and its images.
struct PackRequest {
  std::string input;  // the manifest, or the folder
  std::string output;
  bool fromFolder = false;
  bool remap = false;   // colours in no palette entry take the nearest
  bool dither = false;  // a palette made for RGBA art dithers the images
};
int RunPack(const PackRequest& request, Messages& messages);

// `pack --batch INPUT... OUTDIR`: every input packed as by `pack`, on up to
// `jobs` threads, into OUTDIR/NAME.def, NAME being the manifest's file name
// without its extension or the folder's name; messages in input order.
struct PackBatchRequest {
  std::vector<std::string> inputs;
  std::string outputFolder;
  PackRequest each;  // what every input is packed with (its input and output are set per input)
  int jobs = 0;      // 0: one per core
};
int RunPackBatch(const PackBatchRequest& request, Messages& messages);

}  // namespace dw::cli
