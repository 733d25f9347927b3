// Picture hit maps: a region picture painted in the 16 table colours tells
// which region the player clicked.
#pragma once

#include <cstdint>

#include "core/byte_string.h"
#include "core/controls.h"
#include "core/input_state.h"
#include "graphics/bitmap.h"
#include "graphics/cursors.h"
#include "graphics/layers.h"
#include "scenario/scenario.h"

namespace velmor::graphics {

class HitMap {
 public:
  HitMap(Layers& layers, Cursors& cursors, scenario::Scenario& scn, InputState& input,
         SpinEdit& MouseSpin)
      : layers_(layers), cursors_(cursors), scn_(scn), input_(input), MouseSpin_(MouseSpin) {}

  int32_t HitCursor = 0;      // the shape while waiting and after the click
  int32_t HitCursorDown = 0;  // the shape while the button is held
  // The region picture, kept apart from the scratch bitmap so that a repaint
  // or a scale change during the wait cannot replace it.
  Bitmap Region;

  void StartHitMap(uint16_t result_var, const ByteString& name, uint8_t hover, uint8_t down);
  void HitMapPress();
  void HitMapRelease();

  // The region number of the colour under the pointer's hot spot: 0..15, 16
  // for a colour not in the table, 0 for a pointer outside the picture.
  int32_t RegionAt(int32_t msx, int32_t msy) const;

 private:
  Layers& layers_;
  Cursors& cursors_;
  scenario::Scenario& scn_;
  InputState& input_;
  SpinEdit& MouseSpin_;
};

}  // namespace velmor::graphics
