#include "platform/sdl/input_mapping.h"

#include <SDL.h>

namespace velmor::platform::sdl {

Modifiers ModifiersFromSdl(uint16_t sdl_mod) {
  Modifiers m;
  m.shift = (sdl_mod & KMOD_SHIFT) != 0;
  m.ctrl = (sdl_mod & KMOD_CTRL) != 0;
  m.alt = (sdl_mod & KMOD_ALT) != 0;
  return m;
}

MouseButton MouseButtonFromSdl(uint8_t sdl_button) {
  switch (sdl_button) {
    case SDL_BUTTON_LEFT: return MouseButton::Left;
    case SDL_BUTTON_RIGHT: return MouseButton::Right;
    case SDL_BUTTON_MIDDLE: return MouseButton::Middle;
    default: return MouseButton::Other;
  }
}

namespace {

struct KeyRow {
  int32_t sdl;
  Key key;
};
constexpr KeyRow kKeys[] = {
    {SDLK_RETURN, Key::Enter},     {SDLK_KP_ENTER, Key::KeypadEnter}, {SDLK_SPACE, Key::Space},
    {SDLK_ESCAPE, Key::Escape},    {SDLK_TAB, Key::Tab},              {SDLK_BACKSPACE, Key::Backspace},
    {SDLK_DELETE, Key::Delete},    {SDLK_INSERT, Key::Insert},        {SDLK_UP, Key::Up},
    {SDLK_DOWN, Key::Down},        {SDLK_LEFT, Key::Left},            {SDLK_RIGHT, Key::Right},
    {SDLK_PAGEUP, Key::PageUp},    {SDLK_PAGEDOWN, Key::PageDown},    {SDLK_HOME, Key::Home},
    {SDLK_END, Key::End},          {SDLK_a, Key::A},                  {SDLK_c, Key::C},
    {SDLK_v, Key::V},              {SDLK_x, Key::X},                  {SDLK_y, Key::Y},
    {SDLK_z, Key::Z},              {SDLK_LSHIFT, Key::Shift},         {SDLK_RSHIFT, Key::Shift},
    {SDLK_LCTRL, Key::Ctrl},       {SDLK_RCTRL, Key::Ctrl},           {SDLK_LALT, Key::Alt},
    {SDLK_RALT, Key::Alt},
};

Key Offset(Key first, int n) { return static_cast<Key>(static_cast<int>(first) + n); }

KeyEvent KeyEventFromSdl(const SDL_KeyboardEvent& k) {
  return {KeyFromSdl(k.keysym.sym), ModifiersFromSdl(k.keysym.mod), k.type == SDL_KEYDOWN,
          k.repeat != 0};
}

}  // namespace

Key KeyFromSdl(int32_t sdl_key) {
  for (const KeyRow& row : kKeys)
    if (row.sdl == sdl_key) return row.key;
  // The row of number keys and the keypad's.
  if (sdl_key >= SDLK_0 && sdl_key <= SDLK_9) return Offset(Key::Digit0, sdl_key - SDLK_0);
  if (sdl_key >= SDLK_KP_1 && sdl_key <= SDLK_KP_9) return Offset(Key::Digit1, sdl_key - SDLK_KP_1);
  if (sdl_key == SDLK_KP_0) return Key::Digit0;
  if (sdl_key >= SDLK_F1 && sdl_key <= SDLK_F12) return Offset(Key::F1, sdl_key - SDLK_F1);
  return Key::Other;
}

std::optional<InputEvent> InputEventFromSdl(const SDL_Event& e, Point pointer) {
  switch (e.type) {
    case SDL_QUIT: return WindowEvent::CloseRequested;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      return ButtonEvent{MouseButtonFromSdl(e.button.button), e.type == SDL_MOUSEBUTTONDOWN,
                         Point{e.button.x, e.button.y}};
    case SDL_MOUSEMOTION: return PointerMotion{Point{e.motion.x, e.motion.y}};
    case SDL_MOUSEWHEEL:
      return WheelEvent{e.wheel.y, e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED, pointer};
    case SDL_KEYDOWN:
    case SDL_KEYUP: return KeyEventFromSdl(e.key);
    case SDL_TEXTINPUT: return TypedText{e.text.text};
    case SDL_TEXTEDITING:
      return Composition{e.edit.text, e.edit.start};
    case SDL_TEXTEDITING_EXT:
      return Composition{e.editExt.text != nullptr ? e.editExt.text : "", e.editExt.start};
    case SDL_WINDOWEVENT:
      if (e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) return WindowEvent::FocusGained;
      if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST) return WindowEvent::FocusLost;
      return std::nullopt;
    default: return std::nullopt;
  }
}

}  // namespace velmor::platform::sdl
