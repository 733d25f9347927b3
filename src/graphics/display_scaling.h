// Where and how large the screen image is shown in the window, the scale the
// player chooses (50 % to 150 %), and the mapping of the system pointer back
// into the logical screen.
#pragma once

#include <cstdint>

#include "core/controls.h"
#include "core/geometry.h"
#include "graphics/layers.h"

namespace velmor::graphics {

struct DispRec {
  int32_t Top = 0;
  int32_t Left = 0;
  int32_t Width = 640;
  int32_t Height = 480;

  Rect rect() const { return Rect::FromSize(Left, Top, Width, Height); }
};

class DisplayScaling {
 public:
  DisplayScaling(Layers& layers, platform::Window& window, SpinEdit& ResoSpin)
      : layers_(layers), window_(window), ResoSpin_(ResoSpin) {}

  DispRec Disp;

  // Width and height of the display, centred in the screen (divisions
  // truncate toward zero, so a display larger than the screen gets negative
  // offsets).
  void SetDisplaySize(int32_t w, int32_t h);
  // The 100 % display: the size of the screen image, centred.
  void CentreAtOwnSize();
  // The scale control changed: wallpaper over everything, the new size, the
  // picture presented at once.
  void ResoSpinChange();
  void ResoSpinDblClick() { ResoSpin_.SetValue(100); }

  // The system pointer (window pixels) in the logical screen, clamped to it.
  Point MapPointer(Point window_pixel) const;

 private:
  Layers& layers_;
  platform::Window& window_;
  SpinEdit& ResoSpin_;
};

}  // namespace velmor::graphics
