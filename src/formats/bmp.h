// Windows BMP pictures decoded into the game's bitmaps: 1, 4, 8, 16, 24 and
// 32 bits; the old 12-byte header and the 40-byte one and its later
// extensions; bottom-up and top-down rows; palettes; run-length coded 4 and 8
// bits; bit-field masks.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "graphics/bitmap.h"

namespace velmor::formats {

// Decodes a BMP file held in memory. On failure returns nothing and says why
// in *error ("not a BMP file", "damaged BMP file: ...").
std::optional<Bitmap> DecodeBmp(std::span<const uint8_t> bytes, std::string* error);

}  // namespace velmor::formats
