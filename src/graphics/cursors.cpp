#include "graphics/cursors.h"

#include <string>

namespace velmor::graphics {

namespace {
// The shape number in decimal, with a "0" in front of a single digit.
std::string Digits(int32_t n) {
  std::string d = std::to_string(n);
  return d.size() == 1 ? "0" + d : d;
}
}  // namespace

ByteString Cursors::SpriteFile(int32_t n) { return ByteString("CSR" + Digits(n) + ".BMP"); }

ByteString Cursors::MaskFile(int32_t n) { return ByteString("CSR" + Digits(n) + "M.BMP"); }

void Cursors::SetCursorShape(int32_t n) {
  // The number is taken before the files are loaded: a missing file leaves
  // it set, and a sprite loaded before a failing mask stays loaded.
  CursorNumber = n;
  layers_.loader().Load(layers_.SP0, CSRDIR, SpriteFile(n));
  layers_.loader().Load(layers_.MS0, CSRDIR, MaskFile(n));
}

void Cursors::RestoreCursor() {
  CursorNumber = CursorNumber0;
  SetCursorShape(CursorNumber);
}

}  // namespace velmor::graphics
