// Where and how large the screen image is shown in the window, the scale the
// player chooses (50 % to 150 %) or, when the reader asks for it, as large as
// the screen allows; and the mapping of the system pointer back into the
// logical screen.
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
  // offsets). While the picture fills the screen, the size asked for is
  // not taken: the display stays the screen's largest 4:3 rectangle.
  void SetDisplaySize(int32_t w, int32_t h);
  // The reader's "fit the screen" (on), or the scale control's size (off).
  void SetFitScreen(bool on);
  bool fit_screen() const { return fit_; }
  // The 100 % display: the size of the screen image, centred.
  void CentreAtOwnSize();
  // The scale control changed: wallpaper over everything, the new size, the
  // picture presented at once.
  void ResoSpinChange();
  void ResoSpinDblClick() { ResoSpin_.SetValue(100); }

  // The system pointer (window pixels) in the logical screen, clamped to it.
  Point MapPointer(Point window_pixel) const;
  // The window pixel that MapPointer takes nearest to a point of the logical
  // screen: where the system pointer goes to point there. It may lie outside
  // the window when the display is larger than the screen.
  Point WindowPoint(Point logical) const;
  // The screen changed size (the window went full screen or back): the
  // display keeps its size and is centred again.
  void ScreenResized() { SetDisplaySize(Disp.Width, Disp.Height); }

 private:
  Layers& layers_;
  platform::Window& window_;
  SpinEdit& ResoSpin_;
  bool fit_ = false;

  // The pointer mapping's factor, 8 fraction bits.
  int32_t Factor() const;
};

}  // namespace velmor::graphics
