// The settings panel: opened from the picture hold, closed with OK.
#pragma once

#include "core/input_state.h"
#include "menus/panels.h"
#include "platform/window.h"

namespace velmor::menus {

class ConfigPanelLogic {
 public:
  ConfigPanelLogic(Panels& panels, InputState& input, platform::Window& window)
      : p_(panels), input_(input), window_(window) {}

  // Shows the panel at the pointer (px, py), kept inside the screen.
  void OpenAt(Point pointer);
  // OK: the panel closes and the scenario goes on.
  void ExitButtonClick();

 private:
  Panels& p_;
  InputState& input_;
  platform::Window& window_;
};

}  // namespace velmor::menus
