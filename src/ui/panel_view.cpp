#include "ui/panel_view.h"

#include <algorithm>
#include <cmath>

#include "core/sjis.h"
#include "core/texts.h"
#include "imgui.h"
#include "menus/panel_layout.h"
#include "ui/bevel.h"
#include "ui/classic_colors.h"

namespace velmor::ui {

using menus::ListRowAt;
using menus::PanelsOf;
using menus::WindowRect;

namespace {

constexpr ImU32 kSilver = IM_COL32(0xC0, 0xC0, 0xC0, 0xFF);
constexpr ImU32 kGreyText = kShadow;

constexpr int kListRowHeight = 15;
constexpr int kSpinButtonWidth = 15;

ImVec2 V(float x, float y) { return ImVec2(x, y); }

// A small solid triangle pointing up or down, centred at (cx, cy).
void Arrow(ImDrawList* dl, int cx, int cy, bool up, ImU32 c) {
  for (int row = 0; row < 3; ++row) {
    int y = up ? cy - 1 + row : cy + 1 - row;
    Fill(dl, {cx - row, y, cx + row + 1, y + 1}, c);
  }
}

// Places an invisible ImGui item over a rectangle of the window.
bool HitArea(const char* id, const Rect& r) {
  ImGui::SetCursorScreenPos(V(static_cast<float>(r.left), static_cast<float>(r.top)));
  return ImGui::InvisibleButton(
      id, V(static_cast<float>(std::max(r.width(), 1)), static_cast<float>(std::max(r.height(), 1))));
}

}  // namespace

// --- Drawing ---

void PanelView::Text(ImDrawList* dl, UiFont font, float x, float y, unsigned color,
                     const std::string& utf8, float wrap_width) {
  if (utf8.empty()) return;
  ui_.Need(font, utf8);
  ImFont* f = ui_.Font(font);
  dl->AddText(f, f->FontSize, V(x, y), color, utf8.data(), utf8.data() + utf8.size(),
              wrap_width);
}

float PanelView::TextWidth(UiFont font, const std::string& utf8) {
  ImFont* f = ui_.Font(font);
  return f->CalcTextSizeA(f->FontSize, FLT_MAX, 0, utf8.data(), utf8.data() + utf8.size()).x;
}

void PanelView::Draw(menus::Panels& panels, bool interactive, std::vector<PanelAction>& actions) {
  wants_next_frame_ = false;
  flashing_ = false;
  for (Panel* panel : PanelsOf(panels))
    if (panel->visible) DrawPanel(panels, *panel, interactive, actions);
}

void PanelView::DrawPanel(menus::Panels& panels, Panel& panel, bool interactive,
                          std::vector<PanelAction>& actions) {
  const Rect pr = WindowRect(panel);
  ImGui::SetNextWindowPos(V(static_cast<float>(pr.left), static_cast<float>(pr.top)));
  ImGui::SetNextWindowSize(V(static_cast<float>(pr.width()), static_cast<float>(pr.height())));
  ImGuiWindowFlags flags = ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove |
                           ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoBackground |
                           ImGuiWindowFlags_NoScrollWithMouse |
                           ImGuiWindowFlags_NoBringToFrontOnFocus;
  if (!interactive) flags |= ImGuiWindowFlags_NoInputs;
  ImGui::PushStyleVar(ImGuiStyleVar_WindowBorderSize, 0);
  ImGui::Begin(panel.name.c_str(), nullptr, flags);
  ImGui::PopStyleVar();
  if (ImGui::IsWindowAppearing()) wants_next_frame_ = true;
  ImDrawList* dl = ImGui::GetWindowDrawList();

  // Background, a single border, and the lowered inner bevel inside it.
  Fill(dl, pr, kTooltip);
  Frame(dl, pr, kBlack, kBlack);
  Frame(dl, Inset(pr, 1), kShadow, kHighlight);

  menus::FocusedControl(panels);  // settles the panel's focus on a control that can take it
  std::vector<GroupBox*> groups;
  for (Control* c : panels.All()) {
    if (c->parent != &panel || !c->visible) continue;
    switch (c->kind) {
      case ControlKind::Spin: DrawSpin(panel, static_cast<SpinEdit&>(*c), dl, actions); break;
      case ControlKind::List: DrawList(panel, static_cast<ListBox&>(*c), dl, actions); break;
      case ControlKind::Edit:
        DrawEdit(panel, static_cast<Edit&>(*c), dl, interactive);
        break;
      case ControlKind::Label: DrawLabel(static_cast<Label&>(*c), dl); break;
      case ControlKind::Button: DrawButton(panel, static_cast<Button&>(*c), dl, actions); break;
      case ControlKind::GroupBox: {
        auto& group = static_cast<GroupBox&>(*c);
        DrawGroup(panels, panel, group, dl, actions);
        groups.push_back(&group);
        break;
      }
      case ControlKind::Radio:  // drawn by its group box
      case ControlKind::Panel: break;
    }
  }
  // The group boxes' own area last, so that their radio buttons come first.
  for (GroupBox* g : groups) DrawGroupClickArea(*g, actions);
  ImGui::End();
}

void PanelView::DrawLabel(const Label& label, ImDrawList* dl) {
  const Rect r = WindowRect(label);
  const std::string text = TrGame(SjisToUtf8(label.caption));
  const float x = static_cast<float>(r.left), y = static_cast<float>(r.top);
  switch (label.style) {
    case LabelStyle::Panel: Text(dl, UiFont::Panel, x, y, kBlack, text); break;
    case LabelStyle::Prompt: {
      float left = x;
      if (label.bounds.width() <= 0) {  // not placed yet: centred in the panel
        const Rect pr = WindowRect(*label.parent);
        left = static_cast<float>(pr.left) +
               static_cast<float>(static_cast<int>((pr.width() - TextWidth(UiFont::Prompt, text)) / 2));
      }
      Text(dl, UiFont::Prompt, left, y, kBlack, text);
      break;
    }
    case LabelStyle::Help: {
      // The face's glyphs reach below its nominal 12 pixels; the fields
      // right under the label would cut them off, so it stands higher by
      // what they reach beyond its box.
      const ImFont* f = ui_.Font(UiFont::Label);
      const float over = f->Ascent - f->Descent - static_cast<float>(r.height());
      Text(dl, UiFont::Label, x, over > 0 ? y - std::ceil(over) : y, kGreyText, text);
      break;
    }
    case LabelStyle::UpDown:
      Text(dl, UiFont::LabelP, x, y, kBlack, text, static_cast<float>(std::max(r.width(), 1)));
      break;
    case LabelStyle::Copyright: Text(dl, UiFont::Copyright, x, y, kSilver, text); break;
  }
}

void PanelView::DrawButton(Panel& panel, Button& button, ImDrawList* dl,
                           std::vector<PanelAction>& actions) {
  const Rect r = WindowRect(button);
  const bool enabled = button.usable();
  ImGui::PushID(&button);
  if (!enabled) ImGui::BeginDisabled();
  const bool pressed = HitArea("button", r);
  const bool held = ImGui::IsItemActive() && ImGui::IsItemHovered();
  if (ImGui::IsItemActivated()) panel.SetFocus(&button);
  if (!enabled) ImGui::EndDisabled();
  ImGui::PopID();
  if (pressed && enabled) actions.push_back({PanelAction::Kind::Click, &button});

  const bool focused = IsFocused(panel, button);
  PushButtonFace(dl, r, focused, held);
  const std::string text = TrGame(SjisToUtf8(button.caption));
  const float w = TextWidth(UiFont::Panel, text);
  const float h = ui_.Font(UiFont::Panel)->FontSize;
  float tx = static_cast<float>(r.left) + static_cast<float>(static_cast<int>((r.width() - w) / 2));
  float ty = static_cast<float>(r.top) + static_cast<float>(static_cast<int>((r.height() - h) / 2));
  if (held) tx += 1, ty += 1;
  if (enabled) {
    Text(dl, UiFont::Panel, tx, ty, kBlack, text);
  } else {
    Text(dl, UiFont::Panel, tx + 1, ty + 1, kHighlight, text);
    Text(dl, UiFont::Panel, tx, ty, kGreyText, text);
  }
  if (focused) PushButtonFocus(dl, r);
}

// One arrow button of a spin control.
void PanelView::DrawSpinButton(ImDrawList* dl, const Rect& box, bool held, bool up, bool enabled) {
  Fill(dl, box, kFace);
  if (held) {
    Frame(dl, box, kShadow, kShadow);
  } else {
    Raised(dl, box);
  }
  const int shift = held ? 1 : 0;
  Arrow(dl, (box.left + box.right) / 2 + shift, (box.top + box.bottom) / 2 + shift, up,
        enabled ? kBlack : kGreyText);
}

void PanelView::DrawSpin(Panel& panel, SpinEdit& spin, ImDrawList* dl,
                         std::vector<PanelAction>& actions) {
  const Rect r = WindowRect(spin);
  const bool enabled = spin.usable();
  const Rect field{r.left, r.top, r.right - kSpinButtonWidth - 2, r.bottom};
  const int mid = r.top + r.height() / 2;
  const Rect up{r.right - 2 - kSpinButtonWidth, r.top + 2, r.right - 2, mid};
  const Rect down{up.left, mid, up.right, r.bottom - 2};

  ImGui::PushID(&spin);
  if (!enabled) ImGui::BeginDisabled();
  HitArea("field", field);
  if (ImGui::IsItemActivated()) panel.SetFocus(&spin);
  // A double click on the number puts the control back to its standard value.
  if (enabled && ImGui::IsItemHovered() && ImGui::IsMouseDoubleClicked(ImGuiMouseButton_Left))
    actions.push_back({PanelAction::Kind::DblClick, &spin});
  ImGui::PushButtonRepeat(true);
  const bool up_pressed = HitArea("up", up);
  const bool up_held = ImGui::IsItemActive() && ImGui::IsItemHovered();
  if (ImGui::IsItemActivated()) panel.SetFocus(&spin);
  const bool down_pressed = HitArea("down", down);
  const bool down_held = ImGui::IsItemActive() && ImGui::IsItemHovered();
  if (ImGui::IsItemActivated()) panel.SetFocus(&spin);
  ImGui::PopButtonRepeat();
  if (!enabled) ImGui::EndDisabled();
  ImGui::PopID();
  if (enabled && up_pressed) actions.push_back({PanelAction::Kind::UpArrow, &spin});
  if (enabled && down_pressed) actions.push_back({PanelAction::Kind::DownArrow, &spin});

  Fill(dl, r, enabled ? kWhite : kFace);
  Sunken(dl, r);
  const std::string number = std::to_string(spin.value);
  const float h = ui_.Font(UiFont::Panel)->FontSize;
  const float tx = static_cast<float>(r.left + 4);
  const float ty = static_cast<float>(r.top) + static_cast<float>(static_cast<int>((r.height() - h) / 2));
  if (IsFocused(panel, spin) && enabled) {
    // The focused field shows its number selected.
    Fill(dl, {r.left + 3, static_cast<int>(ty), r.left + 5 + static_cast<int>(TextWidth(UiFont::Panel, number)),
              static_cast<int>(ty + h)},
         kNavy);
    Text(dl, UiFont::Panel, tx, ty, kWhite, number);
  } else {
    Text(dl, UiFont::Panel, tx, ty, enabled ? kBlack : kGreyText, number);
  }
  DrawSpinButton(dl, up, up_held, true, enabled);
  DrawSpinButton(dl, down, down_held, false, enabled);
}

void PanelView::DrawRadio(Panel& panel, RadioButton& radio, ImDrawList* dl,
                          std::vector<PanelAction>& actions) {
  const Rect r = WindowRect(radio);
  const bool enabled = radio.usable();
  ImGui::PushID(&radio);
  if (!enabled) ImGui::BeginDisabled();
  const bool pressed = HitArea("radio", r);
  if (enabled && ImGui::IsItemActivated()) panel.SetFocus(&radio);
  if (!enabled) ImGui::EndDisabled();
  ImGui::PopID();
  if (pressed && enabled) actions.push_back({PanelAction::Kind::Click, &radio});

  // The round button, pixel by pixel: a sunken white circle, a dot when
  // checked.
  static constexpr const char* kRadio[12] = {
      "....SSSS....", "..SSDDDDSS..", ".SDDWWWWDDH.", ".SDWWWWWWLH.",
      "SDWWWWWWWWLH", "SDWWWWWWWWLH", "SDWWWWWWWWLH", "SDWWWWWWWWLH",
      ".SDWWWWWWLH.", ".HLLWWWWLLH.", "..HHLLLLHH..", "....HHHH...."};
  static constexpr const char* kDot[4] = {".XX.", "XXXX", "XXXX", ".XX."};
  const int bx = r.left, by = r.top + (r.height() - 12) / 2;
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 12; ++x) {
      ImU32 c = 0;
      switch (kRadio[y][x]) {
        case 'S': c = kShadow; break;
        case 'D': c = kDark; break;
        case 'H': c = kHighlight; break;
        case 'L': c = kLight; break;
        case 'W': c = enabled ? kWhite : kFace; break;
        default: continue;
      }
      if (radio.checked && y >= 4 && y < 8 && x >= 4 && x < 8 && kDot[y - 4][x - 4] == 'X')
        c = enabled ? kBlack : kGreyText;
      Fill(dl, {bx + x, by + y, bx + x + 1, by + y + 1}, c);
    }
  }

  const std::string text = TrGame(SjisToUtf8(radio.caption));
  const float h = ui_.Font(UiFont::Panel)->FontSize;
  const float tx = static_cast<float>(r.left + 17);
  const float ty = static_cast<float>(r.top) + static_cast<float>(static_cast<int>((r.height() - h) / 2));
  if (enabled) {
    Text(dl, UiFont::Panel, tx, ty, kBlack, text);
  } else {
    Text(dl, UiFont::Panel, tx + 1, ty + 1, kHighlight, text);
    Text(dl, UiFont::Panel, tx, ty, kGreyText, text);
  }
  if (IsFocused(panel, radio)) {
    const int w = static_cast<int>(TextWidth(UiFont::Panel, text));
    FocusRect(dl, {r.left + 15, static_cast<int>(ty) - 1, r.left + 19 + w, static_cast<int>(ty + h) + 1});
  }
}

void PanelView::DrawGroup(menus::Panels& panels, Panel& panel, GroupBox& group, ImDrawList* dl,
                          std::vector<PanelAction>& actions) {
  DrawGroupFrame(group, dl);
  for (Control* c : panels.All())
    if (c->parent == &group && c->visible && c->kind == ControlKind::Radio)
      DrawRadio(panel, static_cast<RadioButton&>(*c), dl, actions);
}

void PanelView::DrawGroupFrame(const GroupBox& group, ImDrawList* dl) {
  const Rect r = WindowRect(group);
  const std::string title = TrGame(SjisToUtf8(group.caption));
  const float h = ui_.Font(UiFont::Panel)->FontSize;
  const int line = r.top + static_cast<int>(h / 2);
  // An etched frame: a grey line with a white one beside it.
  const Rect outer{r.left, line, r.right - 1, r.bottom - 1};
  Frame(dl, outer, kShadow, kShadow);
  Frame(dl, {outer.left + 1, outer.top + 1, outer.right + 1, outer.bottom + 1}, kHighlight,
        kHighlight);
  Frame(dl, outer, kShadow, kShadow);
  if (!title.empty()) {
    const int w = static_cast<int>(TextWidth(UiFont::Panel, title));
    Fill(dl, {r.left + 6, r.top, r.left + 10 + w, r.top + static_cast<int>(h)}, kTooltip);
    Text(dl, UiFont::Panel, static_cast<float>(r.left + 8), static_cast<float>(r.top), kBlack,
         title);
  }
}

void PanelView::DrawGroupClickArea(GroupBox& group, std::vector<PanelAction>& actions) {
  ImGui::PushID(&group);
  const bool pressed = HitArea("group", WindowRect(group));
  ImGui::PopID();
  if (pressed && group.usable()) actions.push_back({PanelAction::Kind::Click, &group});
}

void PanelView::DrawList(Panel& panel, ListBox& list, ImDrawList* dl,
                         std::vector<PanelAction>& actions) {
  const Rect r = WindowRect(list);
  const Rect rows{r.left + 2, r.top + 2, r.right - 2, r.bottom - 2};
  const bool enabled = list.usable();
  ImGui::PushID(&list);
  HitArea("list", r);
  if (enabled && ImGui::IsItemActivated()) {
    // The row is chosen as the button goes down, as a list box does.
    panel.SetFocus(&list);
    const int y = static_cast<int>(ImGui::GetIO().MousePos.y) - rows.top;
    const int row = ListRowAt(list, y, kListRowHeight);
    if (row >= 0) list.Select(row);
  }
  if (enabled && ImGui::IsItemHovered() && ImGui::IsMouseDoubleClicked(ImGuiMouseButton_Left))
    actions.push_back({PanelAction::Kind::DblClick, &list});
  ImGui::PopID();

  Fill(dl, r, kWhite);
  Sunken(dl, r);
  dl->PushClipRect(V(static_cast<float>(rows.left), static_cast<float>(rows.top)),
                   V(static_cast<float>(rows.right), static_cast<float>(rows.bottom)), true);
  const int visible = rows.height() / kListRowHeight;  // whole rows only
  // The face's line (ascent to descent) is a pixel taller than a row at this
  // size: centred on the row, the glyphs of the last row stay inside the
  // list instead of losing their bottom to its frame.
  const ImFont* font = ui_.Font(UiFont::List);
  const float line = font->Ascent - font->Descent;
  const float lift = std::floor((static_cast<float>(kListRowHeight) - line) / 2);
  for (int i = 0; i < static_cast<int>(list.rows.size()) && i < visible; ++i) {
    const Rect row{rows.left, rows.top + i * kListRowHeight, rows.right,
                   rows.top + (i + 1) * kListRowHeight};
    const bool selected = i == list.selected;
    if (selected) Fill(dl, row, kNavy);
    Text(dl, UiFont::List, static_cast<float>(row.left + 2), static_cast<float>(row.top) + lift,
         selected ? kWhite : kBlack, SjisToUtf8(list.rows[static_cast<std::size_t>(i)]));
    if (selected && IsFocused(panel, list)) FocusRect(dl, row);
  }
  if (list.selected < 0 && IsFocused(panel, list))
    FocusRect(dl, {rows.left, rows.top, rows.right, rows.top + kListRowHeight});
  dl->PopClipRect();
}

}  // namespace velmor::ui
