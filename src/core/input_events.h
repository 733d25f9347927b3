// What a player does, as every front end tells it: the real window's
// keyboard and mouse, a browser's, and the headless input script all
// become these events, and one session decides where each goes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "core/geometry.h"
#include "core/input_state.h"

namespace velmor {

// The keys the game, its panels, its boxes and its windows act on; every
// other key is Other (it still counts as a key press for the game).
enum class Key : uint8_t {
  Other,
  Enter, KeypadEnter, Space, Escape, Tab, Backspace, Delete, Insert,
  Up, Down, Left, Right, PageUp, PageDown, Home, End,
  Digit0, Digit1, Digit2, Digit3, Digit4, Digit5, Digit6, Digit7, Digit8, Digit9,
  A, C, V, X, Y, Z,
  F1, F2, F3, F4, F5, F6, F7, F8, F9, F10, F11, F12,
  Shift, Ctrl, Alt,
  Count
};

struct KeyEvent {
  Key key = Key::Other;
  Modifiers held;        // the modifier keys held, this one included when it goes down
  bool down = true;      // false: released
  bool repeat = false;   // the key is held and the system repeats it
};

// Other: any further button (a side button), which clears the click.
enum class MouseButton : uint8_t { Left, Right, Middle, Other };

struct ButtonEvent {
  MouseButton button = MouseButton::Left;
  bool down = true;
  Point at;  // window pixels
};

// A turn of the wheel as the device reports it: `y` notches, positive away
// from the player unless the system's "natural" scrolling turned it round
// (`flipped`).
struct WheelEvent {
  int y = 0;
  bool flipped = false;
  Point at;  // window pixels
  // The turn the player made; nothing for a sideways turn.
  std::optional<WheelTurn> turn() const {
    if (y == 0) return std::nullopt;
    return (y > 0) != flipped ? WheelTurn::Up : WheelTurn::Down;
  }
};

// What happens to the window itself.
enum class WindowEvent : uint8_t {
  CloseRequested,  // the window manager's close button, or the system asks to end
  Resized,         // the client area took a new size (already taken by the window)
  Exposed,         // it must be drawn again
  FocusGained,
  FocusLost,
};

// The pointer moved (window pixels).
struct PointerMotion {
  Point at;
};

// Typed text, or text an input method committed (UTF-8).
struct TypedText {
  std::string utf8;
};

// An input method's composition changed (empty: it has none); the caret
// stands `cursor` characters into it.
struct Composition {
  std::string utf8;
  int cursor = 0;
};

// Any of them, as a front end hands them over one by one.
using InputEvent =
    std::variant<KeyEvent, ButtonEvent, WheelEvent, PointerMotion, TypedText, Composition, WindowEvent>;

}  // namespace velmor
