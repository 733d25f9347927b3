// Windows BMP files written: uncompressed 1, 4 and 8-bit palettised and
// 24-bit pictures with the 40-byte info header. formats/bmp.h reads them.
#pragma once

#include <cstdint>
#include <vector>

#include "graphics/bitmap.h"

namespace velmor::formats {

struct BmpOptions {
  // 1, 4 or 8 (palettised) or 24. 0 picks 8 when the picture has a palette
  // and 24 when it has none.
  int bits = 0;
  // Rows stored from the top (negative height) instead of from the bottom.
  bool top_down = false;
  // Pad a palettised file's colour table with black to all 2^bits entries
  // and store 0 as the count of colours used, the way most paint programs
  // of the time saved 256-colour pictures.
  bool full_palette = false;
};

// The bytes of a BMP file holding `picture`. A palettised file uses
// picture.palette as its colour table, in order; every pixel must be one of
// its colours (the first entry wins for duplicates). With no palette, the
// table is the picture's distinct colours in order of first appearance, row
// by row from the top. Throws std::invalid_argument for an empty picture, an
// unknown depth, a pixel missing from the palette or a palette too large for
// the depth.
std::vector<uint8_t> WriteBmp(const Bitmap& picture, const BmpOptions& options = {});

}  // namespace velmor::formats
