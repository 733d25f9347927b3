// The pointer and key state that the input handlers record and the tick and
// the wait handlers read, with the switches that control the drawn pointer
// and the right-click picture hold.
#pragma once

#include <cstdint>

namespace velmor {

struct InputState {
  int32_t msx = 0;  // pointer in the logical screen, 0..639
  int32_t msy = 0;  // 0..479
  int32_t clk = 0;  // button of the last press not yet consumed: 1 left, 2 right, 0 none
  int32_t drg = 0;  // button held since the last press: 1 left, 2 right, 0 none
  int32_t sft = 0;  // modifier code of the last key press, 0 after any release

  int32_t spf = 1;           // 1: the drawn pointer is composited each tick
  int32_t CGHoldEnable = 1;  // 1: a right click may start the picture hold
  int32_t HoldMode = 0;      // 1 while the hold overlay is up

  void ClearButtonsAndKeys() { clk = drg = sft = 0; }
};

// The modifier keys held at a key press, as the code the game reads from sft.
struct Modifiers {
  bool shift = false;
  bool ctrl = false;
  bool alt = false;
};

// Shift 1, Ctrl 2, Shift+Ctrl 3, Alt 4, Shift+Alt+Ctrl 7, anything else 0.
constexpr int32_t ModifierCode(Modifiers m) {
  int bits = (m.shift ? 1 : 0) | (m.ctrl ? 2 : 0) | (m.alt ? 4 : 0);
  switch (bits) {
    case 1: return 1;
    case 2: return 2;
    case 3: return 3;
    case 4: return 4;
    case 7: return 7;
    default: return 0;  // none, Shift+Alt, Alt+Ctrl
  }
}

// Keys for reading: Enter and Space for a left click, Escape for a right
// click, Up and Down to move a choice's highlight, the number keys to pick a
// choice's row; Tab and A turn skipping read text and auto mode on and off;
// Page Up opens the backlog. In the backlog, Up and Page Up go back an
// entry, Down and Page Down on, Escape closes it.
enum class ReaderKey {
  Enter, Space, Escape, Up, Down, Row1, Row2, Row3, Row4, Row5, Row6, Row7, SkipRead, Auto,
  PageUp, PageDown,
  // Going back through the pages read and forward again; saves of our own.
  Back, Forward, QuickSave, QuickLoad, SaveScreen, LoadScreen
};

// A turn of the mouse wheel by one notch.
enum class WheelTurn { Up, Down };

// Ctrl alone: the fast-forward key.
constexpr int32_t kSkipKey = 2;
// Shift, Ctrl and Alt together: the fastest animation.
constexpr int32_t kAllModifiers = 7;

}  // namespace velmor
