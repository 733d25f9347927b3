// SDL's keyboard and mouse codes as the game's input handlers take them.
#pragma once

#include <cstdint>
#include <optional>

#include "core/input_state.h"
#include "menus/control_keys.h"

namespace velmor::platform::sdl {

// The modifier keys held in an SDL key-modifier state (SDL_Keymod bits):
// either Shift, either Ctrl, either Alt. The lock keys and the system keys
// do not count.
Modifiers ModifiersFromSdl(uint16_t sdl_mod);

// Other: the extra (side) buttons, which the game takes as "no button".
enum class PointerButton { Left, Right, Middle, Other };

// The game's button for an SDL mouse button (SDL_BUTTON_*).
PointerButton PointerButtonFromSdl(uint8_t sdl_button);

// The key standing in for the mouse that an SDL key code (SDL_Keycode) is,
// if any: Enter (either), Space, Escape, Up, Down, Page Up, Page Down, 1 to
// 7 (either row), Tab (skip read text) and A (auto).
std::optional<ReaderKey> ReaderKeyFromSdl(int32_t sdl_key);
// Whether a key held down repeats its action (moving a highlight or through
// the backlog does; a click does not).
bool ReaderKeyRepeats(ReaderKey key);

// The key the panels and the message boxes act on that an SDL key code is,
// if any: Tab (Shift+Tab with either Shift held), Enter (either), Space,
// the four arrows and Escape.
std::optional<menus::ControlKey> ControlKeyFromSdl(int32_t sdl_key, uint16_t sdl_mod);

// The turn of a wheel event (its y and SDL_MouseWheelDirection); nothing for
// a sideways turn.
std::optional<WheelTurn> WheelTurnFromSdl(int32_t y, uint32_t direction);

// What the window itself does for a key, whatever has the keyboard.
enum class WindowCommand { ToggleFullScreen, Screenshot, ReaderSettings, ToggleDebugger, Reload };
// Alt+Enter and F11 switch between full screen and a window; F12 takes a
// screenshot; F1 opens or closes the reader's own settings; F9 shows or hides
// the debugger and F5 reloads the scenario (both only where the debugger may
// be used).
std::optional<WindowCommand> WindowCommandFromSdl(int32_t sdl_key, uint16_t sdl_mod);

}  // namespace velmor::platform::sdl
