#include "support/graphics_rig.h"

#include "core/errors.h"

namespace velmor::testing {

using scenario::WaitHandler;

GraphicsRig::GraphicsRig() {
  form.DatPath = kDat;  // as start-up sets it
  layers.IMG = Bitmap(640, 480);
  layers.BMP = Bitmap(640, 480);
  layers.TMP = Bitmap(640, 480);
  layers.CLS = Mesh();
  Put("CG\\", "MESH.BMP", Mesh(), 1);
  Put("CG\\", "WALL00.BMP", Pattern(64, 64, 7));
  Bitmap frame(640, 480, kWhite);
  FillRect(frame, {0, 0, 640, 8}, 0x404080);
  Put("CG\\", "WK01.BMP", frame);
  FillRect(frame, {0, 0, 640, 8}, 0x408040);
  Put("CG\\", "WK02.BMP", frame);
}

void GraphicsRig::Put(const std::string& folder, const std::string& name, const Bitmap& bmp,
                      int bits) {
  game.files.Put(std::string(kDat) + folder + name, BmpBytes(bmp, bits));
}

bool GraphicsRig::Tick() {
  try {
    scn.waits.Run(scn.MainProc);
    return true;
  } catch (const GameError& e) {
    errors.push_back(e.message());
    return false;
  }
}

int GraphicsRig::TicksUntilDone(int limit) {
  int ticks = 0;
  while (scn.MainProc != WaitHandler::None && ticks < limit) {
    Tick();
    ++ticks;
  }
  return ticks;
}

}  // namespace velmor::testing
