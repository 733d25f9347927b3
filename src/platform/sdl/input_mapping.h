// SDL's events as the session's neutral input events: the only place the
// real window's keyboard, mouse, text input and window events are read.
#pragma once

#include <cstdint>
#include <optional>

#include "core/input_events.h"

union SDL_Event;

namespace velmor::platform::sdl {

// The modifier keys held in an SDL key-modifier state (SDL_Keymod bits):
// either Shift, either Ctrl, either Alt. The lock keys and the system keys
// do not count.
Modifiers ModifiersFromSdl(uint16_t sdl_mod);

// The game's button for an SDL mouse button (SDL_BUTTON_*); the extra (side)
// buttons are Other.
MouseButton MouseButtonFromSdl(uint8_t sdl_button);

// The neutral key of an SDL key code (SDL_Keycode): the keypad's digits and
// Enter are the main ones' (Enter stays the keypad's own); every key the
// session has no name for is Other.
Key KeyFromSdl(int32_t sdl_key);

// The session's event for an SDL event; nothing for an event it does not
// take (the window's size, exposure and renderer resets are the front end's
// own). `pointer`: where the pointer is (a wheel turns under it).
std::optional<InputEvent> InputEventFromSdl(const SDL_Event& e, Point pointer);

}  // namespace velmor::platform::sdl
