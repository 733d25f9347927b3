// Writing a bitmap as a PNG file (screenshots).
#pragma once

#include <string>

#include "graphics/bitmap.h"

namespace velmor::platform {

bool WritePng(const Bitmap& bmp, const std::string& path, std::string* error);

}  // namespace velmor::platform
