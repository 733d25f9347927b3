// The real front end on SDL's dummy video driver: a window with a software
// renderer, ImGui, the loop, and a game that records what reaches it.
#pragma once

#include <SDL.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "menus/panels.h"
#include "platform/sdl/front_end.h"
#include "platform/sdl/imgui_layer.h"
#include "platform/sdl/sdl_platform.h"
#include "platform/sdl/sdl_window.h"
#include "platform/shared/ttf_font.h"

namespace velmor::testing {

// A game that only records the events the loop hands it.
class RecordingGame : public platform::sdl::GameEvents {
 public:
  void TimerTimer() override;
  void PaintIfInvalid() override {
    ++passes;
    if (on_pass) on_pass();
  }
  void MouseDown(platform::sdl::PointerButton button) override;
  void MouseUp() override { log.push_back("MouseUp"); }
  void KeyDown(Modifiers held) override { log.push_back("KeyDown " + std::to_string(ModifierCode(held))); }
  void KeyUp() override { log.push_back("KeyUp"); }
  void ReaderKey(velmor::ReaderKey key) override {
    log.push_back("ReaderKey " + std::to_string(static_cast<int>(key)));
  }
  void MouseWheel(WheelTurn turn) override {
    log.push_back(turn == WheelTurn::Up ? "MouseWheel Up" : "MouseWheel Down");
  }
  void CloseQuery() override { log.push_back("CloseQuery"); }
  [[noreturn]] void QuitNow() override;
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

  // How often `line` is in the log.
  int Count(const std::string& line) const {
    return static_cast<int>(std::count(log.begin(), log.end(), line));
  }
  // The events above, one line each ("MouseDown Left", "KeyDown 2", ...);
  // ticks and paints are only counted.
  std::vector<std::string> log;
  int ticks = 0;
  int passes = 0;  // PaintIfInvalid is called on every pass once started
  int tick_depth = 0;
  int deepest_tick = 0;
  std::function<void()> on_tick;  // run inside each tick
  std::function<void()> on_pass;  // run at each pass's repaint
  menus::Panels panels;
  Bitmap picture{640, 480, 0x336699};  // what a screenshot starts from
  std::string reader_indicator;        // the reading mode the game has on
  app::ReaderSettings reader_settings;  // the reader's own settings
  std::string settings_problem;         // what keeping them says
};

class SdlRig {
 public:
  explicit SdlRig(Size window = {1024, 768});
  ~SdlRig();

  // Events as the window system would send them; `passes` passes of the
  // loop follow.
  void Key(SDL_Keycode key, bool down, uint16_t mod = KMOD_NONE, bool repeat = false);
  void Press(SDL_Keycode key, int passes = 0, uint16_t mod = KMOD_NONE);
  void Click(Point p, int passes = 0, uint8_t button = SDL_BUTTON_LEFT);
  void Wheel(int32_t y);
  void Text(const char* utf8, int passes = 0);
  void Composition(const char* utf8, int cursor, int passes = 0);
  void Quit();
  void Passes(int n);
  // The centre of a control in window pixels.
  static Point Centre(const Control& c);
  // A pixel of the frame last presented (0x00RRGGBB); negative coordinates
  // count from the right and the bottom.
  uint32_t Pixel(Point p);

  // SDL shut down whole when the rig goes, as the program does: the
  // services its video driver started (the session bus among them) end too.
  const platform::sdl::SdlShutdown last;
  platform::sdl::SdlSystem system;
  platform::TtfFont font;
  platform::sdl::SdlWindow window{font};
  std::unique_ptr<platform::sdl::ImGuiLayer> ui;
  std::unique_ptr<platform::sdl::SdlFrontEnd> front;
  std::unique_ptr<platform::sdl::SdlDialogs> dialogs;
  RecordingGame game;
};

}  // namespace velmor::testing
