#include "sdl_rig.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "core/errors.h"
#include "menus/panel_layout.h"

namespace velmor::testing {

void RecordingGame::TimerTimer() {
  ++ticks;
  ++tick_depth;
  deepest_tick = std::max(deepest_tick, tick_depth);
  struct Leave {
    int& depth;
    ~Leave() { --depth; }
  } leave{tick_depth};
  if (on_tick) on_tick();
}

void RecordingGame::MouseDown(platform::sdl::PointerButton button) {
  static const char* const kNames[] = {"Left", "Right", "Middle", "Other"};
  log.push_back(std::string("MouseDown ") + kNames[static_cast<int>(button)]);
}

void RecordingGame::QuitNow() {
  log.push_back("QuitNow");
  throw QuitSignal{};
}

SdlRig::SdlRig(Size size) {
  setenv("SDL_VIDEODRIVER", "dummy", 0);
  std::string error;
  if (!system.Init(&error)) ADD_FAILURE() << "SDL: " << error;
  platform::sdl::WindowOptions options;
  options.windowed = true;
  options.window_size = size;
  options.title = "test";
  if (!window.Open(options, &error)) ADD_FAILURE() << "window: " << error;
  std::optional<platform::FontFaces> faces = platform::FindFontFaces("", &error);
  if (!faces) ADD_FAILURE() << "font: " << error;
  ui = std::make_unique<platform::sdl::ImGuiLayer>(window.sdl_window(), window.renderer(),
                                                   faces.value_or(platform::FontFaces{}));
  front = std::make_unique<platform::sdl::SdlFrontEnd>(window, *ui);
  dialogs = std::make_unique<platform::sdl::SdlDialogs>(*front);
  front->Attach(game);
  SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
}

SdlRig::~SdlRig() {
  dialogs.reset();
  front.reset();
  ui.reset();
}

void SdlRig::Key(SDL_Keycode key, bool down, uint16_t mod, bool repeat) {
  SDL_Event e{};
  e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  e.key.repeat = repeat ? 1 : 0;
  e.key.windowID = SDL_GetWindowID(window.sdl_window());
  e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
  e.key.keysym.sym = key;
  e.key.keysym.scancode = SDL_GetScancodeFromKey(key);
  e.key.keysym.mod = mod;
  SDL_PushEvent(&e);
}

void SdlRig::Press(SDL_Keycode key, int passes, uint16_t mod) {
  Key(key, true, mod);
  Key(key, false, mod);
  Passes(passes);
}

void SdlRig::Click(Point p, int passes, uint8_t button) {
  SDL_WarpMouseInWindow(window.sdl_window(), p.x, p.y);
  for (bool down : {true, false}) {
    SDL_Event e{};
    e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    e.button.windowID = SDL_GetWindowID(window.sdl_window());
    e.button.button = button;
    e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.button.clicks = 1;
    e.button.x = p.x;
    e.button.y = p.y;
    SDL_PushEvent(&e);
  }
  Passes(passes);
}

void SdlRig::Wheel(int32_t y) {
  SDL_Event e{};
  e.type = SDL_MOUSEWHEEL;
  e.wheel.windowID = SDL_GetWindowID(window.sdl_window());
  e.wheel.y = y;
  e.wheel.direction = SDL_MOUSEWHEEL_NORMAL;
  SDL_PushEvent(&e);
}

void SdlRig::Text(const char* utf8, int passes) {
  SDL_Event e{};
  e.type = SDL_TEXTINPUT;
  e.text.windowID = SDL_GetWindowID(window.sdl_window());
  std::strncpy(e.text.text, utf8, sizeof e.text.text - 1);
  SDL_PushEvent(&e);
  Passes(passes);
}

void SdlRig::Composition(const char* utf8, int cursor, int passes) {
  SDL_Event e{};
  if (std::strlen(utf8) >= sizeof e.edit.text) {
    // Too long for the event: SDL hands it over as a copy (the receiver
    // frees it), as with SDL_HINT_IME_SUPPORT_EXTENDED_TEXT.
    e.type = SDL_TEXTEDITING_EXT;
    e.editExt.windowID = SDL_GetWindowID(window.sdl_window());
    e.editExt.text = SDL_strdup(utf8);
    e.editExt.start = cursor;
  } else {
    e.type = SDL_TEXTEDITING;
    e.edit.windowID = SDL_GetWindowID(window.sdl_window());
    std::strncpy(e.edit.text, utf8, sizeof e.edit.text - 1);
    e.edit.start = cursor;
  }
  SDL_PushEvent(&e);
  Passes(passes);
}

void SdlRig::Quit() {
  SDL_Event e{};
  e.type = SDL_QUIT;
  SDL_PushEvent(&e);
}

void SdlRig::Passes(int n) {
  for (int i = 0; i < n; ++i) front->Pass();
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
