#include "graphics/animation.h"

#include <string>

#include "core/errors.h"

namespace velmor::graphics {

using scenario::WaitHandler;

namespace {
constexpr Rect kAnimRect{120, 92, 376, 284};
constexpr int32_t kFrameHeight = 192;
constexpr int32_t kFrames = 6;
}  // namespace

ByteString Animation::StripFile(int number) {
  std::string digits = std::to_string(number);
  if (digits.size() == 1) digits = "0" + digits;
  return ByteString("BA" + digits + ".BMP");
}

void Animation::StartAnimation(uint8_t number) {
  AnimCount = 0;
  scn_.MainProc = WaitHandler::AnimationStep;
  input_.CGHoldEnable = 0;
  // The handler is installed before the strip loads: when it is missing the
  // animation still runs its length, showing what the scratch bitmap holds
  // (normally the mesh), in the rectangle an earlier animation left.
  try {
    layers_.loader().Load(Strip, BMPDIR, StripFile(number));
  } catch (const GameError&) {
    Strip = layers_.CLS;
    throw;
  }
  AnimRect = kAnimRect;
  layers_.PictureName.clear();  // a repaint no longer reloads the picture
}

void Animation::AnimationStep() {
  int32_t frame = input_.sft == kSkipKey ? AnimCount % kFrames
                                          : (AnimCount / AnimFrameTicks) % kFrames;
  BitBlt(layers_.IMG, AnimRect.left, AnimRect.top, AnimRect.width(), AnimRect.height(),
         Strip, 0, frame * kFrameHeight, Rop::SRCCOPY);
  layers_.ImageDrawn(AnimRect);
  AnimCount += 1;
  if (input_.sft == kAllModifiers) AnimCount += 2;
  if (AnimCount >= AnimTicks) {
    scn_.MainProc = WaitHandler::None;
    input_.CGHoldEnable = 1;
    layers_.Publish(AnimRect);
  }
}

}  // namespace velmor::graphics
