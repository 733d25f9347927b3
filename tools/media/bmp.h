// Windows BMP files: a writer for uncompressed 1, 4 and 8-bit palettised and
// 24-bit pictures with the 40-byte info header, and a reader for the same
// family (enough to check what the writer made).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "media/image.h"

namespace velmor::media {

struct BmpOptions {
  // 1, 4 or 8 (palettised) or 24. 0 picks 8 when the image has a palette
  // and 24 when it has none.
  int bits = 0;
  // Rows stored from the top (negative height) instead of from the bottom.
  bool top_down = false;
  // Pad a palettised file's colour table with black to all 2^bits entries
  // and store 0 as the count of colours used, the way most paint programs
  // of the time saved 256-colour pictures.
  bool full_palette = false;
};

// The bytes of a BMP file holding `image`. A palettised file uses
// image.palette as its colour table, in order; every pixel must be one of its
// colours (the first entry wins for duplicates). With no palette, the table
// is the image's distinct colours in order of first appearance, row by row
// from the top. Throws std::invalid_argument for an empty or inconsistent
// image, an unknown depth, a pixel missing from the palette or a palette too
// large for the depth.
std::vector<uint8_t> WriteBmp(const Image& image, const BmpOptions& options = {});

// What the headers of a BMP file say.
struct BmpInfo {
  uint32_t file_size = 0;     // bfSize
  uint32_t pixel_offset = 0;  // bfOffBits
  uint32_t header_size = 0;   // biSize
  int32_t width = 0;
  int32_t height = 0;  // always positive; see top_down
  bool top_down = false;
  int bits = 0;
  uint32_t compression = 0;
  uint32_t image_size = 0;   // biSizeImage
  uint32_t colors_used = 0;  // biClrUsed as stored
  uint32_t palette_entries = 0;  // entries actually in the colour table
};

// Reads the headers. Returns nothing (and says why in *error) for anything
// that is not a BMP file with a 40-byte (or longer) info header.
std::optional<BmpInfo> ReadBmpInfo(std::span<const uint8_t> bytes, std::string* error = nullptr);

// Reads an uncompressed 1, 4, 8, 24 or 32-bit file. The image's palette is
// the file's colour table (empty for 24 and 32 bits).
std::optional<Image> ReadBmp(std::span<const uint8_t> bytes, std::string* error = nullptr);

}  // namespace velmor::media
