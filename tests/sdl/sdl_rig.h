// The real front end on SDL's dummy video driver: a window with a software
// renderer, ImGui, the loop, and a game that records what reaches it.
#pragma once

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/errors.h"
#include "core/sjis.h"
#include "menus/panel_layout.h"
#include "menus/panels.h"
#include "platform/sdl/front_end.h"
#include "platform/sdl/imgui_layer.h"
#include "platform/sdl/sdl_platform.h"
#include "platform/sdl/sdl_window.h"
#include "platform/shared/ttf_font.h"

namespace velmor::testing {

namespace sdl = platform::sdl;

inline std::string S(std::string_view utf8) { return Sjis(utf8).str(); }
inline std::string Reader(ReaderKey k) { return "ReaderKey " + std::to_string(int(k)); }

// A game that records the events the loop hands it, one line each
// ("MouseDown Left", "KeyDown 2", ...); ticks and paints are only counted.
class RecordingGame : public sdl::GameEvents {
 public:
  void TimerTimer() override {
    ++ticks;
    deepest_tick = std::max(deepest_tick, ++tick_depth);
    if (on_tick) on_tick();
    --tick_depth;
  }
  void PaintIfInvalid() override {
    ++passes;
    if (on_pass) on_pass();
  }
  void MouseDown(sdl::PointerButton b) override {
    static const char* const kNames[] = {"Left", "Right", "Middle", "Other"};
    log.push_back(std::string("MouseDown ") + kNames[static_cast<int>(b)]);
  }
  void MouseUp() override { log.push_back("MouseUp"); }
  void KeyDown(Modifiers held) override {
    log.push_back("KeyDown " + std::to_string(ModifierCode(held)));
  }
  void KeyUp() override { log.push_back("KeyUp"); }
  void ReaderKey(velmor::ReaderKey k) override { log.push_back(Reader(k)); }
  void MouseWheel(WheelTurn t) override {
    log.push_back(t == WheelTurn::Up ? "MouseWheel Up" : "MouseWheel Down");
  }
  void CloseQuery() override { log.push_back("CloseQuery"); }
  [[noreturn]] void QuitNow() override {
    log.push_back("QuitNow");
    throw QuitSignal{};
  }
  void DisplayResized() override { log.push_back("DisplayResized"); }
  void ReportError(const std::string& text) override { log.push_back("ReportError " + text); }
  menus::Panels& Panels() override { return panels; }
  Bitmap ScreenPicture() override { return picture; }
  std::string ReaderIndicator() override { return reader_indicator; }
  app::ReaderSettings CurrentReaderSettings() override { return reader_settings; }
  std::string ReaderSettingsChanged(const app::ReaderSettings& s, bool keep) override {
    reader_settings = s;
    log.push_back(keep ? "ReaderSettings kept" : "ReaderSettings applied");
    return settings_problem;
  }

  int Count(const std::string& line) const { return int(std::count(log.begin(), log.end(), line)); }
  std::string Joined() const {  // the log on one line
    std::string all;
    for (const std::string& line : log) all += (all.empty() ? "" : ", ") + line;
    return all;
  }
  std::vector<std::string> log;
  int ticks = 0, passes = 0;  // passes: PaintIfInvalid is called on every one once started
  int tick_depth = 0, deepest_tick = 0;
  std::function<void()> on_tick;  // run inside each tick
  std::function<void()> on_pass;  // run at each pass's repaint
  menus::Panels panels;
  Bitmap picture{640, 480, 0x336699};   // what a screenshot starts from
  std::string reader_indicator;         // the reading mode the game has on
  app::ReaderSettings reader_settings;  // the reader's own settings
  std::string settings_problem;         // what keeping them says
};

class SdlRig {
 public:
  explicit SdlRig(Size size = {1024, 768}) {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    std::string error;
    if (!system.Init(&error)) ADD_FAILURE() << "SDL: " << error;
    if (!window.Open({.windowed = true, .window_size = size, .title = "test"}, &error))
      ADD_FAILURE() << "window: " << error;
    std::optional<platform::FontFaces> faces = platform::FindFontFaces("", &error);
    if (!faces) ADD_FAILURE() << "font: " << error;
    ui = std::make_unique<sdl::ImGuiLayer>(window.sdl_window(), window.renderer(),
                                           faces.value_or(platform::FontFaces{}));
    front = std::make_unique<sdl::SdlFrontEnd>(window, *ui);
    dialogs = std::make_unique<sdl::SdlDialogs>(*front);
    front->Attach(game);
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
  }

  // Events as the window system would send them; `passes` passes of the
  // loop follow. Push makes one of `type` as `fill` sets it.
  void Push(uint32_t type, const std::function<void(SDL_Event&)>& fill, int passes = 0) {
    SDL_Event e{};
    e.type = type;
    // Every event pushed here has its window's id where a window event has it.
    e.window.windowID = SDL_GetWindowID(window.sdl_window());
    fill(e);
    SDL_PushEvent(&e);
    Passes(passes);
  }
  void Key(SDL_Keycode key, bool down, uint16_t mod = KMOD_NONE, bool repeat = false) {
    Push(down ? SDL_KEYDOWN : SDL_KEYUP, [&](SDL_Event& e) {
      e.key.repeat = repeat ? 1 : 0;
      e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
      e.key.keysym = {SDL_GetScancodeFromKey(key), key, mod, 0};
    });
  }
  void Press(SDL_Keycode key, int passes = 0, uint16_t mod = KMOD_NONE) {
    Key(key, true, mod);
    Key(key, false, mod);
    Passes(passes);
  }
  void Click(Point p, int passes = 0, uint8_t button = SDL_BUTTON_LEFT) {
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
  void Wheel(int32_t y) { Push(SDL_MOUSEWHEEL, [&](SDL_Event& e) { e.wheel.y = y; }); }
  void Text(const char* utf8, int passes = 0) {
    Push(SDL_TEXTINPUT, [&](SDL_Event& e) { SDL_strlcpy(e.text.text, utf8, sizeof e.text.text); },
         passes);
  }
  void Composition(const char* utf8, int cursor, int passes = 0) {
    // Too long for the event, SDL hands it over as a copy the receiver frees
    // (as with SDL_HINT_IME_SUPPORT_EXTENDED_TEXT).
    const bool ext = std::strlen(utf8) >= SDL_TEXTEDITINGEVENT_TEXT_SIZE;
    Push(ext ? SDL_TEXTEDITING_EXT : SDL_TEXTEDITING, [&](SDL_Event& e) {
      if (ext) e.editExt.text = SDL_strdup(utf8);
      else SDL_strlcpy(e.edit.text, utf8, sizeof e.edit.text);
      (ext ? e.editExt.start : e.edit.start) = cursor;
    }, passes);
  }
  void Quit() { Push(SDL_QUIT, [](SDL_Event&) {}); }
  void Passes(int n) {
    for (int i = 0; i < n; ++i) front->Pass();
  }
  // Opens `panel` at `at`, `focus` (if any) having the keyboard.
  void Show(Panel& panel, Point at, Control* focus = nullptr, int passes = 1) {
    panel.MoveTo(at.x, at.y);
    panel.visible = true;
    if (focus != nullptr) panel.SetFocus(focus);
    Passes(passes);
  }
  // The centre of a control in window pixels.
  static Point Centre(const Control& c) {
    const Rect r = menus::WindowRect(c);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  // A pixel of the frame last presented (0x00RRGGBB); negative coordinates
  // count from the right and the bottom.
  uint32_t Pixel(Point p) {
    Size size;
    const std::vector<uint32_t> pixels = window.ReadPixels(size);
    return pixels[static_cast<std::size_t>(p.y < 0 ? size.height + p.y : p.y) * size.width +
                  static_cast<std::size_t>(p.x < 0 ? size.width + p.x : p.x)];
  }
  int Count(const std::string& line) const { return game.Count(line); }

  // SDL shut down whole when the rig goes, as the program does: the
  // services its video driver started (the session bus among them) end too.
  const sdl::SdlShutdown last;
  sdl::SdlSystem system;
  platform::TtfFont font;
  sdl::SdlWindow window{font};
  RecordingGame game;  // outlives the loop that points at it
  std::unique_ptr<sdl::ImGuiLayer> ui;
  std::unique_ptr<sdl::SdlFrontEnd> front;
  std::unique_ptr<sdl::SdlDialogs> dialogs;
};

}  // namespace velmor::testing
