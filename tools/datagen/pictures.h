// The demo's pictures, drawn from code. Each function returns the finished
// picture; those meant to be stored palettised come back with their palette.
#pragma once

#include "graphics/bitmap.h"

namespace velmor::datagen {

// Screen furniture (frames.cpp).
Bitmap BlackScreen();          // KURO: 640 x 480, black
Bitmap MeshPattern();          // MESH: 648 x 488, one black pixel a 4 x 4 cell
Bitmap PointerBackdrop();      // _CGBK: 16 x 16 dark square, light outline
Bitmap ClickMark();            // CHU: two 24 x 24 frames of a beating heart
Bitmap MessageFrame();         // WK00: 628 x 100 window, white inside
Bitmap StatusFrame(int layout);  // WK01 (layout 0) and WK02 (layout 1)
Bitmap Wallpaper();            // WALL00: 64 x 64 seamless tile

// Story pictures (scenes.cpp).
Bitmap SunsetSea();      // BG01
Bitmap NightCity();      // BG02
Bitmap Countryside();    // BG03
Bitmap Street();         // BG04: the street the hit map belongs to
Bitmap StreetRegions();  // MAP01
Bitmap CherryTree();     // _CG01: 496 x 464
Bitmap Lighthouse();     // _CG02
Bitmap WindowCat();      // _CG03
Bitmap SpinningStar();   // BA01: six 256 x 192 frames, one below the other

// Pointer shapes (pointers.cpp).
struct Pointer {
  Bitmap sprite;  // the pointer's colours where opaque, black elsewhere
  Bitmap mask;    // black where opaque, white elsewhere
};
Pointer PointerShape(int n);  // 0..10

}  // namespace velmor::datagen
