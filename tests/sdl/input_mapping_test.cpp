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
  const std::pair<int, int32_t> cases[] = {
      {KMOD_RSHIFT, 1}, {KMOD_RCTRL, 2}, {KMOD_LSHIFT | KMOD_RCTRL, 3}, {KMOD_RALT, 4},
      {KMOD_RSHIFT | KMOD_LALT | KMOD_LCTRL, 7}, {KMOD_LCTRL | KMOD_CAPS | KMOD_NUM, 2},
      {KMOD_LGUI, 0}, {KMOD_MODE, 0}};
  for (auto [sdl_mod, code] : cases)
    EXPECT_EQ(ModifierCode(ModifiersFromSdl(static_cast<uint16_t>(sdl_mod))), code) << sdl_mod;
}

TEST(InputMapping, KeysThatStandInForTheMouseAndWhichOfThemRepeat) {
  using R = ReaderKey;
  struct Case {
    SDL_Keycode key;
    std::optional<ReaderKey> reader;
    bool repeats;
  };
  const Case cases[] = {
      {SDLK_KP_ENTER, R::Enter, false}, {SDLK_ESCAPE, R::Escape, false}, {SDLK_UP, R::Up, true},
      {SDLK_PAGEUP, R::PageUp, true}, {SDLK_PAGEDOWN, R::PageDown, true}, {SDLK_1, R::Row1, false},
      {SDLK_7, R::Row7, false}, {SDLK_KP_4, R::Row4, false}, {SDLK_TAB, R::SkipRead, false},
      {SDLK_a, R::Auto, false}, {SDLK_0, {}, false}, {SDLK_8, {}, false}, {SDLK_KP_8, {}, false},
      {SDLK_KP_0, {}, false}, {SDLK_LEFT, {}, false}, {SDLK_b, {}, false}};
  for (const Case& c : cases) {
    EXPECT_EQ(ReaderKeyFromSdl(c.key), c.reader) << SDL_GetKeyName(c.key);
    EXPECT_EQ(c.reader && ReaderKeyRepeats(*c.reader), c.repeats) << SDL_GetKeyName(c.key);
  }
}

TEST(InputMapping, ThePanelsKeysAndTheWindowsCommands) {
  using C = menus::ControlKey;
  using W = WindowCommand;
  struct Case {
    SDL_Keycode key;
    uint16_t mod;
    std::optional<C> control;
    std::optional<W> command;
  };
  const Case cases[] = {
      {SDLK_TAB, KMOD_LCTRL, C::Tab, {}}, {SDLK_TAB, KMOD_RSHIFT | KMOD_NUM, C::ShiftTab, {}},
      {SDLK_KP_ENTER, KMOD_NONE, C::Enter, {}}, {SDLK_SPACE, KMOD_LSHIFT, C::Space, {}},
      {SDLK_LEFT, KMOD_NONE, C::Left, {}}, {SDLK_RIGHT, KMOD_NONE, C::Right, {}},
      {SDLK_PAGEDOWN, KMOD_NONE, {}, {}}, {SDLK_KP_8, KMOD_NONE, {}, {}},
      {SDLK_KP_ENTER, KMOD_RALT, C::Enter, W::ToggleFullScreen},
      {SDLK_RETURN, KMOD_LALT | KMOD_NUM, C::Enter, W::ToggleFullScreen},
      {SDLK_RETURN, KMOD_LCTRL, C::Enter, {}}, {SDLK_RETURN, KMOD_LALT | KMOD_LCTRL, C::Enter, {}},
      {SDLK_F9, KMOD_NONE, {}, W::ToggleDebugger}, {SDLK_F5, KMOD_NONE, {}, W::Reload},
      {SDLK_F10, KMOD_NONE, {}, {}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(SDL_GetKeyName(c.key)) + " " + std::to_string(c.mod));
    EXPECT_EQ(ControlKeyFromSdl(c.key, c.mod), c.control);
    EXPECT_EQ(WindowCommandFromSdl(c.key, c.mod), c.command);
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
  const std::time_t s = ms / 1000;
  EXPECT_TRUE(after < before /* across midnight */ || (before <= s && s <= after)) << ms;
}

}  // namespace
}  // namespace velmor::platform::sdl
