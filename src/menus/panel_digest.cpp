#include "menus/panel_digest.h"

#include <string>

#include "menus/panel_layout.h"

namespace velmor::menus {

namespace {

// FNV-1a over the shown state.
class Digest {
 public:
  void Bytes(const void* data, std::size_t n) {
    const auto* p = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < n; ++i) h_ = (h_ ^ p[i]) * 1099511628211ull;
  }
  template <typename T>
  void Value(T v) {
    Bytes(&v, sizeof v);
  }
  void Text(const std::string& s) {
    Value(s.size());
    Bytes(s.data(), s.size());
  }
  uint64_t value() const { return h_; }

 private:
  uint64_t h_ = 0xcbf29ce484222325ull;  // the FNV-1a offset basis
};

// What one control shows beyond its place and caption.
void MixShownValue(Digest& d, const Control& c) {
  switch (c.kind) {
    case ControlKind::Spin: d.Value(static_cast<const SpinEdit&>(c).value); break;
    case ControlKind::Radio: d.Value(static_cast<const RadioButton&>(c).checked); break;
    case ControlKind::Edit: {
      const auto& edit = static_cast<const Edit&>(c);
      d.Text(edit.text);
      d.Text(edit.composition);
      d.Value(edit.composition_caret);
      d.Value(edit.dropped);
      break;
    }
    case ControlKind::List: {
      const auto& list = static_cast<const ListBox&>(c);
      d.Value(list.selected);
      for (const std::string& row : list.rows) d.Text(row);
      break;
    }
    default: break;
  }
}

}  // namespace

uint64_t PanelsDigest(Panels& panels) {
  Digest d;
  for (Panel* panel : PanelsOf(panels)) {
    d.Value(panel->visible);
    if (!panel->visible) continue;
    d.Value(panel->focus);
    for (Control* c : panels.All()) {
      const Control* top = c;
      while (top->parent != nullptr) top = top->parent;
      if (top != panel) continue;
      d.Value(c->visible);
      d.Value(c->enabled);
      d.Value(c->bounds);
      d.Text(c->caption);
      MixShownValue(d, *c);
    }
  }
  return d.value();
}

}  // namespace velmor::menus
