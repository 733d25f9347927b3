// SDL's events as the session's neutral events: every kind of event the
// loop hands over, SDL's keys with their modifiers and what they then mean
// to the window, the panels and the game, and the mouse buttons.
#include "platform/sdl/input_mapping.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <ctime>
#include <map>
#include <string>
#include <vector>

#include "platform/sdl/sdl_platform.h"
#include "session/keys.h"

namespace velmor::platform::sdl {
namespace {

std::string Name(Key k) {
  static const std::map<Key, const char*> names{
      {Key::Other, "Other"},       {Key::Enter, "Enter"},   {Key::KeypadEnter, "KeypadEnter"},
      {Key::Digit0, "Digit0"},     {Key::Digit2, "Digit2"}, {Key::Ctrl, "Ctrl"},
      {Key::Escape, "Escape"},
  };
  const auto found = names.find(k);
  return found != names.end() ? found->second : "key " + std::to_string(static_cast<int>(k));
}

std::string At(Point p) { return "(" + std::to_string(p.x) + "," + std::to_string(p.y) + ")"; }

// An event on one line: what it is and every field it has.
std::string Describe(const std::optional<InputEvent>& event) {
  if (!event) return "none";
  return std::visit(
      [](const auto& e) -> std::string {
        using E = std::decay_t<decltype(e)>;
        if constexpr (std::is_same_v<E, KeyEvent>)
          return "key " + Name(e.key) + " mods " + std::to_string(ModifierCode(e.held)) +
                 (e.down ? " down" : " up") + (e.repeat ? " repeat" : "");
        else if constexpr (std::is_same_v<E, ButtonEvent>)
          return "button " + std::to_string(static_cast<int>(e.button)) +
                 (e.down ? " down " : " up ") + At(e.at);
        else if constexpr (std::is_same_v<E, WheelEvent>)
          return "wheel " + std::to_string(e.y) + (e.flipped ? " flipped " : " ") + At(e.at);
        else if constexpr (std::is_same_v<E, PointerMotion>)
          return "pointer " + At(e.at);
        else if constexpr (std::is_same_v<E, TypedText>)
          return "text " + e.utf8;
        else if constexpr (std::is_same_v<E, Composition>)
          return "compose " + e.utf8 + " " + std::to_string(e.cursor);
        else
          return "window " + std::to_string(static_cast<int>(e));
      },
      *event);
}

SDL_Event Event(uint32_t type) {
  SDL_Event e{};
  e.type = type;
  return e;
}

SDL_Event KeyOf(uint32_t type, SDL_Keycode key, uint16_t mod, bool repeat) {
  SDL_Event e = Event(type);
  e.key.keysym = {SDL_GetScancodeFromKey(key), key, mod, 0};
  e.key.repeat = repeat ? 1 : 0;
  return e;
}

SDL_Event ButtonOf(uint32_t type, uint8_t button, Point at) {
  SDL_Event e = Event(type);
  e.button.button = button;
  e.button.x = at.x;
  e.button.y = at.y;
  return e;
}

SDL_Event WheelOf(int32_t y, uint32_t direction) {
  SDL_Event e = Event(SDL_MOUSEWHEEL);
  e.wheel.y = y;
  e.wheel.x = 3;  // sideways: not the game's
  e.wheel.direction = direction;
  return e;
}

SDL_Event WindowOf(uint8_t what) {
  SDL_Event e = Event(SDL_WINDOWEVENT);
  e.window.event = what;
  return e;
}

TEST(InputMapping, EveryEventTheLoopHandsOverAndNoneOfTheOthers) {
  SDL_Event motion = Event(SDL_MOUSEMOTION), text = Event(SDL_TEXTINPUT),
            edit = Event(SDL_TEXTEDITING), ext = Event(SDL_TEXTEDITING_EXT),
            ext_empty = Event(SDL_TEXTEDITING_EXT);
  motion.motion.x = 7, motion.motion.y = 8;
  SDL_strlcpy(text.text.text, "山", sizeof text.text.text);
  SDL_strlcpy(edit.edit.text, "やま", sizeof edit.edit.text), edit.edit.start = 1;
  // Longer than the plain event holds: a copy the loop frees (not this test).
  std::string long_text = "わたなべたろうざえもん";
  ext.editExt.text = long_text.data(), ext.editExt.start = 11;
  const std::pair<SDL_Event, std::string> rows[] = {
      {Event(SDL_QUIT), "window 0"},
      {ButtonOf(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, {3, 4}), "button 0 down (3,4)"},
      {ButtonOf(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, {5, 6}), "button 1 up (5,6)"},
      {ButtonOf(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, {0, 0}), "button 2 down (0,0)"},
      {ButtonOf(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_X1, {1, 1}), "button 3 down (1,1)"},
      {ButtonOf(SDL_MOUSEBUTTONUP, SDL_BUTTON_X2, {1, 1}), "button 3 up (1,1)"},
      {motion, "pointer (7,8)"},
      // The wheel turns under the pointer; a "natural" setting is kept for the session.
      {WheelOf(-2, SDL_MOUSEWHEEL_NORMAL), "wheel -2 (9,10)"},
      {WheelOf(1, SDL_MOUSEWHEEL_FLIPPED), "wheel 1 flipped (9,10)"},
      {KeyOf(SDL_KEYDOWN, SDLK_KP_2, KMOD_LCTRL | KMOD_NUM, true), "key Digit2 mods 2 down repeat"},
      {KeyOf(SDL_KEYUP, SDLK_KP_ENTER, KMOD_NONE, false), "key KeypadEnter mods 0 up"},
      {KeyOf(SDL_KEYDOWN, SDLK_RCTRL, KMOD_RCTRL, false), "key Ctrl mods 2 down"},
      {KeyOf(SDL_KEYDOWN, SDLK_KP_PERIOD, KMOD_NONE, false), "key Other mods 0 down"},
      {text, "text 山"},
      {edit, "compose やま 1"},
      {ext, "compose わたなべたろうざえもん 11"},
      {ext_empty, "compose  0"},
      {WindowOf(SDL_WINDOWEVENT_FOCUS_GAINED), "window 3"},
      {WindowOf(SDL_WINDOWEVENT_FOCUS_LOST), "window 4"},
      // The loop's own: sizes, exposure, renderer resets; and what nobody takes.
      {WindowOf(SDL_WINDOWEVENT_SIZE_CHANGED), "none"},
      {WindowOf(SDL_WINDOWEVENT_EXPOSED), "none"},
      {Event(SDL_RENDER_TARGETS_RESET), "none"},
      {Event(SDL_KEYMAPCHANGED), "none"},
      {Event(SDL_CLIPBOARDUPDATE), "none"},
  };
  for (const auto& [event, want] : rows)
    EXPECT_EQ(Describe(InputEventFromSdl(event, {9, 10})), want) << "SDL event " << event.type;
  static_assert(static_cast<int>(WindowEvent::CloseRequested) == 0 &&
                static_cast<int>(WindowEvent::FocusGained) == 3 &&
                static_cast<int>(WindowEvent::FocusLost) == 4 &&
                static_cast<int>(MouseButton::Other) == 3);
}

// The lock keys, the system key and AltGr are no modifiers of the game's.
TEST(InputMapping, ModifiersGiveTheGamesCode) {
  const std::pair<int, int32_t> cases[] = {
      {KMOD_RSHIFT, 1}, {KMOD_RCTRL, 2}, {KMOD_LSHIFT | KMOD_RCTRL, 3}, {KMOD_RALT, 4},
      {KMOD_RSHIFT | KMOD_LALT | KMOD_LCTRL, 7}, {KMOD_LCTRL | KMOD_CAPS | KMOD_NUM, 2},
      {KMOD_LGUI, 0}, {KMOD_MODE, 0}, {KMOD_SCROLL, 0}};
  for (auto [sdl_mod, code] : cases)
    EXPECT_EQ(ModifierCode(ModifiersFromSdl(static_cast<uint16_t>(sdl_mod))), code) << sdl_mod;
}

// From SDL's key to what it means: the window's command, the panels' and
// boxes' key, the key standing in for the mouse (and whether it repeats).
TEST(InputMapping, SdlsKeysMeanWhatTheSessionsKeysMean) {
  using C = menus::ControlKey;
  using W = session::WindowCommand;
  using R = ReaderKey;
  struct Row {
    SDL_Keycode key;
    uint16_t mod;
    std::optional<W> window;
    std::optional<C> control;
    std::optional<R> reader;
    bool repeats;
  };
  const Row rows[] = {
      {SDLK_RETURN, KMOD_NONE, {}, C::Enter, R::Enter, false},
      {SDLK_KP_ENTER, KMOD_NONE, {}, C::Enter, R::Enter, false},
      {SDLK_KP_ENTER, KMOD_RALT, W::ToggleFullScreen, C::Enter, R::Enter, false},
      {SDLK_RETURN, KMOD_LALT | KMOD_NUM, W::ToggleFullScreen, C::Enter, R::Enter, false},
      {SDLK_RETURN, KMOD_LCTRL, {}, C::Enter, R::Enter, false},
      {SDLK_RETURN, KMOD_LALT | KMOD_LCTRL, {}, C::Enter, R::Enter, false},
      {SDLK_ESCAPE, KMOD_NONE, {}, C::Escape, R::Escape, false},
      {SDLK_SPACE, KMOD_LSHIFT, {}, C::Space, R::Space, false},
      {SDLK_TAB, KMOD_LCTRL, {}, C::Tab, R::SkipRead, false},
      {SDLK_TAB, KMOD_RSHIFT | KMOD_NUM, {}, C::ShiftTab, R::SkipRead, false},
      {SDLK_UP, KMOD_NONE, {}, C::Up, R::Up, true},
      {SDLK_DOWN, KMOD_NONE, {}, C::Down, R::Down, true},
      // Going back a page and forward again; a held key goes on stepping.
      {SDLK_LEFT, KMOD_NONE, {}, C::Left, R::Back, true},
      {SDLK_BACKSPACE, KMOD_NONE, {}, {}, R::Back, true},
      {SDLK_RIGHT, KMOD_NONE, {}, C::Right, R::Forward, true},
      {SDLK_PAGEUP, KMOD_NONE, {}, {}, R::PageUp, true},
      {SDLK_PAGEDOWN, KMOD_NONE, {}, {}, R::PageDown, true},
      // The row of digits and the keypad's alike: 1 to 7 pick a choice.
      {SDLK_1, KMOD_NONE, {}, {}, R::Row1, false},
      {SDLK_7, KMOD_NONE, {}, {}, R::Row7, false},
      {SDLK_KP_1, KMOD_NONE, {}, {}, R::Row1, false},
      {SDLK_KP_4, KMOD_NONE, {}, {}, R::Row4, false},
      {SDLK_KP_7, KMOD_NONE, {}, {}, R::Row7, false},
      {SDLK_0, KMOD_NONE, {}, {}, {}, false},
      {SDLK_8, KMOD_NONE, {}, {}, {}, false},
      {SDLK_KP_0, KMOD_NONE, {}, {}, {}, false},
      {SDLK_KP_8, KMOD_NONE, {}, {}, {}, false},
      {SDLK_KP_9, KMOD_NONE, {}, {}, {}, false},
      {SDLK_a, KMOD_NONE, {}, {}, R::Auto, false},
      {SDLK_b, KMOD_NONE, {}, {}, {}, false},
      {SDLK_F1, KMOD_NONE, W::ReaderSettings, {}, {}, false},
      {SDLK_F2, KMOD_NONE, {}, {}, R::SaveScreen, false},
      {SDLK_F3, KMOD_NONE, {}, {}, R::LoadScreen, false},
      {SDLK_F5, KMOD_NONE, W::Reload, {}, {}, false},
      {SDLK_F6, KMOD_NONE, {}, {}, R::QuickSave, false},
      {SDLK_F7, KMOD_NONE, {}, {}, R::QuickLoad, false},
      {SDLK_F9, KMOD_NONE, W::ToggleDebugger, {}, {}, false},
      {SDLK_F10, KMOD_NONE, {}, {}, {}, false},
      {SDLK_F11, KMOD_NONE, W::ToggleFullScreen, {}, {}, false},
      {SDLK_F12, KMOD_LSHIFT, W::Screenshot, {}, {}, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(SDL_GetKeyName(row.key)) + " " + std::to_string(row.mod));
    const Key key = KeyFromSdl(row.key);
    const Modifiers held = ModifiersFromSdl(row.mod);
    EXPECT_EQ(session::WindowCommandOf(key, held), row.window);
    EXPECT_EQ(session::ControlKeyOf(key, held), row.control);
    const std::optional<ReaderKey> reader = session::ReaderKeyOf(key);
    EXPECT_EQ(reader, row.reader);
    EXPECT_EQ(reader && session::ReaderKeyRepeats(*reader), row.repeats);
  }
  // Every digit and function key has its own name: the keypad's digits are
  // the row's, and F1 to F12 follow each other.
  for (int d = 0; d <= 9; ++d) {
    const Key digit = static_cast<Key>(static_cast<int>(Key::Digit0) + d);
    EXPECT_EQ(KeyFromSdl(SDLK_0 + d), digit) << d;
    EXPECT_EQ(KeyFromSdl(d == 0 ? SDLK_KP_0 : SDLK_KP_1 + d - 1), digit) << d;
  }
  for (int f = 0; f < 12; ++f)
    EXPECT_EQ(KeyFromSdl(SDLK_F1 + f), static_cast<Key>(static_cast<int>(Key::F1) + f)) << f;
}

TEST(SdlClock, GivesTheUniversalTimeOfDay) {
  const std::time_t before = std::time(nullptr) % 86400;
  const uint32_t ms = SdlClock().UtcTimeOfDayMs();
  const std::time_t after = std::time(nullptr) % 86400;
  EXPECT_LT(ms, 86400u * 1000u);
  const std::time_t s = ms / 1000;
  // time() reads a coarser clock, which may still give the second before
  // for a few milliseconds after it has passed.
  EXPECT_TRUE(after < before /* across midnight */ || (before <= s && s <= after + 1)) << ms;
}

}  // namespace
}  // namespace velmor::platform::sdl
