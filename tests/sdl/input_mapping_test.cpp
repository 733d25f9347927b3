// SDL's keys, modifier states and wheel as the game's handlers take them
// (the rows the front end's own tests do not reach), and the time of day.
#include "platform/sdl/input_mapping.h"

#include <ctime>

#include <SDL.h>
#include <gtest/gtest.h>

#include "platform/sdl/sdl_platform.h"

namespace velmor::platform::sdl {
namespace {

TEST(InputMapping, ModifiersGiveTheGamesCode) {
  // The lock keys, the system key and AltGr are no modifiers of the game's.
  for (auto [sdl_mod, code] : {std::pair<int, int32_t>{KMOD_RSHIFT, 1}, {KMOD_RCTRL, 2},
                               {KMOD_LSHIFT | KMOD_RCTRL, 3}, {KMOD_RALT, 4},
                               {KMOD_RSHIFT | KMOD_LALT | KMOD_LCTRL, 7},
                               {KMOD_LCTRL | KMOD_CAPS | KMOD_NUM, 2}, {KMOD_LGUI, 0}, {KMOD_MODE, 0}})
    EXPECT_EQ(ModifierCode(ModifiersFromSdl(static_cast<uint16_t>(sdl_mod))), code) << std::hex << sdl_mod;
}

TEST(InputMapping, KeysThatStandInForTheMouseAndWhichOfThemRepeat) {
  struct Case {
    SDL_Keycode key;
    std::optional<ReaderKey> reader;
    bool repeats;
  };
  for (Case c : {Case{SDLK_KP_ENTER, ReaderKey::Enter, false}, Case{SDLK_ESCAPE, ReaderKey::Escape, false},
                 Case{SDLK_UP, ReaderKey::Up, true}, Case{SDLK_PAGEUP, ReaderKey::PageUp, true},
                 Case{SDLK_PAGEDOWN, ReaderKey::PageDown, true}, Case{SDLK_1, ReaderKey::Row1, false},
                 Case{SDLK_7, ReaderKey::Row7, false}, Case{SDLK_KP_4, ReaderKey::Row4, false},
                 Case{SDLK_TAB, ReaderKey::SkipRead, false}, Case{SDLK_a, ReaderKey::Auto, false},
                 Case{SDLK_0, std::nullopt, false}, Case{SDLK_8, std::nullopt, false}, Case{SDLK_KP_8, std::nullopt, false},
                 Case{SDLK_KP_0, std::nullopt, false}, Case{SDLK_LEFT, std::nullopt, false}, Case{SDLK_b, std::nullopt, false}}) {
    EXPECT_EQ(ReaderKeyFromSdl(c.key), c.reader) << SDL_GetKeyName(c.key);
    EXPECT_EQ(c.reader && ReaderKeyRepeats(*c.reader), c.repeats) << SDL_GetKeyName(c.key);
  }
}

TEST(InputMapping, ThePanelsKeysAndTheWindowsCommands) {
  using menus::ControlKey;
  using W = WindowCommand;
  struct Case {
    SDL_Keycode key;
    uint16_t mod;
    std::optional<ControlKey> control;
    std::optional<WindowCommand> command;
  };
  for (Case c : {Case{SDLK_TAB, KMOD_LCTRL, ControlKey::Tab, {}},
                 Case{SDLK_TAB, KMOD_RSHIFT | KMOD_NUM, ControlKey::ShiftTab, {}},
                 Case{SDLK_KP_ENTER, KMOD_NONE, ControlKey::Enter, {}},
                 Case{SDLK_SPACE, KMOD_LSHIFT, ControlKey::Space, {}},
                 Case{SDLK_LEFT, KMOD_NONE, ControlKey::Left, {}},
                 Case{SDLK_RIGHT, KMOD_NONE, ControlKey::Right, {}},
                 Case{SDLK_PAGEDOWN, KMOD_NONE, {}, {}}, Case{SDLK_KP_8, KMOD_NONE, {}, {}},
                 Case{SDLK_KP_ENTER, KMOD_RALT, ControlKey::Enter, W::ToggleFullScreen},
                 Case{SDLK_RETURN, KMOD_LALT | KMOD_NUM, ControlKey::Enter, W::ToggleFullScreen},
                 Case{SDLK_RETURN, KMOD_LCTRL, ControlKey::Enter, {}},
                 Case{SDLK_RETURN, KMOD_LALT | KMOD_LCTRL, ControlKey::Enter, {}},
                 Case{SDLK_F9, KMOD_NONE, {}, W::ToggleDebugger}, Case{SDLK_F5, KMOD_NONE, {}, W::Reload},
                 Case{SDLK_F10, KMOD_NONE, {}, {}}}) {
    EXPECT_EQ(ControlKeyFromSdl(c.key, c.mod), c.control) << SDL_GetKeyName(c.key) << " " << c.mod;
    EXPECT_EQ(WindowCommandFromSdl(c.key, c.mod), c.command) << SDL_GetKeyName(c.key) << " " << c.mod;
  }
  // A "natural" scrolling setting turns the wheel round; sideways is no turn.
  EXPECT_EQ(WheelTurnFromSdl(-3, SDL_MOUSEWHEEL_NORMAL), WheelTurn::Down);
  EXPECT_EQ(WheelTurnFromSdl(1, SDL_MOUSEWHEEL_FLIPPED), WheelTurn::Down);
  EXPECT_EQ(WheelTurnFromSdl(-1, SDL_MOUSEWHEEL_FLIPPED), WheelTurn::Up);
  EXPECT_EQ(WheelTurnFromSdl(0, SDL_MOUSEWHEEL_NORMAL), std::nullopt);
}

TEST(SdlClock, GivesTheUniversalTimeOfDay) {
  const std::time_t before = std::time(nullptr) % 86400;
  const uint32_t ms = SdlClock().UtcTimeOfDayMs();
  const std::time_t after = std::time(nullptr) % 86400;
  EXPECT_LT(ms, 86400u * 1000u);
  if (after >= before) {  // not across midnight
    EXPECT_GE(static_cast<std::time_t>(ms / 1000), before);
    EXPECT_LE(static_cast<std::time_t>(ms / 1000), after);
  }
}

}  // namespace
}  // namespace velmor::platform::sdl
