// Platform-free models of the panels' controls. A control holds its state
// (visible, enabled, value, checked, text, selection, position); changing it
// through these operations runs the game's handler, exactly as a click or an
// arrow press on the real control does. The real front end draws the models
// and feeds the player's actions into them; the headless runner and the tests
// act on them directly.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/geometry.h"

namespace velmor {

using Handler = std::function<void()>;

struct Control {
  explicit Control(std::string control_name) : name(std::move(control_name)) {}
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;
  virtual ~Control() = default;

  std::string name;  // the control's name, as the headless script calls it
  Rect bounds;       // relative to the panel (or group) that holds it
  const Control* parent = nullptr;  // the panel or group box that holds it
  bool visible = true;
  bool enabled = true;
  int tab_order = -1;  // position in its panel's tab order; -1: no tab stop
  std::string caption;  // Shift-JIS; labels, buttons, group boxes, radio buttons
  Handler OnClick;
  Handler OnDblClick;

  // Visible (with every panel that holds it) and enabled.
  bool usable() const { return enabled && shown(); }
  bool shown() const { return visible && (parent == nullptr || parent->shown()); }
  // A click or double click of the player; ignored on a disabled control.
  virtual void Click() {
    if (usable() && OnClick) OnClick();
  }
  virtual void DblClick() {
    if (usable() && OnDblClick) OnDblClick();
  }
};

using Label = Control;
using Button = Control;
using GroupBox = Control;

// A number field changed only by its arrows. `increment` may be negative:
// then the up arrow lowers the value.
struct SpinEdit : Control {
  SpinEdit(std::string n, int min, int max, int step, int initial)
      : Control(std::move(n)), min_value(min), max_value(max), increment(step), value(initial) {}

  int min_value;
  int max_value;
  int increment;
  int value;
  Handler OnChange;

  // Sets the value, kept at the nearest limit; the change handler runs when
  // the value changes.
  void SetValue(int v) {
    if (v < min_value) v = min_value;
    if (v > max_value) v = max_value;
    if (v == value) return;
    value = v;
    if (OnChange) OnChange();
  }
  void UpArrow() {
    if (usable()) SetValue(value + increment);
  }
  void DownArrow() {
    if (usable()) SetValue(value - increment);
  }
};

// One of a group of mutually exclusive choices.
struct RadioButton : Control {
  using Control::Control;

  bool checked = false;
  std::vector<RadioButton*> group;  // all buttons of the group, this one included

  // Checks this button and unchecks the others; runs OnClick only when it was
  // not checked before (as when a slot load or the sound probe checks it).
  void SetChecked() {
    if (checked) return;
    Check();
    if (OnClick) OnClick();
  }
  // The player's click: checks it and always runs OnClick.
  void Click() override {
    if (!usable()) return;
    Check();
    if (OnClick) OnClick();
  }

 private:
  void Check() {
    for (RadioButton* other : group) other->checked = false;
    checked = true;
  }
};

// A single-line edit field holding at most max_bytes bytes of Shift-JIS.
struct Edit : Control {
  Edit(std::string n, std::size_t limit) : Control(std::move(n)), max_bytes(limit) {}
  std::size_t max_bytes;
  std::string text;    // Shift-JIS
  Handler OnEnter;     // the Enter key pressed in the field

  // Keeps at most max_bytes, never cutting a double-byte character in half.
  void SetText(const std::string& sjis);
};

// A single-selection list of rows.
struct ListBox : Control {
  using Control::Control;
  std::vector<std::string> rows;  // Shift-JIS
  int selected = -1;              // -1: nothing selected

  void Clear() {
    rows.clear();
    selected = -1;
  }
  void Select(int row) { selected = (row >= 0 && row < static_cast<int>(rows.size())) ? row : -1; }
};

// A child panel of the main window, hidden until opened.
struct Panel : Control {
  Panel(std::string n, int width, int height) : Control(std::move(n)) {
    bounds = Rect::FromSize(0, 0, width, height);
    visible = false;
  }
  Control* focus = nullptr;  // the control with the keyboard focus
  int repaints = 0;          // how often the game asked for an immediate repaint

  void MoveTo(int left, int top) { bounds = Rect::FromSize(left, top, bounds.width(), bounds.height()); }
  void Repaint() { ++repaints; }
};

}  // namespace velmor
