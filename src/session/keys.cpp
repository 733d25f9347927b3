#include "session/keys.h"

namespace velmor::session {

std::optional<WindowCommand> WindowCommandOf(Key key, Modifiers held) {
  const bool alt_only = held.alt && !held.ctrl && !held.shift;
  switch (key) {
    case Key::F11: return WindowCommand::ToggleFullScreen;
    case Key::Enter:
    case Key::KeypadEnter:
      if (alt_only) return WindowCommand::ToggleFullScreen;
      return std::nullopt;
    case Key::F12: return WindowCommand::Screenshot;
    case Key::F1: return WindowCommand::ReaderSettings;
    case Key::F9: return WindowCommand::ToggleDebugger;
    case Key::F5: return WindowCommand::Reload;
    default: return std::nullopt;
  }
}

std::optional<menus::ControlKey> ControlKeyOf(Key key, Modifiers held) {
  using menus::ControlKey;
  switch (key) {
    case Key::Tab: return held.shift ? ControlKey::ShiftTab : ControlKey::Tab;
    case Key::Enter:
    case Key::KeypadEnter: return ControlKey::Enter;
    case Key::Space: return ControlKey::Space;
    case Key::Up: return ControlKey::Up;
    case Key::Down: return ControlKey::Down;
    case Key::Left: return ControlKey::Left;
    case Key::Right: return ControlKey::Right;
    case Key::Escape: return ControlKey::Escape;
    default: return std::nullopt;
  }
}

std::optional<ReaderKey> ReaderKeyOf(Key key) {
  switch (key) {
    case Key::Enter:
    case Key::KeypadEnter: return ReaderKey::Enter;
    case Key::Space: return ReaderKey::Space;
    case Key::Escape: return ReaderKey::Escape;
    case Key::Up: return ReaderKey::Up;
    case Key::Down: return ReaderKey::Down;
    case Key::PageUp: return ReaderKey::PageUp;
    case Key::PageDown: return ReaderKey::PageDown;
    case Key::Tab: return ReaderKey::SkipRead;
    case Key::A: return ReaderKey::Auto;
    case Key::Left:
    case Key::Backspace: return ReaderKey::Back;
    case Key::Right: return ReaderKey::Forward;
    case Key::F2: return ReaderKey::SaveScreen;
    case Key::F3: return ReaderKey::LoadScreen;
    case Key::F6: return ReaderKey::QuickSave;
    case Key::F7: return ReaderKey::QuickLoad;
    default: break;
  }
  const int digit = static_cast<int>(key) - static_cast<int>(Key::Digit0);
  if (digit >= 1 && digit <= 7)
    return static_cast<ReaderKey>(static_cast<int>(ReaderKey::Row1) + digit - 1);
  return std::nullopt;
}

bool ReaderKeyRepeats(ReaderKey key) {
  return key == ReaderKey::Up || key == ReaderKey::Down || key == ReaderKey::PageUp ||
         key == ReaderKey::PageDown || key == ReaderKey::Back || key == ReaderKey::Forward;
}

}  // namespace velmor::session
