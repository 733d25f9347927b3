// SDL's modifier states and mouse buttons as the game's handlers take them,
// and the time of day.
#include "platform/sdl/input_mapping.h"

#include <ctime>

#include <SDL.h>
#include <gtest/gtest.h>

#include "platform/sdl/sdl_platform.h"

namespace velmor::platform::sdl {
namespace {

struct ModCase {
  const char* name;
  uint16_t sdl_mod;
  int32_t sft;  // the game's code for the modifiers
};

class ModifierMapping : public ::testing::TestWithParam<ModCase> {};

TEST_P(ModifierMapping, GivesTheGamesCode) {
  const ModCase& c = GetParam();
  EXPECT_EQ(ModifierCode(ModifiersFromSdl(c.sdl_mod)), c.sft) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    SdlStates, ModifierMapping,
    ::testing::Values(
        ModCase{"none", KMOD_NONE, 0}, ModCase{"left shift", KMOD_LSHIFT, 1},
        ModCase{"right shift", KMOD_RSHIFT, 1}, ModCase{"left ctrl", KMOD_LCTRL, 2},
        ModCase{"right ctrl", KMOD_RCTRL, 2}, ModCase{"both ctrls", KMOD_CTRL, 2},
        ModCase{"shift+ctrl", KMOD_LSHIFT | KMOD_RCTRL, 3}, ModCase{"left alt", KMOD_LALT, 4},
        ModCase{"right alt", KMOD_RALT, 4}, ModCase{"shift+alt", KMOD_LSHIFT | KMOD_LALT, 0},
        ModCase{"alt+ctrl", KMOD_LALT | KMOD_LCTRL, 0},
        ModCase{"shift+alt+ctrl", KMOD_RSHIFT | KMOD_LALT | KMOD_LCTRL, 7},
        // The lock keys and the system key are no modifiers of the game's.
        ModCase{"ctrl with caps and num lock", KMOD_LCTRL | KMOD_CAPS | KMOD_NUM, 2},
        ModCase{"system key alone", KMOD_LGUI, 0},
        ModCase{"ctrl with the system key", KMOD_LCTRL | KMOD_RGUI, 2},
        ModCase{"alt gr (mode) alone", KMOD_MODE, 0}),
    [](const ::testing::TestParamInfo<ModCase>& info) {
      std::string n = info.param.name;
      for (char& ch : n)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
      return n;
    });

TEST(PointerButtons, TheThreeButtonsMapAndTheExtraOnesAreOther) {
  EXPECT_EQ(PointerButtonFromSdl(SDL_BUTTON_LEFT), PointerButton::Left);
  EXPECT_EQ(PointerButtonFromSdl(SDL_BUTTON_RIGHT), PointerButton::Right);
  EXPECT_EQ(PointerButtonFromSdl(SDL_BUTTON_MIDDLE), PointerButton::Middle);
  EXPECT_EQ(PointerButtonFromSdl(SDL_BUTTON_X1), PointerButton::Other);
  EXPECT_EQ(PointerButtonFromSdl(SDL_BUTTON_X2), PointerButton::Other);
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
  EXPECT_TRUE(ReaderKeyRepeats(ReaderKey::Down));
  EXPECT_TRUE(ReaderKeyRepeats(ReaderKey::Up));
  EXPECT_TRUE(ReaderKeyRepeats(ReaderKey::PageUp));
  EXPECT_TRUE(ReaderKeyRepeats(ReaderKey::PageDown));
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
