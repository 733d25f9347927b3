// The graphics subsystems on in-memory files, driven tick by tick without
// the rest of the game.
#pragma once

#include <string>

#include "core/controls.h"
#include "graphics/animation.h"
#include "graphics/cursors.h"
#include "graphics/display_scaling.h"
#include "graphics/hit_map.h"
#include "graphics/layers.h"
#include "graphics/picture_change.h"
#include "platform/shared/ttf_font.h"
#include "support/pictures.h"
#include "support/recording_host.h"
#include "text/status_display.h"

namespace velmor::testing {

struct GraphicsRig {
  GraphicsRig();

  ScenarioRig rig;
  scenario::Scenario& scn = rig.scn;
  InputState& input = rig.input;
  platform::HeadlessWindow window{{1024, 768}};
  graphics::BitmapLoader loader{rig.files, rig.dat_path};
  graphics::Layers layers{loader, window};
  platform::TtfFont font;
  text::StatusDisplay status{layers, font, scn};
  graphics::PictureChange picture{layers, scn, input, status};
  SpinEdit MouseSpin{"MouseSpin", 1, 7, 1, 1};
  SpinEdit ResoSpin{"ResoSpin", 50, 150, 5, 100};
  graphics::Cursors cursors{layers, MouseSpin};
  graphics::HitMap hitmap{layers, cursors, scn, input, MouseSpin};
  graphics::Animation animation{layers, scn, input};
  graphics::DisplayScaling scaling{layers, window, ResoSpin};

  // Puts DATA\<folder><name> holding `bmp`.
  void Put(const std::string& folder, const std::string& name, const Bitmap& bmp, int bits = 24);
  // Calls the installed wait handler once, as a tick does; false when the
  // tick ended in an error (the error text is kept in `errors`).
  bool Tick();
  // Ticks until no handler of these subsystems is installed; the count.
  int TicksUntilDone(int limit = 1000);

  std::vector<std::string> errors;
};

}  // namespace velmor::testing
