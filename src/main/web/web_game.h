// The web front end: the game in the page's canvas, on the same session and
// the same SDL loop as the desktop window, with the page's files (web/).
//
// A browser may not block: the page runs one pass of the loop at a time
// from its timer, as late as the session allows (at a click wait the ticks
// rest), and at once when the player does something; a hidden tab runs
// none, and the session's scheduler lets the ticks that passed meanwhile go
// rather than run them in a burst. Message boxes are session state, drawn
// like any view, so the game ticks under them as on the desktop.
//
// With --test the game stands still until the page steps it tick by tick on
// a virtual 20 ms clock (WebGame::StepTicks), playing its sounds on the
// device-less player, exactly as the headless front end runs: a test in a
// real browser drives the page with real mouse and key events and compares
// its states and frame digests with a headless run of the same script.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/form.h"
#include "app/reader_settings.h"
#include "main/sdl_loop.h"
#include "platform/headless/headless_media_player.h"
#include "platform/headless/headless_platform.h"
#include "platform/media_player.h"
#include "platform/sdl/sdl_platform.h"
#include "platform/sdl/sdl_window.h"
#include "platform/shared/mapped_file.h"
#include "platform/shared/os_files.h"
#include "platform/shared/ttf_font.h"
#include "text/bitmap_face.h"
#include "session/box_stack.h"
#include "session/session.h"
#include "ui/ui_layer.h"

namespace velmor::main {

struct WebOptions {
  bool test = false;                   // stepped by the page on a virtual clock
  std::string data = "/velmor/demo";   // the data folder, in the page's files
  std::string font = "/velmor/font/velmor-gothic.ttf";
  // The 16-dot bitmap face's two files (shnmk16b.pcf.gz, shnm8x16rb.pcf.gz).
  std::string bitmap_font_folder = "/velmor/font/";
  std::string soundfont;               // the page fetches its own (web/velmor-midi.js)
  std::string home = "/velmor/home";   // the player's storage: slots, settings, read text
  Size window{1024, 768};              // the canvas's own pixels at the start (the page sizes it)
};

// The options from the page's arguments ("--test", "--data DIR"); false,
// with why, on one it does not know.
bool ParseWebOptions(const std::vector<std::string>& args, WebOptions& options,
                     std::string* why);

class WebGame {
 public:
  explicit WebGame(WebOptions options);
  ~WebGame();
  WebGame(const WebGame&) = delete;
  WebGame& operator=(const WebGame&) = delete;

  // Opens the window and starts the game. False, with why (also told in the
  // page), when it cannot; a start-up the game itself refuses is its box.
  bool Start(std::string* why);
  // One pass of the loop, from the page's timer (never in --test); how long
  // the page may wait before the next (an event calls it sooner).
  uint64_t Frame();
  // --test: the events that came, then `count` ticks on the virtual clock.
  void StepTicks(int count);
  // --test: the events that came and the frame, without a tick (a click on
  // a panel is a press in one frame and a release in the next).
  void StepFrame();
  // --test: ticks until MainProc is `handler` ("none": no handler), at most
  // `limit`.
  void TicksUntil(const std::string& handler, int limit);
  // The state as the headless front end writes it (without the boxes it
  // answers from its script), with the frame digest.
  std::string StateJson() const;
  // The canvas's own pixels as the page sizes them: the game's window takes
  // that size in its next pass.
  void SizeCanvas(Size size);
  // --test: one of the reader's settings changed as the reader's settings
  // window would (its key and value in the settings file); false, with why,
  // when there is no such setting or value.
  bool SetReaderSetting(const std::string& key, const std::string& value, std::string* why);
  // Where a panel control stands in canvas pixels, "left top right
  // bottom"; empty when there is no such control or it is not shown.
  std::string ControlRect(const std::string& name);
  // The page's text field: typed or committed text, the input method's
  // composition, and the editing keys pressed in it.
  void Text(const std::string& utf8);
  void Compose(const std::string& utf8, int cursor);
  void EditKey(Key key, bool shift);
  // Message boxes open now (a test answers them before the next tick, as
  // the headless front end answers at once).
  int OpenBoxes() const { return static_cast<int>(boxes_.size()); }
  bool ended() const { return ended_; }
  // Why the game could not start (its box says it too); empty when it did.
  const std::string& StartupFailure() const { return form_->startup_failure(); }
  uint64_t ticks() const;

 private:
  template <typename F>
  void Guard(F&& body);
  void LoadTexts();
  void KeepReaderSettings();
  // Tells the page the reader's picture size when it is new: at the game's
  // own size the page scales a 1024x768 canvas, fitted to the screen it
  // gives the canvas the screen's pixels.
  void TellPictureSize();

  WebOptions options_;
  platform::OsFiles files_;
  platform::sdl::SdlSystem sdl_;
  platform::TtfFont font_;
  text::BitmapFace bitmap_face_{font_};
  platform::sdl::SdlWindow window_;
  platform::MappedFile face_;
  std::unique_ptr<ui::UiLayer> ui_;
  std::unique_ptr<platform::MediaPlayer> media_;
  platform::HeadlessMediaPlayer* test_media_ = nullptr;  // the same, in --test
  platform::sdl::SdlClock real_clock_;
  platform::VirtualClock virtual_clock_;
  session::BoxStack boxes_;
  std::unique_ptr<app::TForm1> form_;
  std::unique_ptr<session::Session> session_;
  std::unique_ptr<app::ReaderSettingsFile> settings_file_;
  std::unique_ptr<SdlLoop> loop_;
  uint64_t virtual_ms_ = 0;
  bool ended_ = false;
  int told_fit_ = -1;  // the picture size the page was told: -1 none yet, 0 game, 1 fit
};

}  // namespace velmor::main
