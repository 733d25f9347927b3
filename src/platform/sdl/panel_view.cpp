#include "platform/sdl/panel_view.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/sjis.h"
#include "imgui.h"
#include "platform/sdl/classic_colors.h"
#include "imgui_internal.h"
#include "platform/sdl/panel_layout.h"
#include "platform/sdl/sjis_edit_limit.h"

namespace velmor::platform::sdl {

namespace {

constexpr ImU32 kSilver = IM_COL32(0xC0, 0xC0, 0xC0, 0xFF);
constexpr ImU32 kGreyText = kShadow;

constexpr int kListRowHeight = 15;
constexpr int kSpinButtonWidth = 15;

ImVec2 V(float x, float y) { return ImVec2(x, y); }

void Fill(ImDrawList* dl, const Rect& r, ImU32 c) {
  dl->AddRectFilled(V(static_cast<float>(r.left), static_cast<float>(r.top)),
                    V(static_cast<float>(r.right), static_cast<float>(r.bottom)), c);
}
void HLine(ImDrawList* dl, int x0, int x1, int y, ImU32 c) { Fill(dl, {x0, y, x1, y + 1}, c); }
void VLine(ImDrawList* dl, int x, int y0, int y1, ImU32 c) { Fill(dl, {x, y0, x + 1, y1}, c); }

// A one-pixel frame: top and left in one colour, bottom and right in another.
void Frame(ImDrawList* dl, const Rect& r, ImU32 top_left, ImU32 bottom_right) {
  HLine(dl, r.left, r.right - 1, r.top, top_left);
  VLine(dl, r.left, r.top, r.bottom - 1, top_left);
  HLine(dl, r.left, r.right, r.bottom - 1, bottom_right);
  VLine(dl, r.right - 1, r.top, r.bottom, bottom_right);
}
Rect Inset(const Rect& r, int n) { return {r.left + n, r.top + n, r.right - n, r.bottom - n}; }

void Raised(ImDrawList* dl, const Rect& r) {
  Frame(dl, r, kHighlight, kDark);
  Frame(dl, Inset(r, 1), kLight, kShadow);
}
void Sunken(ImDrawList* dl, const Rect& r) {
  Frame(dl, r, kShadow, kHighlight);
  Frame(dl, Inset(r, 1), kDark, kLight);
}
// The dotted rectangle of the keyboard focus.
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

PlainKind PlainKindOf(menus::Panels& panels, const Control& c) {
  for (Control* other : panels.All())
    if (other->parent == &c) return PlainKind::GroupBox;
  return c.tab_order >= 0 ? PlainKind::Button : PlainKind::Label;
}

void RunPanelAction(const PanelAction& a) {
  switch (a.kind) {
    case PanelAction::Kind::Click: a.control->Click(); break;
    case PanelAction::Kind::DblClick: a.control->DblClick(); break;
    case PanelAction::Kind::UpArrow: static_cast<SpinEdit*>(a.control)->UpArrow(); break;
    case PanelAction::Kind::DownArrow: static_cast<SpinEdit*>(a.control)->DownArrow(); break;
    case PanelAction::Kind::Enter: {
      auto* edit = static_cast<Edit*>(a.control);
      if (edit->usable() && edit->OnEnter) edit->OnEnter();
      break;
    }
  }
}

Panel* PanelView::ActivePanel(menus::Panels& panels) {
  std::vector<Panel*> all = PanelsOf(panels);
  for (auto it = all.rbegin(); it != all.rend(); ++it)
    if ((*it)->visible) return *it;
  return nullptr;
}

Control* PanelView::FocusedControl(menus::Panels& panels) {
  Panel* panel = ActivePanel(panels);
  if (panel == nullptr) return nullptr;
  Control* f = panel->focus;
  bool inside = false;
  for (const Control* p = f ? f->parent : nullptr; p != nullptr; p = p->parent)
    if (p == panel) inside = true;
  if (f == nullptr || !inside || !f->usable()) {
    f = NextFocus(panels, *panel, nullptr, false);
    panel->SetFocus(f);
  }
  return f;
}

Edit* PanelView::FocusedEdit(menus::Panels& panels) {
  return dynamic_cast<Edit*>(FocusedControl(panels));
}

uint64_t PanelView::Signature(menus::Panels& panels) {
  // FNV-1a over the shown state.
  uint64_t h = 0xcbf29ce484222325ull;  // the FNV-1a offset basis
  auto mix = [&h](const void* data, std::size_t n) {
    const auto* p = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < n; ++i) h = (h ^ p[i]) * 1099511628211ull;
  };
  auto mix_value = [&mix](auto v) { mix(&v, sizeof v); };
  auto mix_text = [&mix, &mix_value](const std::string& s) {
    mix_value(s.size());
    mix(s.data(), s.size());
  };
  for (Panel* panel : PanelsOf(panels)) {
    mix_value(panel->visible);
    if (!panel->visible) continue;
    mix_value(panel->focus);
    for (Control* c : panels.All()) {
      const Control* top = c;
      while (top->parent != nullptr) top = top->parent;
      if (top != panel) continue;
      mix_value(c->visible);
      mix_value(c->enabled);
      mix_value(c->bounds);
      mix_text(c->caption);
      if (auto* spin = dynamic_cast<SpinEdit*>(c)) mix_value(spin->value);
      if (auto* radio = dynamic_cast<RadioButton*>(c)) mix_value(radio->checked);
      if (auto* edit = dynamic_cast<Edit*>(c)) {
        mix_text(edit->text);
        mix_text(edit->composition);
        mix_value(edit->composition_caret);
        mix_value(edit->dropped);
      }
      if (auto* list = dynamic_cast<ListBox*>(c)) {
        mix_value(list->selected);
        for (const std::string& row : list->rows) mix_text(row);
      }
    }
  }
  return h;
}

bool PanelView::HandleKey(menus::Panels& panels, PanelKey key,
                          std::vector<PanelAction>& actions) {
  Panel* panel = ActivePanel(panels);
  Control* f = FocusedControl(panels);
  if (panel == nullptr) return false;
  if (key == PanelKey::Tab || key == PanelKey::ShiftTab) {
    if (Control* next = NextFocus(panels, *panel, f, key == PanelKey::ShiftTab))
      panel->SetFocus(next);
    return true;
  }
  if (f == nullptr) return false;
  const bool up = key == PanelKey::Up || key == PanelKey::Left;
  const bool arrow = key == PanelKey::Up || key == PanelKey::Down || key == PanelKey::Left ||
                     key == PanelKey::Right;
  if (auto* spin = dynamic_cast<SpinEdit*>(f)) {
    if (key != PanelKey::Up && key != PanelKey::Down) return false;
    actions.push_back({up ? PanelAction::Kind::UpArrow : PanelAction::Kind::DownArrow, spin});
    return true;
  }
  if (auto* list = dynamic_cast<ListBox*>(f)) {
    if (key != PanelKey::Up && key != PanelKey::Down) return false;
    int row = list->selected < 0 ? 0 : list->selected + (up ? -1 : 1);
    if (row >= 0 && row < static_cast<int>(list->rows.size())) list->Select(row);
    return true;
  }
  if (auto* radio = dynamic_cast<RadioButton*>(f)) {
    if (arrow) {
      RadioButton* next = NextRadio(*radio, up);
      if (next != radio) {
        panel->SetFocus(next);
        actions.push_back({PanelAction::Kind::Click, next});
      }
      return true;
    }
    if (key == PanelKey::Space) {
      actions.push_back({PanelAction::Kind::Click, radio});
      return true;
    }
    return false;
  }
  if (dynamic_cast<Edit*>(f) != nullptr) return false;
  if (key == PanelKey::Enter || key == PanelKey::Space) {
    actions.push_back({PanelAction::Kind::Click, f});
    return true;
  }
  return false;
}

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

PanelView::LabelStyle PanelView::StyleOf(menus::Panels& p, const Control& c) {
  if (&c == &p.NameLabel) return LabelStyle::Prompt;
  if (&c == &p.NameHelpLabel) return LabelStyle::Help;
  if (&c == &p.UpDownLabel1 || &c == &p.UpDownLabel2 || &c == &p.UpDownLabel3)
    return LabelStyle::UpDown;
  if (&c == &p.BrannicLabel1 || &c == &p.BrannicLabel2 || &c == &p.BrannicLabel3)
    return LabelStyle::Copyright;
  return LabelStyle::Panel;
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

  FocusedControl(panels);  // settles the panel's focus on a control that can take it
  std::vector<Control*> groups;
  for (Control* c : panels.All()) {
    if (c->parent != &panel || !c->visible) continue;
    if (auto* spin = dynamic_cast<SpinEdit*>(c)) {
      DrawSpin(panel, *spin, dl, actions);
    } else if (auto* list = dynamic_cast<ListBox*>(c)) {
      DrawList(panel, *list, dl, actions);
    } else if (auto* edit = dynamic_cast<Edit*>(c)) {
      DrawEdit(panel, *edit, dl, interactive, actions);
    } else {
      switch (PlainKindOf(panels, *c)) {
        case PlainKind::Label: DrawLabel(panels, *c, dl); break;
        case PlainKind::Button: DrawButton(panel, *c, dl, actions); break;
        case PlainKind::GroupBox: {
          DrawGroupFrame(*c, dl);
          for (Control* r : panels.All())
            if (r->parent == c && r->visible)
              if (auto* radio = dynamic_cast<RadioButton*>(r)) DrawRadio(panel, *radio, dl, actions);
          groups.push_back(c);
          break;
        }
      }
    }
  }
  // The group boxes' own area last, so that their radio buttons come first.
  for (Control* g : groups) DrawGroupClickArea(panel, *g, actions);
  ImGui::End();
}

void PanelView::DrawLabel(menus::Panels& panels, const Control& label, ImDrawList* dl) {
  const Rect r = WindowRect(label);
  const std::string text = SjisToUtf8(label.caption);
  const float x = static_cast<float>(r.left), y = static_cast<float>(r.top);
  switch (StyleOf(panels, label)) {
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
    case LabelStyle::Help: Text(dl, UiFont::Label, x, y, kGreyText, text); break;
    case LabelStyle::UpDown:
      Text(dl, UiFont::LabelP, x, y, kBlack, text, static_cast<float>(std::max(r.width(), 1)));
      break;
    case LabelStyle::Copyright: Text(dl, UiFont::Copyright, x, y, kSilver, text); break;
  }
}

void PanelView::DrawButton(Panel& panel, Control& button, ImDrawList* dl,
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
  const std::string text = SjisToUtf8(button.caption);
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
  if (focused) FocusRect(dl, Inset(r, 4));
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

  const std::string text = SjisToUtf8(radio.caption);
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

void PanelView::DrawGroupFrame(const Control& group, ImDrawList* dl) {
  const Rect r = WindowRect(group);
  const std::string title = SjisToUtf8(group.caption);
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

void PanelView::DrawGroupClickArea(Panel& panel, Control& group,
                                   std::vector<PanelAction>& actions) {
  (void)panel;
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

namespace {

// How long a name field's frame flashes after characters were dropped.
constexpr double kFlashSeconds = 0.3;

// The UTF-8 offset in the field's text of a byte offset into its Shift-JIS.
int Utf8Offset(const std::string& sjis, std::size_t at) {
  return static_cast<int>(SjisToUtf8(std::string_view(sjis).substr(0, at)).size());
}

}  // namespace

void PanelView::SyncEditText(const Edit& edit, EditState& st) {
  if (edit.text != st.shown_sjis) {
    // The game or the input method changed the text. A field being edited
    // takes it through its callback, with the model's caret.
    std::string utf8 = SjisToUtf8(edit.text);
    std::size_t n = std::min(utf8.size(), sizeof st.buf - 1);
    std::memcpy(st.buf, utf8.data(), n);
    st.buf[n] = '\0';
    st.shown_sjis = edit.text;
    if (st.active) {
      st.reload = std::string(st.buf);
      st.reload_cursor = std::min(Utf8Offset(edit.text, edit.caret), static_cast<int>(n));
    }
  }
  st.before_utf8 = st.buf;
}

void PanelView::StoreEditText(Edit& edit, EditState& st) {
  // ImGui's own edits (deleting, pasting) and its caret go back into the
  // model, where the input method's text is inserted.
  const std::string sjis = Utf8ToSjis(st.buf);
  if (sjis != edit.text) {
    edit.SetText(sjis);
    st.shown_sjis = edit.text;
  }
  if (!st.active || !st.caret_seen) return;
  st.caret_seen = false;
  const std::string_view buf(st.buf);
  auto sjis_at = [&buf](int utf8_at) {
    return SjisLength(buf.substr(0, static_cast<std::size_t>(std::clamp(utf8_at, 0, static_cast<int>(buf.size())))));
  };
  // ImGui keeps both ends of the selection; the caret is one of them. Equal
  // ends mean no selection, wherever they stand.
  int anchor = st.cursor;
  if (st.select_start != st.select_end)
    anchor = st.cursor == st.select_start ? st.select_end : st.select_start;
  edit.Select(sjis_at(anchor), sjis_at(st.cursor));
}

void PanelView::RequestEditFocus(const Edit& edit, EditState& st, bool wanted) {
  // The focus is asked for once, and again if it did not take; never in a
  // loop (a frame drawn at once for each request).
  const int frame = ImGui::GetFrameCount();
  if (!wanted || st.active) st.focus_requests = 0;
  if (wanted && edit.usable() && !st.active && st.focus_requests < 3 &&
      st.requested_frame != frame - 1) {
    ImGui::SetKeyboardFocusHere();
    st.requested_frame = frame;
    ++st.focus_requests;
    wants_next_frame_ = true;
  }
}

void PanelView::DrawEdit(Panel& panel, Edit& edit, ImDrawList* dl, bool interactive,
                         std::vector<PanelAction>& actions) {
  const Rect r = WindowRect(edit);
  const Rect inner = Inset(r, 2);
  EditState& st = edits_[&edit];
  if (st.edit == nullptr) st.seen_dropped = edit.dropped;  // only new drops flash
  st.edit = &edit;
  // Characters dropped since the last frame: the frame flashes red a moment.
  const double now = ImGui::GetTime();
  if (edit.dropped != st.seen_dropped) {
    st.seen_dropped = edit.dropped;
    st.flash_until = now + kFlashSeconds;
  }
  const bool flash = now < st.flash_until;
  flashing_ = flashing_ || flash;
  Fill(dl, r, kWhite);
  if (flash) {
    Frame(dl, r, kRed, kRed);
    Frame(dl, Inset(r, 1), kRed, kRed);
  } else {
    Sunken(dl, r);
  }

  ImGui::PushID(&edit);
  SyncEditText(edit, st);
  RequestEditFocus(edit, st, IsFocused(panel, edit) && interactive);
  ImFont* f = ui_.Font(UiFont::Edit);
  ui_.Need(UiFont::Edit, st.buf);
  const float pad_y = std::max(0.0f, static_cast<float>(static_cast<int>((inner.height() - f->FontSize) / 2)));
  ImGui::PushFont(f);
  ImGui::PushStyleVar(ImGuiStyleVar_FramePadding, V(2, pad_y));
  ImGui::PushStyleColor(ImGuiCol_FrameBg, kWhite);
  ImGui::PushStyleColor(ImGuiCol_Text, kBlack);
  ImGui::SetCursorScreenPos(V(static_cast<float>(inner.left), static_cast<float>(inner.top)));
  ImGui::SetNextItemWidth(static_cast<float>(inner.width()));
  if (!edit.usable()) ImGui::BeginDisabled();
  const ImGuiInputTextFlags flags =
      ImGuiInputTextFlags_EnterReturnsTrue | ImGuiInputTextFlags_CallbackCharFilter |
      ImGuiInputTextFlags_CallbackEdit | ImGuiInputTextFlags_CallbackAlways;
  const bool enter = ImGui::InputText("##text", st.buf, sizeof st.buf, flags, EditCallback, &st);
  if (!edit.usable()) ImGui::EndDisabled();
  const bool was_active = st.active;
  st.active = ImGui::IsItemActive();
  if (ImGui::IsItemActivated()) panel.SetFocus(&edit);
  ImGui::PopStyleColor(2);
  ImGui::PopStyleVar();
  ImGui::PopFont();
  ImGui::PopID();

  if (was_active || st.active) StoreEditText(edit, st);
  if (enter) actions.push_back({PanelAction::Kind::Enter, &edit});
  if (st.active && !IsFocused(panel, edit)) {
    ImGui::ClearActiveID();  // the focus went elsewhere (Tab, a handler)
    st.active = false;
  }
  if (!edit.composition.empty() && IsFocused(panel, edit)) DrawComposition(edit, dl);
}

void PanelView::DrawComposition(const Edit& edit, ImDrawList* dl) {
  // The text being composed stands at the caret in place of the selection,
  // underlined, with the rest of the field's text moved aside; the field
  // scrolls so that the composition's caret stays in sight. The input
  // method's own window lists the candidates next to the field.
  const Rect inner = Inset(WindowRect(edit), 2);
  ImFont* f = ui_.Font(UiFont::Edit);
  const std::string& composition = edit.composition;
  ui_.Need(UiFont::Edit, composition);
  const std::size_t lo = std::min({edit.anchor, edit.caret, edit.text.size()});
  const std::size_t hi = std::min(std::max(edit.anchor, edit.caret), edit.text.size());
  const std::string head = SjisToUtf8(std::string_view(edit.text).substr(0, lo));
  const std::string tail = SjisToUtf8(std::string_view(edit.text).substr(hi));
  std::string before;  // the composition up to its caret
  int n = 0;
  for (std::size_t i = 0; i < composition.size() && n < edit.composition_caret;) {
    auto b = static_cast<unsigned char>(composition[i]);
    std::size_t len = b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : 2;
    before.append(composition, i, len);
    i += len;
    ++n;
  }
  const int head_w = static_cast<int>(TextWidth(UiFont::Edit, head));
  const int comp_w = static_cast<int>(TextWidth(UiFont::Edit, composition));
  const int caret_w = static_cast<int>(TextWidth(UiFont::Edit, before));
  const Rect view{inner.left + 2, inner.top, inner.right - 2, inner.bottom};
  const int scroll = CompositionScroll(head_w, comp_w, caret_w, view.width());

  const float y = static_cast<float>(inner.top) +
                  std::max(0.0f, static_cast<float>(static_cast<int>((inner.height() - f->FontSize) / 2)));
  Fill(dl, inner, kWhite);
  dl->PushClipRect(V(static_cast<float>(view.left), static_cast<float>(view.top)),
                   V(static_cast<float>(view.right), static_cast<float>(view.bottom)), true);
  const int x0 = view.left - scroll;
  Text(dl, UiFont::Edit, static_cast<float>(x0), y, kBlack, head);
  const int cx = x0 + head_w;
  Text(dl, UiFont::Edit, static_cast<float>(cx), y, kBlack, composition);
  HLine(dl, cx, cx + comp_w, static_cast<int>(y + f->FontSize), kBlack);
  VLine(dl, cx + caret_w, static_cast<int>(y), static_cast<int>(y + f->FontSize), kBlack);
  Text(dl, UiFont::Edit, static_cast<float>(cx + comp_w), y, kBlack, tail);
  dl->PopClipRect();
}

// The name fields' rules: only characters Shift-JIS can hold, and no more
// than the field's byte limit of them. The callback also hands ImGui the
// text the model took in, and takes ImGui's caret for the model.
int PanelView::EditCallback(ImGuiInputTextCallbackData* data) {
  auto* st = static_cast<EditState*>(data->UserData);
  if (data->EventFlag == ImGuiInputTextFlags_CallbackCharFilter)
    return AcceptsChar(data->EventChar) ? 0 : 1;
  if (st->reload) {
    data->DeleteChars(0, data->BufTextLen);
    data->InsertChars(0, st->reload->data(), st->reload->data() + st->reload->size());
    data->CursorPos = data->SelectionStart = data->SelectionEnd =
        std::clamp(st->reload_cursor, 0, data->BufTextLen);
    st->before_utf8 = *st->reload;
    st->reload.reset();
  } else if (data->EventFlag == ImGuiInputTextFlags_CallbackEdit) {
    LimitedEdit kept = LimitSjisEdit(st->before_utf8, std::string_view(data->Buf, static_cast<std::size_t>(data->BufTextLen)),
                                     st->edit->max_bytes);
    if (kept.cut) {
      data->DeleteChars(0, data->BufTextLen);
      data->InsertChars(0, kept.utf8.data(), kept.utf8.data() + kept.utf8.size());
      data->CursorPos = data->SelectionStart = data->SelectionEnd = static_cast<int>(kept.cursor);
      ++st->edit->dropped;
    }
    st->before_utf8 = kept.utf8;
  }
  st->cursor = data->CursorPos;
  st->select_start = data->SelectionStart;
  st->select_end = data->SelectionEnd;
  st->caret_seen = true;
  return 0;
}

}  // namespace velmor::platform::sdl
