// The settings panel: the second right click of the picture hold shows it at
// the pointer; OK closes it and the scenario goes on. Its controls act at
// once through their own handlers.
#include "menus/config_panel.h"

#include <algorithm>

namespace velmor::menus {

namespace {

// The panel's edge on one axis: at the pointer, moved back so that the panel
// does not pass the screen's far edge, and never before the near edge.
int32_t KeptInside(int32_t pointer, int32_t panel_size, int32_t screen_size) {
  int32_t start = pointer + panel_size > screen_size ? screen_size - panel_size : pointer;
  return std::max(start, 0);
}

}  // namespace

void ConfigPanelLogic::OpenAt(Point pointer) {
  input_.spf = 0;
  Panel& panel = p_.ConfigPanel;
  panel.visible = false;
  Size screen = window_.ScreenSize();
  panel.MoveTo(KeptInside(pointer.x, panel.bounds.width(), screen.width),
               KeptInside(pointer.y, panel.bounds.height(), screen.height));
  panel.Repaint();
  panel.visible = true;
  platform::ShowSystemPointer(window_);
}

void ConfigPanelLogic::ExitButtonClick() {
  platform::HideSystemPointer(window_);
  p_.ConfigPanel.visible = false;
  input_.spf = 1;
  input_.HoldMode = 0;
  input_.ClearButtonsAndKeys();
}

}  // namespace velmor::menus
