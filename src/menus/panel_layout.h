// Where the panels and their controls stand in the window, which of them a
// pointer is over, and how the keyboard focus moves between them. Plain
// logic on the control models, shared by the front ends' drawing and input
// routing and by the focus and keys (panel_focus.h).
#pragma once

#include <array>
#include <vector>

#include "core/controls.h"
#include "core/geometry.h"
#include "menus/panels.h"

namespace velmor::menus {

// A control's rectangle in window pixels (its bounds are relative to the
// panel or group box that holds it).
Rect WindowRect(const Control& c);

// The three panels, in the order they are drawn (a later one on top).
std::array<Panel*, 3> PanelsOf(Panels& panels);
std::array<const Panel*, 3> PanelsOf(const Panels& panels);

// The visible panel under window pixel p, the top-most one; null when the
// pointer is over the game's picture or the wallpaper.
Panel* PanelAt(Panels& panels, Point p);
bool AnyPanelVisible(const Panels& panels);

// The control that takes the focus for a tab stop: a group box gives it to
// its checked radio button (or its first usable one). Null when the stop
// cannot take the focus now (hidden or disabled).
Control* FocusTargetOf(Panels& panels, Control* stop);

// The control that Tab (or Shift+Tab when `backwards`) moves the focus to
// from `current`, following the panel's tab order and skipping stops that
// cannot take it. Null when the panel has no such control.
Control* NextFocus(Panels& panels, const Panel& panel, const Control* current,
                   bool backwards);

// The radio button an arrow key moves to from `current` within its group:
// the next (or previous) usable one, wrapping around; `current` itself when
// there is no other.
RadioButton* NextRadio(RadioButton& current, bool backwards);

// The row of a list box under a pointer `y` pixels below the top of its
// rows, or -1 when no row is there.
int ListRowAt(const ListBox& list, int y, int row_height);

// How far a name field showing a composition is scrolled, in pixels: the
// text before the composition is `head` pixels wide, the composition
// `composed`, its caret stands `caret` pixels into it, and the field shows
// `view` pixels. The composition's end is in sight (its start too when the
// whole fits), and the caret always, even in a composition wider than the
// field.
int CompositionScroll(int head, int composed, int caret, int view);

}  // namespace velmor::menus
