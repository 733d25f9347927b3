// Platform-free models of the panels' controls. A control holds its state
// (visible, enabled, value, checked, text, selection, position); changing it
// through these operations runs the game's handler, exactly as a click or an
// arrow press on the real control does. The real front end draws the models
// and feeds the player's actions into them; the headless runner and the tests
// act on them directly.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/geometry.h"

namespace velmor {

using Handler = std::function<void()>;

// What a control is. Each model type sets its own; the plain controls
// (labels, push buttons, group boxes) share a type and are told apart here,
// so that nobody has to guess the kind back from a control's name or place.
enum class ControlKind { Panel, Label, Button, GroupBox, Spin, Radio, Edit, List };

// How a label's text is shown: the panels' own text, the name panel's
// prompt (centred until placed), the grey help line, the small words beside
// the spin controls, the copyright notice.
enum class LabelStyle { Panel, Prompt, Help, UpDown, Copyright };

struct Control {
  Control(std::string control_name, ControlKind control_kind)
      : name(std::move(control_name)), kind(control_kind) {}
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;
  virtual ~Control() = default;

  std::string name;  // the control's name, as the headless script calls it
  const ControlKind kind;
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
  // Text still being composed in the panel's focused name field goes into
  // that field first, so that the handler sees it.
  virtual void Click();
  virtual void DblClick();

 protected:
  // Commits the pending composition of the focused field of the panel that
  // holds this control.
  void CommitPanelComposition() const;
};

// A line of text; the player cannot act on it.
struct Label : Control {
  explicit Label(std::string n, LabelStyle s = LabelStyle::Panel)
      : Control(std::move(n), ControlKind::Label), style(s) {}
  LabelStyle style;
};

// A push button.
struct Button : Control {
  explicit Button(std::string n) : Control(std::move(n), ControlKind::Button) {}
};

// A titled frame around radio buttons; it is one tab stop for all of them.
struct GroupBox : Control {
  explicit GroupBox(std::string n) : Control(std::move(n), ControlKind::GroupBox) {}
};

// A number field changed only by its arrows. `increment` may be negative:
// then the up arrow lowers the value.
struct SpinEdit : Control {
  SpinEdit(std::string n, int min, int max, int step, int initial)
      : Control(std::move(n), ControlKind::Spin), min_value(min), max_value(max), increment(step), value(initial) {}

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
  explicit RadioButton(std::string n) : Control(std::move(n), ControlKind::Radio) {}

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
    CommitPanelComposition();
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
//
// Besides its text it keeps the caret (and the selection's other end) and
// the composition an input method is building in it. The composition is not
// the field's text: it is shown at the caret until the input method commits
// it, or until the field loses the focus or a control of its panel is
// clicked, which commit it here (Panel::SetFocus, Control::Click).
struct Edit : Control {
  Edit(std::string n, std::size_t limit) : Control(std::move(n), ControlKind::Edit), max_bytes(limit) {}
  std::size_t max_bytes;
  std::string text;    // Shift-JIS
  Handler OnEnter;     // the Enter key pressed in the field

  // Byte offsets into text, on character boundaries; the selection runs
  // between anchor and caret (none when they are equal).
  std::size_t caret = 0;
  std::size_t anchor = 0;
  // What the input method is composing, in UTF-8 as it comes (it may hold
  // characters Shift-JIS has not); the caret inside it in characters.
  std::string composition;
  int composition_caret = 0;
  // How often entered text lost characters: past the byte limit, or
  // without a Shift-JIS form. The view shows a short sign when it grows.
  int dropped = 0;
  // How often OK found the field empty; the view shows the same sign.
  int wanted = 0;

  // The game puts a text in: at most max_bytes, never cutting a double-byte
  // character in half; the caret goes to the end. A composition stays.
  void SetText(const std::string& sjis);
  // Places the caret and the selection's other end (kept inside the text,
  // moved back onto a character boundary).
  void Select(std::size_t anchor_at, std::size_t caret_at);
  // The input method's composition changed (empty: it has none any more).
  // `cursor` counts characters; it is kept inside the composition.
  void Compose(std::string utf8, int cursor);
  // Text entered at the caret (typed, or committed by the input method): it
  // replaces the selection and ends the composition. Characters without a
  // Shift-JIS form are refused, and of the rest only those before the first
  // that does not fit in the byte limit are kept; the caret stands after
  // the last one kept. False when characters were dropped.
  bool Commit(std::string_view utf8);
  // Commits the pending composition, if any.
  void CommitComposition();

  // Whether a character may enter a field: printable, with a Shift-JIS form.
  static bool Accepts(char32_t c);
};

// A single-selection list of rows.
struct ListBox : Control {
  explicit ListBox(std::string n) : Control(std::move(n), ControlKind::List) {}
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
  Panel(std::string n, int width, int height) : Control(std::move(n), ControlKind::Panel) {
    bounds = Rect::FromSize(0, 0, width, height);
    visible = false;
  }
  // The control with the keyboard focus. Every move of the focus goes
  // through SetFocus.
  Control* focus = nullptr;
  int repaints = 0;          // how often the game asked for an immediate repaint

  // Moves the keyboard focus; a name field that loses it keeps the text
  // still being composed in it.
  void SetFocus(Control* c);
  void MoveTo(int left, int top) { bounds = Rect::FromSize(left, top, bounds.width(), bounds.height()); }
  void Repaint() { ++repaints; }
};

}  // namespace velmor
