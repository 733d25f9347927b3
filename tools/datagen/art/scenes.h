// The demo's story pictures, drawn from code. Each function returns the
// finished picture; those meant to be stored palettised come back with their
// palette.
#pragma once

#include "media/image.h"

namespace velmor::datagen {

using media::Image;

Image SunsetSea();     // BG01
Image NightCity();     // BG02
Image Countryside();   // BG03
Image Street();        // BG04: the street the hit map belongs to
Image CherryTree();    // _CG01: 496 x 464
Image Lighthouse();    // _CG02
Image WindowCat();     // _CG03
Image SpinningStar();  // BA01: six 256 x 192 frames, one below the other

}  // namespace velmor::datagen
