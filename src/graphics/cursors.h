// Pointer shapes: a numbered sprite and mask pair from the cursor folder,
// drawn by the tick at the mapped pointer position.
#pragma once

#include <cstdint>

#include "core/byte_string.h"
#include "core/controls.h"
#include "graphics/layers.h"

namespace velmor::graphics {

class Cursors {
 public:
  Cursors(Layers& layers, SpinEdit& MouseSpin) : layers_(layers), MouseSpin_(MouseSpin) {}

  int32_t CursorNumber = 0;
  int32_t CursorNumber0 = 0;  // the shape to return to after a hit map

  // Loads "CSR" + n (two digits at least) + ".BMP" and its "M.BMP" mask.
  void SetCursorShape(int32_t n);
  void RestoreCursor();
  void MouseSpinChange() { SetCursorShape(MouseSpin_.value); }
  void MouseSpinDblClick() { MouseSpin_.SetValue(1); }

  static ByteString SpriteFile(int32_t n);
  static ByteString MaskFile(int32_t n);

 private:
  Layers& layers_;
  SpinEdit& MouseSpin_;
};

}  // namespace velmor::graphics
