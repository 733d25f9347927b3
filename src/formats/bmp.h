// Windows BMP pictures decoded into the game's bitmaps: 1, 4, 8, 16, 24 and
// 32 bits; the old 12-byte header and the 40-byte one and its later
// extensions; bottom-up and top-down rows; palettes; run-length coded 4 and 8
// bits; bit-field masks.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "formats/result.h"
#include "graphics/bitmap.h"

namespace velmor::formats {

// What the headers of a BMP file say.
struct BmpHeader {
  uint32_t file_size = 0;    // as stored (bfSize)
  uint32_t offset = 0;       // of the pixels (bfOffBits)
  uint32_t info_size = 0;    // of the info header: 12, 40 or more
  int32_t width = 0;
  int32_t height = 0;  // rows, always positive; see top_down
  bool top_down = false;
  uint16_t bits = 0;
  uint32_t compression = 0;  // 0 none, 1 RLE8, 2 RLE4, 3 bit fields
  uint32_t image_size = 0;   // as stored (biSizeImage)
  uint32_t colours = 0;      // palette entries stored (biClrUsed; 0: all 2^bits)
  std::array<uint32_t, 3> masks{};  // red, green, blue of 16 and 32 bits
  std::size_t palette_at = 0;
  int palette_entry = 4;  // bytes of one palette entry

  // The palette entries a picture of its depth can use (none above 8 bits).
  uint32_t PaletteEntries() const;
};

// Reads and checks the headers: a picture of a size, depth and compression
// the decoder takes, whose pixels start inside the file. The fault says why
// not ("not a BMP file", "damaged BMP file: ...").
FormatResult<BmpHeader> ReadBmpHeader(std::span<const uint8_t> bytes);

// Decodes a BMP file held in memory; a palettised file's colour table is the
// bitmap's palette. The fault says why it cannot ("not a BMP file",
// "damaged BMP file: ...").
FormatResult<Bitmap> DecodeBmp(std::span<const uint8_t> bytes);

}  // namespace velmor::formats
