// The demo's pictures, drawn from code. Each function returns the finished
// picture; those meant to be stored palettised come back with their palette.
#pragma once

#include "media/image.h"

namespace velmor::datagen {

using media::Image;

// Screen furniture (frames.cpp).
Image BlackScreen();          // KURO: 640 x 480, black
Image MeshPattern();          // MESH: 648 x 488, one black pixel a 4 x 4 cell
Image PointerBackdrop();      // _CGBK: 16 x 16 dark square, light outline
Image ClickMark();            // CHU: two 24 x 24 frames of a beating heart
Image MessageFrame();         // WK00: 628 x 100 window, white inside
Image StatusFrame(int layout);  // WK01 (layout 0) and WK02 (layout 1)
Image Wallpaper();            // WALL00: 64 x 64 seamless tile

// Story pictures (scenes.cpp).
Image SunsetSea();      // BG01
Image NightCity();      // BG02
Image Countryside();    // BG03
Image Street();         // BG04: the street the hit map belongs to
Image StreetRegions();  // MAP01
Image CherryTree();     // _CG01: 496 x 464
Image Lighthouse();     // _CG02
Image WindowCat();      // _CG03
Image SpinningStar();   // BA01: six 256 x 192 frames, one below the other

// Pointer shapes (pointers.cpp).
struct Pointer {
  Image sprite;  // the pointer's colours where opaque, black elsewhere
  Image mask;    // black where opaque, white elsewhere
};
Pointer PointerShape(int n);  // 0..10

}  // namespace velmor::datagen
