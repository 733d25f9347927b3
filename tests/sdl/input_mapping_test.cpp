// SDL's modifier states and keys as the game's handlers take them, and the
// time of day.
#include "platform/sdl/input_mapping.h"

#include <ctime>

#include <SDL.h>
#include <gtest/gtest.h>

#include "platform/sdl/sdl_platform.h"

namespace velmor::platform::sdl {
namespace {

TEST(ModifierMapping, GivesTheGamesCode) {
  struct Case {
    uint16_t sdl_mod;
    int32_t sft;  // the game's code for the modifiers
  };
  for (Case c : {Case{KMOD_NONE, 0}, Case{KMOD_LSHIFT, 1}, Case{KMOD_RSHIFT, 1}, Case{KMOD_LCTRL, 2},
                 Case{KMOD_RCTRL, 2}, Case{KMOD_CTRL, 2}, Case{KMOD_LSHIFT | KMOD_RCTRL, 3},
                 Case{KMOD_LALT, 4}, Case{KMOD_RALT, 4}, Case{KMOD_LSHIFT | KMOD_LALT, 0},
                 Case{KMOD_LALT | KMOD_LCTRL, 0}, Case{KMOD_RSHIFT | KMOD_LALT | KMOD_LCTRL, 7},
                 // The lock keys, the system key and AltGr are no modifiers of the game's.
                 Case{KMOD_LCTRL | KMOD_CAPS | KMOD_NUM, 2}, Case{KMOD_LGUI, 0},
                 Case{KMOD_LCTRL | KMOD_RGUI, 2}, Case{KMOD_MODE, 0}}) {
    EXPECT_EQ(ModifierCode(ModifiersFromSdl(c.sdl_mod)), c.sft) << "SDL modifiers 0x" << std::hex << c.sdl_mod;
  }
}

TEST(ReaderKeys, KeysThatStandInForTheMouse) {
  struct Case {
    SDL_Keycode key;
    std::optional<ReaderKey> reader;
  };
  for (Case c : {Case{SDLK_RETURN, ReaderKey::Enter}, Case{SDLK_KP_ENTER, ReaderKey::Enter},
                 Case{SDLK_SPACE, ReaderKey::Space}, Case{SDLK_ESCAPE, ReaderKey::Escape},
                 Case{SDLK_UP, ReaderKey::Up}, Case{SDLK_DOWN, ReaderKey::Down},
                 Case{SDLK_1, ReaderKey::Row1}, Case{SDLK_4, ReaderKey::Row4},
                 Case{SDLK_7, ReaderKey::Row7}, Case{SDLK_KP_1, ReaderKey::Row1},
                 Case{SDLK_KP_7, ReaderKey::Row7}, Case{SDLK_0, std::nullopt},
                 Case{SDLK_8, std::nullopt}, Case{SDLK_KP_8, std::nullopt},
                 Case{SDLK_KP_0, std::nullopt}, Case{SDLK_LEFT, std::nullopt},
                 Case{SDLK_LCTRL, std::nullopt}, Case{SDLK_b, std::nullopt},
                 Case{SDLK_TAB, ReaderKey::SkipRead}, Case{SDLK_a, ReaderKey::Auto},
                 Case{SDLK_PAGEUP, ReaderKey::PageUp}, Case{SDLK_PAGEDOWN, ReaderKey::PageDown},
                 Case{SDLK_HOME, std::nullopt}}) {
    EXPECT_EQ(ReaderKeyFromSdl(c.key), c.reader) << SDL_GetKeyName(c.key);
  }
  // Holding an arrow or a page key moves on; holding Enter is one click.
  for (ReaderKey k : {ReaderKey::Down, ReaderKey::Up, ReaderKey::PageUp, ReaderKey::PageDown})
    EXPECT_TRUE(ReaderKeyRepeats(k));
  EXPECT_FALSE(ReaderKeyRepeats(ReaderKey::Enter));
  EXPECT_FALSE(ReaderKeyRepeats(ReaderKey::Row1));
}

TEST(ControlKeys, ThePanelsAndBoxesKeys) {
  using menus::ControlKey;
  struct Case {
    SDL_Keycode key;
    uint16_t mod;
    std::optional<ControlKey> control;
  };
  for (Case c : {Case{SDLK_TAB, KMOD_NONE, ControlKey::Tab},
                 Case{SDLK_TAB, KMOD_LSHIFT, ControlKey::ShiftTab},
                 Case{SDLK_TAB, KMOD_RSHIFT | KMOD_NUM, ControlKey::ShiftTab},
                 Case{SDLK_TAB, KMOD_LCTRL, ControlKey::Tab},
                 Case{SDLK_RETURN, KMOD_NONE, ControlKey::Enter},
                 Case{SDLK_KP_ENTER, KMOD_NONE, ControlKey::Enter},
                 Case{SDLK_SPACE, KMOD_LSHIFT, ControlKey::Space},
                 Case{SDLK_UP, KMOD_NONE, ControlKey::Up}, Case{SDLK_DOWN, KMOD_NONE, ControlKey::Down},
                 Case{SDLK_LEFT, KMOD_NONE, ControlKey::Left},
                 Case{SDLK_RIGHT, KMOD_NONE, ControlKey::Right},
                 Case{SDLK_ESCAPE, KMOD_NONE, ControlKey::Escape},
                 Case{SDLK_PAGEDOWN, KMOD_NONE, std::nullopt}, Case{SDLK_a, KMOD_NONE, std::nullopt},
                 Case{SDLK_KP_8, KMOD_NONE, std::nullopt}}) {
    EXPECT_EQ(ControlKeyFromSdl(c.key, c.mod), c.control) << SDL_GetKeyName(c.key) << " " << c.mod;
  }
}

TEST(ReaderKeys, WheelTurnsFollowTheScrollingSetting) {
  EXPECT_EQ(WheelTurnFromSdl(-1, SDL_MOUSEWHEEL_NORMAL), WheelTurn::Down);
  EXPECT_EQ(WheelTurnFromSdl(-3, SDL_MOUSEWHEEL_NORMAL), WheelTurn::Down);
  EXPECT_EQ(WheelTurnFromSdl(2, SDL_MOUSEWHEEL_NORMAL), WheelTurn::Up);
  EXPECT_EQ(WheelTurnFromSdl(1, SDL_MOUSEWHEEL_FLIPPED), WheelTurn::Down);
  EXPECT_EQ(WheelTurnFromSdl(-1, SDL_MOUSEWHEEL_FLIPPED), WheelTurn::Up);
  EXPECT_EQ(WheelTurnFromSdl(0, SDL_MOUSEWHEEL_NORMAL), std::nullopt);  // sideways
}

TEST(ReaderKeys, WindowCommands) {
  struct Case {
    SDL_Keycode key;
    uint16_t mod;
    std::optional<WindowCommand> command;
  };
  for (Case c : {Case{SDLK_F11, KMOD_NONE, WindowCommand::ToggleFullScreen},
                 Case{SDLK_RETURN, KMOD_LALT, WindowCommand::ToggleFullScreen},
                 Case{SDLK_KP_ENTER, KMOD_RALT, WindowCommand::ToggleFullScreen},
                 Case{SDLK_RETURN, KMOD_LALT | KMOD_NUM, WindowCommand::ToggleFullScreen},
                 Case{SDLK_RETURN, KMOD_NONE, std::nullopt},
                 Case{SDLK_RETURN, KMOD_LCTRL, std::nullopt},
                 Case{SDLK_RETURN, KMOD_LALT | KMOD_LCTRL, std::nullopt},
                 Case{SDLK_F12, KMOD_NONE, WindowCommand::Screenshot},
                 Case{SDLK_F1, KMOD_NONE, WindowCommand::ReaderSettings},
                 Case{SDLK_F9, KMOD_NONE, WindowCommand::ToggleDebugger},
                 Case{SDLK_F5, KMOD_NONE, WindowCommand::Reload},
                 Case{SDLK_F10, KMOD_NONE, std::nullopt}}) {
    EXPECT_EQ(WindowCommandFromSdl(c.key, c.mod), c.command) << SDL_GetKeyName(c.key) << c.mod;
  }
}

TEST(SdlClock, GivesTheUniversalTimeOfDay) {
  SdlClock clock;
  const std::time_t before = std::time(nullptr) % 86400;
  const uint32_t ms = clock.UtcTimeOfDayMs();
  const std::time_t after = std::time(nullptr) % 86400;
  EXPECT_LT(ms, 86400u * 1000u);
  if (after >= before) {  // not across midnight
    EXPECT_GE(static_cast<std::time_t>(ms / 1000), before);
    EXPECT_LE(static_cast<std::time_t>(ms / 1000), after);
  }
}

}  // namespace
}  // namespace velmor::platform::sdl
