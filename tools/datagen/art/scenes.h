// The demo's story pictures, drawn from code. Each function returns the
// finished picture; those meant to be stored palettised come back with their
// palette.
#pragma once

#include "graphics/bitmap.h"

namespace velmor::datagen {


Bitmap SunsetSea();     // BG01
Bitmap NightCity();     // BG02
Bitmap Countryside();   // BG03
Bitmap Street();        // BG04: the street the hit map belongs to
Bitmap CherryTree();    // _CG01: 496 x 464
Bitmap Lighthouse();    // _CG02
Bitmap WindowCat();     // _CG03
Bitmap CatOnTheAwning();  // BA01: six 256 x 192 frames of the street, one below the other

}  // namespace velmor::datagen
