// Writing a bitmap as a PNG file (screenshots): 8-bit RGB, compressed with
// zlib.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "graphics/bitmap.h"

namespace velmor::platform {

// The PNG file of the bitmap.
std::vector<uint8_t> EncodePng(const Bitmap& bmp);
// Writes it to `path`; false with the reason when it cannot.
bool WritePng(const Bitmap& bmp, const std::string& path, std::string* error);

}  // namespace velmor::platform
