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

}  // namespace velmor::platform::sdl
