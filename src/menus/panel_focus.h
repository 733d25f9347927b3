// Which panel has the keyboard, which of its controls has the focus, and
// what the keys do to it. Platform-free: the real front end forwards its
// keyboard here, the headless runner its script's keys.
//
// A key never runs a game handler at once: what it presses comes back as
// actions, which the caller runs when it is safe to (the real front end
// after the events of a pass, since a handler may open a message box).
// Changes without a handler (the focus, the save list's row) go straight
// into the models.
#pragma once

#include <vector>

#include "core/controls.h"
#include "menus/control_keys.h"
#include "menus/panels.h"

namespace velmor::menus {

struct PanelAction {
  enum class Kind { Click, DblClick, UpArrow, DownArrow, Enter };
  Kind kind;
  Control* control;
};

// Runs an action's handler through the control model.
void RunPanelAction(const PanelAction& action);

// The panel that has the keyboard: the top-most visible one.
Panel* ActivePanel(Panels& panels);
// The control with the keyboard focus in the active panel: the panel's
// focus, or its first tab stop when that cannot take it (the focus settles
// there).
Control* FocusedControl(Panels& panels);
// The name field with the keyboard focus, if any.
Edit* FocusedEdit(Panels& panels);

// A key that the focused control handles itself: Tab and Shift+Tab move
// the focus, Enter and Space press a focused button (Space also a radio
// button), Up and Down step a spin control or the list's selection, the
// arrows move among radio buttons. Escape is none of the panels'. True
// when a control took the key. (Typing in a name field, Enter included, is
// the field's own: see PressFieldKey.)
bool PressPanelKey(Panels& panels, ControlKey key, std::vector<PanelAction>& actions);

// A key in the focused name field: Enter runs the field's Enter handler.
// True when the field took the key. The real front end's field does this
// itself as it edits.
bool PressFieldKey(Panels& panels, ControlKey key, std::vector<PanelAction>& actions);

}  // namespace velmor::menus
