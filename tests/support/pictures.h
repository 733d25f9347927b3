// Pictures for tests: bitmaps built in code and written as BMP files.
#pragma once

#include <cstdint>
#include <vector>

#include "graphics/bitmap.h"

namespace velmor::testing {

// The bytes of a BMP file of `bmp`: 24-bit, or palettised with `bits` (1, 4
// or 8) when the picture has at most that many colours.
std::vector<uint8_t> BmpBytes(const Bitmap& bmp, int bits = 24, bool top_down = false);

// A picture whose every pixel differs (by position), for exact comparisons.
Bitmap Pattern(int32_t width, int32_t height, uint32_t seed = 1);

// The mesh: white with one black pixel at (0, 0) of every 4 x 4 cell.
Bitmap Mesh(int32_t width = 648, int32_t height = 488);

// FNV-1a of a bitmap's size and pixels.
uint64_t Hash(const Bitmap& bmp);

}  // namespace velmor::testing
