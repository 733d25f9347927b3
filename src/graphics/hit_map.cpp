#include "graphics/hit_map.h"

#include "core/errors.h"
#include "graphics/color_table.h"

namespace velmor::graphics {

using scenario::WaitHandler;

namespace {

// Where the tested point lies relative to the pointer position.
Point HotSpot(int32_t cursor) {
  if (cursor >= 6 && cursor <= 9) return {16, 16};
  if (cursor == 10) return {16, 24};
  return {0, 0};
}

}  // namespace

void HitMap::StartHitMap(uint16_t result_var, const ByteString& name, uint8_t hover,
                         uint8_t down) {
  scn_.ResultVar = result_var;
  cursors_.CursorNumber0 = cursors_.CursorNumber;
  // Every operand has been read. A region picture that cannot be loaded is
  // reported and the scenario goes on after the instruction with the answer 0.
  // Mended: at a missing region picture the original stopped with two
  // operands unread and went on from the middle of the instruction.
  try {
    layers_.loader().Load(Region, BMPDIR, name + ".BMP");
  } catch (const GameError&) {
    scn_.Work(result_var) = 0;
    throw;
  }
  HitCursor = hover != 0 ? hover : cursors_.CursorNumber;
  HitCursorDown = down != 0 ? down : cursors_.CursorNumber;
  // The hover shape comes before the wait: when its files are missing the
  // error skips the rest of the tick and no wait starts (the answer and the
  // selector are untouched).
  cursors_.SetCursorShape(HitCursor);
  MouseSpin_.enabled = false;
  scn_.MainProc = WaitHandler::HitMapPress;
}

void HitMap::HitMapPress() {
  // Mended: a press since the last tick counts as well as a button held now
  // (the original lost a quick tap released before the tick).
  if (input_.drg != 1 && input_.clk != 1) return;
  scn_.MainProc = WaitHandler::HitMapRelease;
  cursors_.SetCursorShape(HitCursorDown);
}

int32_t HitMap::RegionAt(int32_t msx, int32_t msy) const {
  if (msx < 0 || msy < 0 || msx >= Region.width() || msy >= Region.height()) return 0;
  // The bounds test is the pointer's: a moved point beyond the picture reads
  // as no colour.
  Point spot = HotSpot(HitCursor);
  auto color = GetPixel(Region, msx + spot.x, msy + spot.y);
  if (!color) return 16;
  for (size_t i = 0; i < ColorTable.size(); ++i)
    if (ColorTable[i] == *color) return static_cast<int32_t>(i);
  return 16;
}

void HitMap::HitMapRelease() {
  if (input_.drg == 1) return;  // still held
  // Mended: the answer is stored and the wait ends before the hover shape
  // is loaded again, so a missing cursor file is reported once, not every
  // tick as in the original.
  scn_.Work(scn_.ResultVar) = static_cast<int16_t>(RegionAt(input_.msx, input_.msy));
  scn_.MainProc = WaitHandler::None;
  MouseSpin_.enabled = true;
  cursors_.SetCursorShape(HitCursor);
}

}  // namespace velmor::graphics
