// The graphics subsystems of a whole game on in-memory files (not started),
// driven tick by tick without the rest of the game.
#pragma once

#include <string>
#include <vector>

#include "support/game_data.h"
#include "support/pictures.h"

namespace velmor::testing {

struct GraphicsRig {
  GraphicsRig();

  GameRig game{{255}};
  app::TForm1& form = game.form();
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

  // Puts <data folder><folder><name> holding `bmp` (folder as "CG\\").
  void Put(const std::string& folder, const std::string& name, const Bitmap& bmp, int bits = 24);
  // Calls the installed wait handler once, as a tick does; false when the
  // tick ended in an error (the error text is kept in `errors`).
  bool Tick();
  // Ticks until no handler of these subsystems is installed; the count.
  int TicksUntilDone(int limit = 1000);

  std::vector<std::string> errors;
};

}  // namespace velmor::testing
