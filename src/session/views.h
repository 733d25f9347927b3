// The views drawn over the game (the panels, the boxes, the reader's
// settings, the debugger's window, the notices) as the session sees them:
// what it hands them of the player's input, what it asks of them, and what
// a frame of them hands back. The front ends that draw them (the real
// window, the browser) plug them in; the headless one has none, and acts on
// the panels' models directly.
#pragma once

#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "core/geometry.h"
#include "core/input_events.h"
#include "menus/panel_focus.h"

namespace velmor::session {

class Views {
 public:
  virtual ~Views() = default;
  // Input the session decided is theirs.
  virtual void Key(const KeyEvent& e) = 0;
  virtual void Button(const ButtonEvent& e) = 0;
  virtual void Wheel(const WheelEvent& e) = 0;
  virtual void Pointer(Point at) = 0;
  virtual void Focus(bool gained) = 0;
  // Typed text for a field of their own (the debugger's numbers).
  virtual void Text(std::string_view utf8) = 0;

  // As last drawn: the debugger's window covers window pixel `p`; one of its
  // fields is being edited (the keys are its own); a text field's caret
  // blinks (a frame is due every little while).
  virtual bool DebuggerCovers(Point p) const = 0;
  virtual bool DebuggerWantsKeyboard() const = 0;
  virtual bool TextActive() const = 0;
};

// What the player did in a frame of the views. Drawing never runs a game
// handler: a control pressed comes back here, and the session runs it once
// the frame is over. Changes without a handler (a name field's text, the
// save list's row, the keyboard focus, a box's answer) go straight into the
// models.
struct ViewOutcome {
  std::vector<menus::PanelAction> actions;
  bool settings_changed = false;   // a reader setting moved: apply it
  bool settings_finished = false;  // an edit of them ended: keep them
  std::vector<std::function<void()>> debugger_actions;
  std::optional<Rect> debugger_moved;  // the player left the debugger's window here: keep it
  // The player asked for the save or load screen from the settings window
  // (it closes first).
  std::optional<bool> open_saves;  // true: the save screen; false: the load screen
};

}  // namespace velmor::session
