// Pictures for tests: bitmaps built in code and written as BMP files.
#pragma once

#include <cstdint>
#include <vector>

#include "formats/bmp_writer.h"
#include "graphics/bitmap.h"

namespace velmor::testing {

// The bytes of a BMP file of `bmp`: 24-bit, or palettised with `bits` (1, 4
// or 8) when the picture has at most that many colours, numbered anew.
inline std::vector<uint8_t> BmpBytes(const Bitmap& bmp, int bits = 24, bool top_down = false) {
  Bitmap picture = bmp;
  picture.palette.clear();
  return formats::WriteBmp(picture, {bits, top_down});
}

// A picture whose every pixel differs (by position), for exact comparisons.
inline Bitmap Pattern(int32_t width, int32_t height, uint32_t seed = 1) {
  Bitmap bmp(width, height);
  uint32_t v = seed * 2654435761u;
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) {
      v = v * 1664525u + 1013904223u;
      bmp.set(x, y, (v >> 8) & kColorMask);
    }
  return bmp;
}

// The mesh: white with one black pixel at (0, 0) of every 4 x 4 cell.
inline Bitmap Mesh(int32_t width = 648, int32_t height = 488) {
  Bitmap bmp(width, height, kWhite);
  for (int32_t y = 0; y < height; y += 4)
    for (int32_t x = 0; x < width; x += 4) bmp.set(x, y, kBlack);
  return bmp;
}

// FNV-1a of a bitmap's size and pixels.
inline uint64_t Hash(const Bitmap& bmp) { return PictureDigest(bmp); }

}  // namespace velmor::testing
