#include "platform/sdl/input_mapping.h"

#include <SDL.h>

namespace velmor::platform::sdl {

Modifiers ModifiersFromSdl(uint16_t sdl_mod) {
  Modifiers m;
  m.shift = (sdl_mod & KMOD_SHIFT) != 0;
  m.ctrl = (sdl_mod & KMOD_CTRL) != 0;
  m.alt = (sdl_mod & KMOD_ALT) != 0;
  return m;
}

PointerButton PointerButtonFromSdl(uint8_t sdl_button) {
  switch (sdl_button) {
    case SDL_BUTTON_LEFT: return PointerButton::Left;
    case SDL_BUTTON_RIGHT: return PointerButton::Right;
    case SDL_BUTTON_MIDDLE: return PointerButton::Middle;
    default: return PointerButton::Other;
  }
}

std::optional<menus::ControlKey> ControlKeyFromSdl(int32_t sdl_key, uint16_t sdl_mod) {
  using menus::ControlKey;
  switch (sdl_key) {
    case SDLK_TAB: return (sdl_mod & KMOD_SHIFT) ? ControlKey::ShiftTab : ControlKey::Tab;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return ControlKey::Enter;
    case SDLK_SPACE: return ControlKey::Space;
    case SDLK_UP: return ControlKey::Up;
    case SDLK_DOWN: return ControlKey::Down;
    case SDLK_LEFT: return ControlKey::Left;
    case SDLK_RIGHT: return ControlKey::Right;
    case SDLK_ESCAPE: return ControlKey::Escape;
    default: return std::nullopt;
  }
}

std::optional<ReaderKey> ReaderKeyFromSdl(int32_t sdl_key) {
  switch (sdl_key) {
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return ReaderKey::Enter;
    case SDLK_SPACE: return ReaderKey::Space;
    case SDLK_ESCAPE: return ReaderKey::Escape;
    case SDLK_UP: return ReaderKey::Up;
    case SDLK_DOWN: return ReaderKey::Down;
    case SDLK_PAGEUP: return ReaderKey::PageUp;
    case SDLK_PAGEDOWN: return ReaderKey::PageDown;
    case SDLK_TAB: return ReaderKey::SkipRead;
    case SDLK_a: return ReaderKey::Auto;
    default: break;
  }
  // The row of number keys and the keypad's.
  for (int n = 0; n < 7; ++n)
    if (sdl_key == SDLK_1 + n || sdl_key == SDLK_KP_1 + n)
      return static_cast<ReaderKey>(static_cast<int>(ReaderKey::Row1) + n);
  return std::nullopt;
}

bool ReaderKeyRepeats(ReaderKey key) {
  return key == ReaderKey::Up || key == ReaderKey::Down || key == ReaderKey::PageUp ||
         key == ReaderKey::PageDown;
}

std::optional<WheelTurn> WheelTurnFromSdl(int32_t y, uint32_t direction) {
  if (y == 0) return std::nullopt;
  // A "natural" scrolling setting turns the reported direction round.
  const bool away = (y > 0) != (direction == SDL_MOUSEWHEEL_FLIPPED);
  return away ? WheelTurn::Up : WheelTurn::Down;
}

std::optional<WindowCommand> WindowCommandFromSdl(int32_t sdl_key, uint16_t sdl_mod) {
  const bool alt_only = (sdl_mod & KMOD_ALT) != 0 && (sdl_mod & (KMOD_CTRL | KMOD_SHIFT)) == 0;
  switch (sdl_key) {
    case SDLK_F11: return WindowCommand::ToggleFullScreen;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
      if (alt_only) return WindowCommand::ToggleFullScreen;
      return std::nullopt;
    case SDLK_F12: return WindowCommand::Screenshot;
    case SDLK_F1: return WindowCommand::ReaderSettings;
    case SDLK_F9: return WindowCommand::ToggleDebugger;
    case SDLK_F5: return WindowCommand::Reload;
    default: return std::nullopt;
  }
}

}  // namespace velmor::platform::sdl
