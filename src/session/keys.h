// What a key means to the window, the panels and boxes, and the game: one
// table for every front end.
#pragma once

#include <optional>

#include "core/input_events.h"
#include "core/input_state.h"
#include "menus/control_keys.h"

namespace velmor::session {

// What the window does for a key, whatever has the keyboard.
enum class WindowCommand { ToggleFullScreen, Screenshot, ReaderSettings, ToggleDebugger, Reload };

// Alt+Enter and F11 switch between full screen and a window; F12 takes a
// screenshot; F1 opens or closes the reader's own settings; F9 shows or
// hides the debugger and F5 reloads the scenario (both only where the
// debugger may be used).
std::optional<WindowCommand> WindowCommandOf(Key key, Modifiers held);

// The key the panels and the message boxes act on: Tab (Shift+Tab with
// Shift held), Enter (either), Space, the four arrows and Escape.
std::optional<menus::ControlKey> ControlKeyOf(Key key, Modifiers held);

// The key standing in for the mouse: Enter (either), Space, Escape, Up,
// Down, Page Up, Page Down, 1 to 7, Tab (skip read text) and A (auto); and
// our own: Left or Backspace (go back a page), Right (forward again), F2
// (the save screen), F3 (the load screen), F6 (quick save), F7 (quick load).
std::optional<ReaderKey> ReaderKeyOf(Key key);

// Whether a key held down repeats its action (moving a highlight or through
// the backlog does; a click does not).
bool ReaderKeyRepeats(ReaderKey key);

}  // namespace velmor::session
