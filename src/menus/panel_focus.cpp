#include "menus/panel_focus.h"

#include "menus/panel_layout.h"

namespace velmor::menus {

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

Panel* ActivePanel(Panels& panels) {
  const auto all = PanelsOf(panels);
  for (auto it = all.rbegin(); it != all.rend(); ++it)
    if ((*it)->visible) return *it;
  return nullptr;
}

Control* FocusedControl(Panels& panels) {
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

Edit* FocusedEdit(Panels& panels) {
  Control* f = FocusedControl(panels);
  return f != nullptr && f->kind == ControlKind::Edit ? static_cast<Edit*>(f) : nullptr;
}

namespace {

bool StepsSpin(SpinEdit& spin, ControlKey key, std::vector<PanelAction>& actions) {
  if (key != ControlKey::Up && key != ControlKey::Down) return false;
  actions.push_back(
      {key == ControlKey::Up ? PanelAction::Kind::UpArrow : PanelAction::Kind::DownArrow, &spin});
  return true;
}

bool StepsList(ListBox& list, ControlKey key) {
  if (key != ControlKey::Up && key != ControlKey::Down) return false;
  const int row = list.selected < 0 ? 0 : list.selected + (key == ControlKey::Up ? -1 : 1);
  if (row >= 0 && row < static_cast<int>(list.rows.size())) list.Select(row);
  return true;
}

bool MovesAmongRadios(Panel& panel, RadioButton& radio, ControlKey key,
                      std::vector<PanelAction>& actions) {
  const bool arrow = key == ControlKey::Up || key == ControlKey::Down ||
                     key == ControlKey::Left || key == ControlKey::Right;
  if (arrow) {
    const bool back = key == ControlKey::Up || key == ControlKey::Left;
    RadioButton* next = NextRadio(radio, back);
    if (next != &radio) {
      panel.SetFocus(next);
      actions.push_back({PanelAction::Kind::Click, next});
    }
    return true;
  }
  if (key == ControlKey::Space) {
    actions.push_back({PanelAction::Kind::Click, &radio});
    return true;
  }
  return false;
}

}  // namespace

bool PressPanelKey(Panels& panels, ControlKey key, std::vector<PanelAction>& actions) {
  Panel* panel = ActivePanel(panels);
  Control* f = FocusedControl(panels);
  if (panel == nullptr) return false;
  if (key == ControlKey::Tab || key == ControlKey::ShiftTab) {
    if (Control* next = NextFocus(panels, *panel, f, key == ControlKey::ShiftTab))
      panel->SetFocus(next);
    return true;
  }
  if (f == nullptr) return false;
  switch (f->kind) {
    case ControlKind::Spin: return StepsSpin(static_cast<SpinEdit&>(*f), key, actions);
    case ControlKind::List: return StepsList(static_cast<ListBox&>(*f), key);
    case ControlKind::Radio:
      return MovesAmongRadios(*panel, static_cast<RadioButton&>(*f), key, actions);
    case ControlKind::Edit: return false;
    default: break;
  }
  if (key == ControlKey::Enter || key == ControlKey::Space) {
    actions.push_back({PanelAction::Kind::Click, f});
    return true;
  }
  return false;
}

bool PressFieldKey(Panels& panels, ControlKey key, std::vector<PanelAction>& actions) {
  Edit* edit = FocusedEdit(panels);
  if (edit == nullptr || key != ControlKey::Enter) return false;
  actions.push_back({PanelAction::Kind::Enter, edit});
  return true;
}

}  // namespace velmor::menus
