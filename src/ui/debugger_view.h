// The debugger's window, drawn with Dear ImGui over the game in the look of
// the panels: the buttons that run the scenario on, the instructions around
// inx (a click on a line sets or clears a breakpoint there), the work
// variables and flags (editable), the call stack, MainProc, and the message
// and music being played.
//
// All it does goes through app::Debugger; what could end in a message box
// (reloading) comes back as an action the session runs after the frame.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/debugger.h"
#include "core/geometry.h"
#include "ui/ui_layer.h"

namespace velmor::ui {

class DebuggerView {
 public:
  explicit DebuggerView(UiLayer& ui) : ui_(ui) {}

  // `note`: why the last reload or edit was refused, shown in the window.
  // `place`: where the player last left the window (it opens there); when
  // the player has moved or sized it and let go, `moved` says where.
  void Draw(app::Debugger& debugger, std::string& note,
            std::vector<std::function<void()>>& actions, const std::optional<Rect>& place,
            std::optional<Rect>& moved);

  // Whether the window, as last drawn, covers a window pixel.
  bool Covers(Point p) const { return shown_ && area_.contains(p.x, p.y); }
  // A field of the window is being edited: keys are its own.
  bool WantsKeyboard() const { return shown_ && editing_; }
  void Hide() { shown_ = false; }

 private:
  void DrawButtons(app::Debugger& d, std::vector<std::function<void()>>& actions);
  void DrawCode(app::Debugger& d);
  void DrawWork(app::Debugger& d);
  void DrawFlags(app::Debugger& d);
  void DrawState(app::Debugger& d);
  // A line of text in the window's face (its characters added to the atlas).
  void Text(const std::string& utf8);
  // A caption ("text###id") with its characters in the face; the pointer
  // lives until the next caption.
  const char* Label(const std::string& caption);

  UiLayer& ui_;
  bool shown_ = false;
  bool editing_ = false;
  Rect area_;
  std::optional<Rect> last_area_;  // as drawn the frame before
  bool dragged_ = false;           // moved or sized since the button went down
  std::string* note_ = nullptr;  // the note of the frame being drawn
  std::string label_;            // the caption Label last gave
  int flag_to_set_ = 0;
};

}  // namespace velmor::ui
