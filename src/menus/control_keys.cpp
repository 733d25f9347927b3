#include "menus/control_keys.h"

namespace velmor::menus {

std::optional<ControlKey> ControlKeyNamed(std::string_view name) {
  struct Named {
    std::string_view name;
    ControlKey key;
  };
  static constexpr Named kKeys[] = {
      {"tab", ControlKey::Tab},     {"shift+tab", ControlKey::ShiftTab},
      {"enter", ControlKey::Enter}, {"space", ControlKey::Space},
      {"up", ControlKey::Up},       {"down", ControlKey::Down},
      {"left", ControlKey::Left},   {"right", ControlKey::Right},
      {"escape", ControlKey::Escape},
  };
  for (const Named& k : kKeys)
    if (k.name == name) return k.key;
  return std::nullopt;
}

}  // namespace velmor::menus
