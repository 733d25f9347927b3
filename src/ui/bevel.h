// The era's bevels, painted pixel by pixel into an ImGui draw list: the one
// painter of frames, raised and sunken edges, push buttons and the dotted
// focus rectangle, shared by the panels and the message boxes.
#pragma once

#include "core/geometry.h"
#include "imgui.h"

namespace velmor::ui {

void Fill(ImDrawList* dl, const Rect& r, ImU32 c);
void HLine(ImDrawList* dl, int x0, int x1, int y, ImU32 c);
void VLine(ImDrawList* dl, int x, int y0, int y1, ImU32 c);
// A one-pixel frame: top and left in one colour, bottom and right in another.
void Frame(ImDrawList* dl, const Rect& r, ImU32 top_left, ImU32 bottom_right);
inline Rect Inset(const Rect& r, int n) { return {r.left + n, r.top + n, r.right - n, r.bottom - n}; }

// The two-pixel edge of a raised face (a button) and of a sunken field.
void Raised(ImDrawList* dl, const Rect& r);
void Sunken(ImDrawList* dl, const Rect& r);
// The dotted rectangle of the keyboard focus.
void FocusRect(ImDrawList* dl, const Rect& r);

// A push button's face without its caption: a black frame around it when it
// is the focused (default) button, flat when held down, raised otherwise.
// The caption goes on the face, a pixel down and right when held, and then
// the focused button's focus rectangle over it.
void PushButtonFace(ImDrawList* dl, const Rect& r, bool focused, bool held);
void PushButtonFocus(ImDrawList* dl, const Rect& r);

}  // namespace velmor::ui
