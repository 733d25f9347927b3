// Windows BMP pictures (1, 4, 8, 16, 24 and 32 bits, palettes, bottom-up and
// top-down, RLE) decoded into the game's bitmaps.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "graphics/bitmap.h"

namespace velmor::platform {

// Decodes a BMP file held in memory. On failure returns nothing and says why
// in *error ("not a BMP file", "damaged BMP file: ...").
std::optional<Bitmap> DecodeBmp(std::span<const uint8_t> bytes, std::string* error);

}  // namespace velmor::platform
