// Frame animations: six 256 x 192 frames of a vertical strip played into a
// fixed rectangle of the screen image.
#pragma once

#include <cstdint>

#include "core/geometry.h"
#include "core/input_state.h"
#include "graphics/layers.h"
#include "scenario/scenario.h"

namespace velmor::graphics {

constexpr int32_t AnimFrameTicks = 3;
constexpr int32_t AnimTicks = 72;

class Animation {
 public:
  Animation(Layers& layers, scenario::Scenario& scn, InputState& input)
      : layers_(layers), scn_(scn), input_(input) {}

  int32_t AnimCount = 0;
  Rect AnimRect;  // empty until the first animation
  // The frames, kept apart from the scratch bitmap: a repaint or a change
  // of scale during the animation reloads that one, and the next step must
  // still find its frame.
  Bitmap Strip;

  void StartAnimation(uint8_t number);
  void AnimationStep();

  static ByteString StripFile(int number);

 private:
  Layers& layers_;
  scenario::Scenario& scn_;
  InputState& input_;
};

}  // namespace velmor::graphics
