#include "ui/bevel.h"

#include "ui/classic_colors.h"

namespace velmor::ui {

void Fill(ImDrawList* dl, const Rect& r, ImU32 c) {
  dl->AddRectFilled(ImVec2(static_cast<float>(r.left), static_cast<float>(r.top)),
                    ImVec2(static_cast<float>(r.right), static_cast<float>(r.bottom)), c);
}

void HLine(ImDrawList* dl, int x0, int x1, int y, ImU32 c) { Fill(dl, {x0, y, x1, y + 1}, c); }

void VLine(ImDrawList* dl, int x, int y0, int y1, ImU32 c) { Fill(dl, {x, y0, x + 1, y1}, c); }

void Frame(ImDrawList* dl, const Rect& r, ImU32 top_left, ImU32 bottom_right) {
  HLine(dl, r.left, r.right - 1, r.top, top_left);
  VLine(dl, r.left, r.top, r.bottom - 1, top_left);
  HLine(dl, r.left, r.right, r.bottom - 1, bottom_right);
  VLine(dl, r.right - 1, r.top, r.bottom, bottom_right);
}

void Raised(ImDrawList* dl, const Rect& r) {
  Frame(dl, r, kHighlight, kDark);
  Frame(dl, Inset(r, 1), kLight, kShadow);
}

void Sunken(ImDrawList* dl, const Rect& r) {
  Frame(dl, r, kShadow, kHighlight);
  Frame(dl, Inset(r, 1), kDark, kLight);
}

void FocusRect(ImDrawList* dl, const Rect& r) {
  for (int x = r.left; x < r.right; x += 2) {
    Fill(dl, {x, r.top, x + 1, r.top + 1}, kBlack);
    Fill(dl, {x, r.bottom - 1, x + 1, r.bottom}, kBlack);
  }
  for (int y = r.top; y < r.bottom; y += 2) {
    Fill(dl, {r.left, y, r.left + 1, y + 1}, kBlack);
    Fill(dl, {r.right - 1, y, r.right, y + 1}, kBlack);
  }
}

void PushButtonFace(ImDrawList* dl, const Rect& r, bool focused, bool held) {
  Fill(dl, r, kFace);
  Rect body = r;
  if (focused) {  // the default frame of the focused button
    Frame(dl, r, kBlack, kBlack);
    body = Inset(r, 1);
  }
  if (held) {
    Frame(dl, body, kShadow, kShadow);
  } else {
    Raised(dl, body);
  }
}

void PushButtonFocus(ImDrawList* dl, const Rect& r) { FocusRect(dl, Inset(r, 4)); }

}  // namespace velmor::ui
