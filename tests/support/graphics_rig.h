// The graphics subsystems of a whole game on in-memory files (not started),
// driven tick by tick without the rest of the game.
#pragma once

#include <string>
#include <vector>

#include "core/errors.h"
#include "support/game_data.h"
#include "support/pictures.h"

namespace velmor::testing {

struct GraphicsRig {
  GraphicsRig() {
    form.DatPath = kDat;  // as start-up sets it
    layers.IMG = layers.BMP = layers.TMP = Bitmap(640, 480);
    layers.CLS = Mesh();
    Put("CG\\", "MESH.BMP", Mesh(), 1);
    Put("CG\\", "WALL00.BMP", Pattern(64, 64, 7));
    Bitmap frame(640, 480, kWhite);
    FillRect(frame, {0, 0, 640, 8}, 0x404080);
    Put("CG\\", "WK01.BMP", frame);
    FillRect(frame, {0, 0, 640, 8}, 0x408040);
    Put("CG\\", "WK02.BMP", frame);
  }

  GameRig game{{255}};
  FormInternals form{game.form()};
  scenario::Scenario& scn = form.scn;
  InputState& input = form.input;
  platform::HeadlessWindow& window = game.game->window();
  graphics::Layers& layers = form.layers;
  text::StatusDisplay& status = form.status;
  graphics::PictureChange& picture = form.picture;
  SpinEdit& MouseSpin = form.panels.MouseSpin;
  SpinEdit& ResoSpin = form.panels.ResoSpin;
  graphics::Cursors& cursors = form.cursors;
  graphics::HitMap& hitmap = form.hitmap;
  graphics::Animation& animation = form.animation;
  graphics::DisplayScaling& scaling = form.scaling;
  std::vector<std::string> errors;

  // Puts <data folder><folder><name> holding `bmp` (folder as "CG\\").
  void Put(const std::string& folder, const std::string& name, const Bitmap& bmp, int bits = 24) {
    game.files.Put(std::string(kDat) + folder + name, BmpBytes(bmp, bits));
  }
  // Calls the installed wait handler once, as a tick does; false when the
  // tick ended in an error (the error text is kept in `errors`).
  bool Tick() {
    try {
      scn.waits.Run(scn.MainProc);
      return true;
    } catch (const GameError& e) {
      errors.push_back(e.message());
      return false;
    }
  }
  // Ticks until no handler of these subsystems is installed; the count.
  int TicksUntilDone(int limit = 1000) {
    int ticks = 0;
    for (; scn.MainProc != scenario::WaitHandler::None && ticks < limit; ++ticks) Tick();
    return ticks;
  }
};

}  // namespace velmor::testing
