// The real front end on SDL's dummy video driver: a window with a software
// renderer, the views with the game's faces, a whole game on in-memory files
// with its session, and the loop that drives them. A test pushes SDL events
// as the window system would, runs passes of the loop, and looks at the
// game (its input, its panels' handlers, its boxes) and at the frames.
#pragma once

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/form.h"
#include "support/form_internals.h"
#include "app/reader_settings.h"
#include "language/source_labels.h"
#include "core/sjis.h"
#include "main/sdl_loop.h"
#include "menus/panel_layout.h"
#include "menus/panels.h"
#include "platform/headless/headless_media_player.h"
#include "platform/headless/headless_platform.h"
#include "platform/headless/memory_files.h"
#include "platform/sdl/sdl_platform.h"
#include "platform/sdl/sdl_window.h"
#include "platform/shared/deflate_compressor.h"
#include "platform/shared/font_finder.h"
#include "platform/shared/mapped_file.h"
#include "platform/shared/ttf_font.h"
#include "session/box_stack.h"
#include "session/session.h"
#include "support/assembly.h"
#include "support/game_data.h"
#include "ui/ui_layer.h"

namespace velmor::testing {

inline std::string S(std::string_view utf8) { return Sjis(utf8).str(); }

// A scenario that goes on ticking for ever, a tick at a time: the loop
// never rests, and a click changes nothing.
inline std::vector<uint8_t> Ticking() { return Assembled("again: WAIT 1\nJUMP again\n"); }

// The faces the program would find (the test fails without one).
inline platform::FontFaces TestFaces() {
  std::string error;
  std::optional<platform::FontFaces> faces = platform::FindFontFaces("", &error);
  if (!faces) ADD_FAILURE() << "font: " << error;
  return faces.value_or(platform::FontFaces{});
}

class SdlRig {
 public:
  explicit SdlRig(const std::vector<uint8_t>& init = Ticking(), Size size = {1024, 768}) {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    std::string error;
    if (!system.Init(&error)) ADD_FAILURE() << "SDL: " << error;
    // The title finds the window for xdotool (the real input method's test).
    if (!window.Open({.windowed = true, .window_size = size, .title = "test"}, &error))
      ADD_FAILURE() << "window: " << error;
    if (!gothic.Map(faces.gothic.c_str())) ADD_FAILURE() << "cannot read " << faces.gothic;
    pgothic.Map(faces.pgothic.c_str());
    ui = std::make_unique<ui::UiLayer>(gothic.bytes(), pgothic.bytes());
    PutGameData(files, init);
    app::StartOptions options;
    options.program_folder = "PROG/";
    options.data_folder = kDat;
    game = std::make_unique<app::TForm1>(
        app::Platform{files, window, boxes, media, font, clock, platform::Deflate()}, options);
    session = std::make_unique<session::Session>(*game, boxes);
    session->SetReaderSettingsFile(&settings_file);
    session->SetLabelAssembler(language::AssembleLabels);
    loop = std::make_unique<main::SdlLoop>(window, *ui, *session);
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
  }

  // The game's start-up (then `before_ticks`, if any), and the loop's
  // ticks begin.
  void Start(int passes = 1, const std::function<void()>& before_ticks = nullptr) {
    ASSERT_EQ(session->StartGame(), std::nullopt) << game->startup_failure();
    if (before_ticks) before_ticks();
    loop->Start();
    Passes(passes);
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
  void Button(Point p, bool down, uint8_t button = SDL_BUTTON_LEFT) {
    Push(down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP, [&](SDL_Event& e) {
      e.button.button = button;
      e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
      e.button.clicks = 1;
      e.button.x = p.x;
      e.button.y = p.y;
    });
  }
  void Click(Point p, int passes = 0, uint8_t button = SDL_BUTTON_LEFT) {
    SDL_WarpMouseInWindow(window.sdl_window(), p.x, p.y);
    Button(p, true, button);
    Button(p, false, button);
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
    for (int i = 0; i < n; ++i) loop->Pass();
  }
  // Runs passes until `done` holds, `limit` of them at most; whether it did.
  bool PassUntil(const std::function<bool()>& done, int limit = 100) {
    for (int i = 0; i < limit && !done(); ++i) loop->Pass();
    return done();
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
  menus::Panels& panels() { return game->panels(); }
  InputState& input() { return in().input; }
  // The game's parts, to set up and look at.
  FormInternals in() { return FormInternals(*game); }

  // SDL shut down whole when the rig goes, as the program does: the
  // services its video driver started (the session bus among them) end too.
  const platform::sdl::SdlShutdown last;
  platform::sdl::SdlSystem system;
  const platform::FontFaces faces = TestFaces();
  platform::TtfFont font{faces.gothic};
  platform::sdl::SdlWindow window{font};
  platform::MappedFile gothic, pgothic;
  std::unique_ptr<ui::UiLayer> ui;
  platform::MemoryFiles files;
  app::ReaderSettingsFile settings_file{files, "CONF/velmor/settings.ini"};
  session::BoxStack boxes;
  platform::HeadlessMediaPlayer media{files};
  platform::VirtualClock clock;
  std::unique_ptr<app::TForm1> game;
  std::unique_ptr<session::Session> session;
  std::unique_ptr<main::SdlLoop> loop;  // goes first: it holds the views on the others
};

}  // namespace velmor::testing
