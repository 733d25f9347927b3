#include "sdl_rig.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "menus/panel_layout.h"

namespace velmor::testing {

SdlRig::SdlRig(Size size) {
  setenv("SDL_VIDEODRIVER", "dummy", 0);
  std::string error;
  if (!system.Init(&error)) ADD_FAILURE() << "SDL: " << error;
  if (!window.Open({.windowed = true, .window_size = size, .title = "test"}, &error))
    ADD_FAILURE() << "window: " << error;
  std::optional<platform::FontFaces> faces = platform::FindFontFaces("", &error);
  if (!faces) ADD_FAILURE() << "font: " << error;
  ui = std::make_unique<platform::sdl::ImGuiLayer>(window.sdl_window(), window.renderer(),
                                                   faces.value_or(platform::FontFaces{}));
  front = std::make_unique<platform::sdl::SdlFrontEnd>(window, *ui);
  dialogs = std::make_unique<platform::sdl::SdlDialogs>(*front);
  front->Attach(game);
  SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
}

void SdlRig::Push(uint32_t type, const std::function<void(SDL_Event&)>& fill, int passes) {
  SDL_Event e{};
  e.type = type;
  // Every event pushed here has its window's id where a window event has it.
  e.window.windowID = SDL_GetWindowID(window.sdl_window());
  fill(e);
  SDL_PushEvent(&e);
  Passes(passes);
}

void SdlRig::Key(SDL_Keycode key, bool down, uint16_t mod, bool repeat) {
  Push(down ? SDL_KEYDOWN : SDL_KEYUP, [&](SDL_Event& e) {
    e.key.repeat = repeat ? 1 : 0;
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym = {SDL_GetScancodeFromKey(key), key, mod, 0};
  });
}

void SdlRig::Press(SDL_Keycode key, int passes, uint16_t mod) {
  Key(key, true, mod);
  Key(key, false, mod);
  Passes(passes);
}

void SdlRig::Click(Point p, int passes, uint8_t button) {
  SDL_WarpMouseInWindow(window.sdl_window(), p.x, p.y);
  for (bool down : {true, false})
    Push(down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP, [&](SDL_Event& e) {
      e.button.button = button;
      e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
      e.button.clicks = 1;
      e.button.x = p.x;
      e.button.y = p.y;
    });
  Passes(passes);
}

void SdlRig::Text(const char* utf8, int passes) {
  Push(SDL_TEXTINPUT, [&](SDL_Event& e) { SDL_strlcpy(e.text.text, utf8, sizeof e.text.text); },
       passes);
}

void SdlRig::Composition(const char* utf8, int cursor, int passes) {
  // Too long for the event, SDL hands it over as a copy the receiver frees
  // (as with SDL_HINT_IME_SUPPORT_EXTENDED_TEXT).
  const bool ext = std::strlen(utf8) >= SDL_TEXTEDITINGEVENT_TEXT_SIZE;
  Push(ext ? SDL_TEXTEDITING_EXT : SDL_TEXTEDITING, [&](SDL_Event& e) {
    if (ext) {
      e.editExt.text = SDL_strdup(utf8);
      e.editExt.start = cursor;
    } else {
      SDL_strlcpy(e.edit.text, utf8, sizeof e.edit.text);
      e.edit.start = cursor;
    }
  }, passes);
}

void SdlRig::Show(Panel& panel, Point at, Control* focus, int passes) {
  panel.MoveTo(at.x, at.y);
  panel.visible = true;
  if (focus != nullptr) panel.SetFocus(focus);
  Passes(passes);
}

uint32_t SdlRig::Pixel(Point p) {
  Size size;
  const std::vector<uint32_t> pixels = window.ReadPixels(size);
  return pixels[static_cast<std::size_t>(p.y < 0 ? size.height + p.y : p.y) * size.width +
                static_cast<std::size_t>(p.x < 0 ? size.width + p.x : p.x)];
}

Point SdlRig::Centre(const Control& c) {
  Rect r = menus::WindowRect(c);
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

}  // namespace velmor::testing
