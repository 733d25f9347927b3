// SDL's keyboard and mouse codes as the game's input handlers take them.
#pragma once

#include <cstdint>
#include <optional>

#include "core/input_state.h"

namespace velmor::platform::sdl {

// The modifier keys held in an SDL key-modifier state (SDL_Keymod bits):
// either Shift, either Ctrl, either Alt. The lock keys and the system keys
// do not count.
Modifiers ModifiersFromSdl(uint16_t sdl_mod);

// Other: the extra (side) buttons, which the game takes as "no button".
enum class PointerButton { Left, Right, Middle, Other };

// The game's button for an SDL mouse button (SDL_BUTTON_*).
PointerButton PointerButtonFromSdl(uint8_t sdl_button);

}  // namespace velmor::platform::sdl
