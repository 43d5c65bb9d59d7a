// A palette for an archive made from RGBA art (pack --from-folder with no
// palette): the 8 special codes' source colours, then the images' opaque
// colours, or, when they are more than 248, up to 248 colours chosen by
// libimagequant over all of them. The RGBA images' opaque pixels are then
// painted in those colours (dithered with --dither), so that each maps to
// an entry exactly.
#pragma once

#include <string>

#include "cli/manifest/manifest_reader.h"
#include "cli/pack_plan/pack_images.h"

namespace dw::cli {

// Sets the images' palette when the first image of the manifest's frames is
// an RGBA image; leaves it unset otherwise. False, with error naming the
// file, when one cannot be read.
bool QuantisePalette(PackImages& images, const FolderManifest& manifest, std::string& error);

}  // namespace dw::cli
