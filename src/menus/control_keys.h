// The keys the panels and the message boxes act on, whichever front end
// delivers them: the real window's keyboard or the headless input script.
#pragma once

#include <optional>
#include <string_view>

namespace velmor::menus {

enum class ControlKey { Tab, ShiftTab, Enter, Space, Up, Down, Left, Right, Escape };

// The key of a script name: "tab", "shift+tab", "enter", "space", "up",
// "down", "left", "right", "escape". Nothing for any other name.
std::optional<ControlKey> ControlKeyNamed(std::string_view name);

}  // namespace velmor::menus
