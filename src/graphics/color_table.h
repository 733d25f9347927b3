// The 16 colours of the text colour codes and of picture hit maps.
#pragma once

#include <array>

#include "graphics/bitmap.h"

namespace velmor {

constexpr std::array<Color, 16> ColorTable = {
    Rgb(0, 0, 0),       Rgb(0, 0, 255),   Rgb(255, 0, 0),   Rgb(255, 0, 255),  // black blue red magenta
    Rgb(0, 255, 0),     Rgb(0, 255, 255), Rgb(128, 128, 0), Rgb(192, 192, 192),  // green cyan olive silver
    Rgb(128, 128, 128), Rgb(0, 0, 128),   Rgb(128, 0, 0),   Rgb(128, 0, 128),  // grey navy maroon purple
    Rgb(0, 128, 0),     Rgb(0, 128, 128), Rgb(255, 255, 0), Rgb(255, 255, 255),  // dark green teal yellow white
};

}  // namespace velmor
