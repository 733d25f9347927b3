#include "menus/panel_layout.h"

#include <algorithm>

namespace velmor::menus {

Rect WindowRect(const Control& c) {
  Rect r = c.bounds;
  for (const Control* p = c.parent; p != nullptr; p = p->parent) {
    r.left += p->bounds.left;
    r.right += p->bounds.left;
    r.top += p->bounds.top;
    r.bottom += p->bounds.top;
  }
  return r;
}

std::array<Panel*, 3> PanelsOf(Panels& panels) {
  return {&panels.ConfigPanel, &panels.NamePanel, &panels.SavePanel};
}

std::array<const Panel*, 3> PanelsOf(const Panels& panels) {
  return {&panels.ConfigPanel, &panels.NamePanel, &panels.SavePanel};
}

Panel* PanelAt(Panels& panels, Point p) {
  const auto all = PanelsOf(panels);
  for (auto it = all.rbegin(); it != all.rend(); ++it)
    if ((*it)->visible && WindowRect(**it).contains(p.x, p.y)) return *it;
  return nullptr;
}

bool AnyPanelVisible(const Panels& panels) {
  const auto all = PanelsOf(panels);
  return std::any_of(all.begin(), all.end(), [](const Panel* p) { return p->visible; });
}

Control* FocusTargetOf(Panels& panels, Control* stop) {
  if (stop == nullptr || !stop->usable()) return nullptr;
  std::vector<RadioButton*> radios;
  for (Control* c : panels.All())
    if (c->parent == stop && c->kind == ControlKind::Radio)
      radios.push_back(static_cast<RadioButton*>(c));
  if (radios.empty()) return stop;
  for (RadioButton* r : radios)
    if (r->checked && r->usable()) return r;
  for (RadioButton* r : radios)
    if (r->usable()) return r;
  return nullptr;
}

Control* NextFocus(Panels& panels, const Panel& panel, const Control* current,
                   bool backwards) {
  std::vector<Control*> order = panels.TabOrder(panel);
  if (order.empty()) return nullptr;
  const int n = static_cast<int>(order.size());
  // The stop that holds the current control (itself, or its group box).
  int at = -1;
  for (int i = 0; i < n; ++i)
    if (order[i] == current || (current != nullptr && current->parent == order[i])) at = i;
  for (int step = 1; step <= n; ++step) {
    int i = at < 0 ? (backwards ? n - step : step - 1)
                   : ((at + (backwards ? -step : step)) % n + n) % n;
    if (Control* target = FocusTargetOf(panels, order[i])) return target;
  }
  return nullptr;
}

RadioButton* NextRadio(RadioButton& current, bool backwards) {
  const auto& group = current.group;
  auto it = std::find(group.begin(), group.end(), &current);
  if (it == group.end()) return &current;
  const int n = static_cast<int>(group.size());
  const int at = static_cast<int>(it - group.begin());
  for (int step = 1; step < n; ++step) {
    RadioButton* r = group[((at + (backwards ? -step : step)) % n + n) % n];
    if (r->usable()) return r;
  }
  return &current;
}

int ListRowAt(const ListBox& list, int y, int row_height) {
  if (y < 0 || row_height <= 0) return -1;
  int row = y / row_height;
  return row < static_cast<int>(list.rows.size()) ? row : -1;
}

int CompositionScroll(int head, int composed, int caret, int view) {
  // One pixel is kept for the caret after the last character.
  const int shown = std::max(view - 1, 1);
  int scroll = std::max(0, head + composed - shown);
  const int caret_x = head + std::clamp(caret, 0, composed);
  if (caret_x < scroll) scroll = caret_x;
  return scroll;
}

}  // namespace velmor::menus
