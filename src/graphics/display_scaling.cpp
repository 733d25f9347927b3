#include "graphics/display_scaling.h"

#include <algorithm>

#include "platform/window.h"

namespace velmor::graphics {

void DisplayScaling::SetDisplaySize(int32_t w, int32_t h) {
  Size screen = window_.ScreenSize();
  Disp.Width = w;
  Disp.Height = h;
  Disp.Left = (screen.width - w) / 2;
  Disp.Top = (screen.height - h) / 2;
}

void DisplayScaling::CentreAtOwnSize() { SetDisplaySize(layers_.IMG.width(), layers_.IMG.height()); }

void DisplayScaling::ResoSpinChange() {
  layers_.DrawWallpaper();
  int32_t p = ResoSpin_.value;
  int32_t w = p * 640 / 100;
  int32_t h = w * 75 / 100;
  SetDisplaySize(w, h);
  layers_.Present(Disp.rect());
}

Point DisplayScaling::MapPointer(Point px) const {
  // A factor with 8 fraction bits; the vertical axis uses the horizontal
  // factor, which holds because the display always keeps 4 : 3.
  int32_t width = std::max(Disp.Width, 1);
  int32_t s = layers_.IMG.width() * 256 / width;
  int32_t x = ((px.x - Disp.Left) * s + 128) / 256;
  int32_t y = ((px.y - Disp.Top) * s + 128) / 256;
  x = std::clamp(x, 0, 639);
  y = std::clamp(y, 0, 479);
  return {x, y};
}

}  // namespace velmor::graphics
