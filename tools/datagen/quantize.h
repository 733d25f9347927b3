// Reducing a drawn picture to a 256-colour (or smaller) palette, the way the
// game's pictures were stored.
#pragma once

#include "graphics/bitmap.h"

namespace velmor::datagen {

// Gives `img` a palette of at most `colors` entries and repaints every pixel
// with one of them. A picture with that few colours keeps them exactly;
// otherwise the palette comes from median cut, and `dither` (0..1) adds an
// ordered dither that hides banding in gradients. The palette is sorted from
// dark to light.
void Palettise(Bitmap& img, int colors = 256, double dither = 0.0);

}  // namespace velmor::datagen
