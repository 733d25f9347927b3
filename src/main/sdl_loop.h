// The real front end's loop: SDL's events translated and handed to the
// session, the session's time kept with SDL's clock, and the window drawn
// (with the views over the picture) only when something the player sees
// changed.
//
// One pass sleeps until an event comes or the session's next tick is due
// (on an X display in poll() on its connection, see DisplayWait; elsewhere,
// and while text input is on, in SDL_WaitEventTimeout), hands every
// waiting event over, lets the session advance (the tick when it is due),
// turns typed text on or off as the session wants, and draws a frame when one is due. A message box is
// the session's state, drawn like any view: the loop never nests.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "main/imgui_sdl_renderer.h"
#include "platform/sdl/display_wait.h"
#include "platform/sdl/sdl_window.h"
#include "session/session.h"
#include "session/touch_gestures.h"
#include "ui/views.h"

union SDL_Event;

namespace velmor::main {

class SdlLoop : public session::WindowControls {
 public:
  SdlLoop(platform::sdl::SdlWindow& window, ui::UiLayer& ui, session::Session& session);
  ~SdlLoop() override;
  SdlLoop(const SdlLoop&) = delete;
  SdlLoop& operator=(const SdlLoop&) = delete;

  // The game has started: the ticks begin, and the game paints.
  void Start();
  // Runs until the game ends (QuitSignal, which this lets through).
  [[noreturn]] void Run();
  // Runs until no message box is open (a start-up that failed waits for
  // its box to be answered), or the game ends.
  void RunWhileBoxesOpen();
  // One pass of the loop. Run repeats it; tests step it. A browser may not
  // sleep: it calls PassWithoutWaiting from its timers instead.
  void Pass();
  void PassWithoutWaiting();
  // The events that came, then one tick at `now_ms`, then the frame: a
  // browser's test mode steps the game tick by tick, as the headless front
  // end does, on a clock of its own (UseClock).
  void StepTick(uint64_t now_ms);
  // The same without the tick: the events, what follows them, the frame.
  void StepFrame(uint64_t now_ms);
  // Told whenever the session's text input changes (on or off, the field
  // moved, a composition to forget): a browser page puts its own text field
  // there for the input method and the phone's keyboard.
  std::function<void(const session::TextInput&)> on_text_input;
  // Hands the session an event a front end made itself (the page's text
  // field), as if SDL had brought it.
  void Deliver(const InputEvent& event) { session_.Deliver(event); }
  // Touches become taps, long presses and two-finger taps (a browser on a
  // phone); otherwise SDL's own mouse events from touches serve.
  void TranslateTouch(bool on) { translate_touch_ = on; }
  // The time the loop goes by, in milliseconds (SDL's clock unless given).
  void UseClock(std::function<uint64_t()> now) { now_ = std::move(now); }
  // How long the loop may sleep before the next tick or frame is due (an
  // event wakes it sooner).
  uint64_t WaitMs();

  ui::GameViews& views() { return views_; }
  uint64_t Ticks() const { return session_.ticks(); }

  // --- session::WindowControls ---
  bool ToggleFullScreen() override;
  void CaptureNextFrame() override { window_.CaptureNextFrame(); }

 private:
  // Every event waiting, to the session.
  void HandleEvents();
  // The session's turn after the events: the tick when it is due (the
  // real clock), one tick now (a stepped clock), or none.
  enum class Turn { WhenDue, Tick, None };
  // What follows the events: the touches due, the session's turn, text
  // input, the frame.
  void AfterEvents(uint64_t now_ms, Turn turn);
  // Sleeps on the display's connection until it speaks or `wait_ms`
  // passed; true with the first event.
  bool WaitOnDisplay(SDL_Event& e, uint64_t wait_ms);
  void HandleEvent(const SDL_Event& e);
  // A finger's event through the gestures; true when it was one.
  bool HandleTouch(const SDL_Event& e);
  void DeliverTouch();
  void HandleWindowEvent(const SDL_Event& e);
  void ApplyTextInput();
  void RenderIfNeeded();
  // F12, once the frame asked for is drawn: the picture with what the
  // views cover of it, into the pictures folder.
  void SaveScreenshot();
  void CheckQuitSignal();

  platform::sdl::SdlWindow& window_;
  ui::UiLayer& ui_;
  session::Session& session_;
  ImGuiSdlRenderer renderer_;
  platform::sdl::DisplayWait display_wait_;
  ui::GameViews views_;
  // The text input as last applied to SDL.
  bool text_input_on_ = false;
  uint64_t text_input_resets_ = 0;
  uint64_t text_input_moves_ = 0;
  std::function<uint64_t()> now_;
  bool translate_touch_ = false;
  session::TouchGestures touch_;
  std::vector<InputEvent> touch_events_;
};

}  // namespace velmor::main
