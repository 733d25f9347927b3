// The real front end's event loop: SDL events to the game's handlers, the
// 20 ms tick, the panels and the message boxes, and drawing the window only
// when something the player sees changed.
//
// One pass of the loop sleeps in SDL_WaitEventTimeout until an event comes
// or the next tick is due, handles every waiting event, runs the tick when
// it is due, repaints what the game asked to, and draws a frame if anything
// changed. A message box runs passes of its own until it is answered, so the
// picture and the ticks go on behind it; a box raised by a tick holds that
// tick (and every other) until it is answered.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/tick_scheduler.h"
#include "core/input_state.h"
#include "menus/message_box_model.h"
#include "menus/panels.h"
#include "platform/dialogs.h"
#include "platform/sdl/box_view.h"
#include "platform/sdl/debugger_view.h"
#include "platform/sdl/imgui_layer.h"
#include "platform/sdl/input_mapping.h"
#include "platform/sdl/notice_view.h"
#include "platform/sdl/panel_view.h"
#include "platform/sdl/reader_settings_view.h"
#include "platform/sdl/sdl_window.h"

union SDL_Event;


namespace velmor::platform::sdl {

// The game as the loop drives it. Any of these may throw QuitSignal (the
// game has shut down), which ends the loop; panel handlers and the close
// query may throw GameError, which the loop reports through ReportError.
class GameEvents {
 public:
  virtual ~GameEvents() = default;
  virtual void TimerTimer() = 0;
  // How long the ticks may rest without changing anything (see
  // TForm1::IdleFor); nothing when they must run on time.
  virtual std::optional<uint32_t> IdleFor() { return std::nullopt; }
  virtual void PaintIfInvalid() = 0;
  virtual void MouseDown(PointerButton button) = 0;
  virtual void MouseUp() = 0;
  virtual void KeyDown(Modifiers held) = 0;
  virtual void KeyUp() = 0;
  // A key or the wheel in place of the mouse; only while no panel or box
  // has the keyboard.
  virtual void ReaderKey(ReaderKey key) = 0;
  virtual void MouseWheel(WheelTurn turn) = 0;
  // The window manager asks to close the window.
  virtual void CloseQuery() = 0;
  // A signal asks to end: the game quits without a question.
  [[noreturn]] virtual void QuitNow() = 0;
  // The window's client area changed size (a normal window).
  virtual void DisplayResized() = 0;
  // An error no handler caught, in a box of the application's own.
  virtual void ReportError(const std::string& sjis_text) = 0;
  virtual menus::Panels& Panels() = 0;
  // The picture as the player sees it without the panels (a screenshot).
  virtual Bitmap ScreenPicture() = 0;
  // The reading mode that is on, in a few words; empty when none is.
  virtual std::string ReaderIndicator() { return {}; }
  // The reader's own settings (F1): as they are, and changed by the player;
  // `keep`: the edit is finished, the file is written. What to tell the
  // player (a file that could not be written), or nothing.
  virtual app::ReaderSettings CurrentReaderSettings() { return {}; }
  virtual std::string ReaderSettingsChanged(const app::ReaderSettings&, bool /*keep*/) {
    return {};
  }
  // The debugger if it is on; EnableDebugger turns it on (null: the game
  // has none).
  virtual app::Debugger* Debugger() { return nullptr; }
  virtual app::Debugger* EnableDebugger() { return nullptr; }
};

class SdlFrontEnd {
 public:
  SdlFrontEnd(SdlWindow& window, ImGuiLayer& ui);
  ~SdlFrontEnd();
  SdlFrontEnd(const SdlFrontEnd&) = delete;
  SdlFrontEnd& operator=(const SdlFrontEnd&) = delete;

  void Attach(GameEvents& game) { game_ = &game; }
  // The game has started: the ticks begin, and the game paints.
  void Start();
  // Runs until the game ends (QuitSignal, which this lets through).
  [[noreturn]] void Run();
  // Shows a box inside the window and returns when it is answered.
  Answer RunMessageBox(menus::MessageBoxModel& box);
  // One pass of the loop: wait for an event or the next tick, handle the
  // events, run the tick when it is due, repaint, draw if anything changed.
  // Run repeats it; tests step it.
  void Pass();

  // Shows the debugger's window (the game's debugger is turned on), or
  // hides it. F9 does the same where the debugger may be used: when it is
  // on, and in a debug build at any time.
  void ShowDebugger(bool shown);
  bool DebuggerShown() const { return debugger_shown_; }

  // A tick is running (a box it raises holds it).
  bool InTick() const { return tick_depth_ > 0; }
  uint64_t Ticks() const { return ticks_; }
  const app::TickScheduler& scheduler() const { return scheduler_; }
  const PanelView& panel_view() const { return panel_view_; }
  const NoticeView& notice() const { return notice_view_; }
  const NoticeView& mode_indicator() const { return mode_view_; }
  const ReaderSettingsView& reader_settings_view() const { return settings_view_; }
  // A line in the lower right corner for a while (a damaged settings file).
  void ShowNotice(std::string utf8);

 private:
  void HandleEvent(const SDL_Event& e);
  void HandleMouseButton(const SDL_Event& e, bool down);
  void HandleKey(const SDL_Event& e, bool down);
  void HandleWheel(const SDL_Event& e);
  void RunWindowCommand(WindowCommand command);
  // F12, once the frame asked for is drawn: the picture with what the
  // panels and boxes cover of it, into the pictures folder; the notice says
  // how it went.
  void TakeScreenshot();
  // The corner shows the reading mode the game has on.
  void ShowReaderMode();
  // F1: the reader's settings window opens, or closes and is kept.
  void ToggleReaderSettings();
  void ReaderSettingsEdited(const ReaderSettingsView::Result& result);
  void HandleWindowEvent(const SDL_Event& e);
  void HandleTextEditing(const char* text, int start);
  void RunTick();
  void RenderIfNeeded();
  void RunActions(std::vector<PanelAction>& actions);
  void ReleaseDeferredKeys();
  // Runs a game handler; a GameError it raises is reported.
  template <class F>
  void Guarded(F&& handler);
  // Starts or stops text input (and the input method) as the focus is on a
  // name field or not.
  void UpdateTextInput();
  // The name field typed text and compositions go to, if any.
  Edit* TextInputField();
  // Whether text from the input method is (a piece of) the echo of a
  // composition a field took in itself; an echo is taken only once.
  bool TakeImeEcho(std::string_view text);
  bool UiActive();
  // A panel or a box is open (the debugger's window aside).
  bool PanelsOrBoxes();
  // Whether the window pixel belongs to ImGui rather than the game.
  bool OnUi(Point p);
  // F9 and F5 are the debugger's where it may be used; elsewhere the game
  // hears them as any key.
  bool DebuggerKey(WindowCommand command);
  void CheckQuitSignal();

  SdlWindow& window_;
  ImGuiLayer& ui_;
  PanelView panel_view_;
  BoxView box_view_;
  DebuggerView debugger_view_;
  bool debugger_shown_ = false;
  std::vector<std::function<void()>> debugger_actions_;  // run after the frame
  NoticeView notice_view_;
  NoticeView mode_view_;  // the reading mode, in the upper corner
  ReaderSettingsView settings_view_;
  bool screenshot_due_ = false;
  GameEvents* game_ = nullptr;
  app::TickScheduler scheduler_;
  bool started_ = false;
  int tick_depth_ = 0;
  uint64_t ticks_ = 0;

  std::vector<menus::MessageBoxModel*> boxes_;  // open boxes, innermost last
  std::vector<PanelAction> pending_;     // from keys, run after the events
  bool redraw_now_ = false;              // another frame without waiting
  bool ui_input_ = false;                // ImGui was given input this pass
  uint64_t last_ui_frame_ms_ = 0;
  uint64_t panels_drawn_ = 0;  // the panels' signature when last drawn
  bool ui_was_active_ = false;
  std::array<bool, 4> pressed_on_game_{};  // which buttons went down on the game
  std::vector<int> keys_down_unseen_;        // keys down since ImGui's last frame
  std::vector<SDL_Event> deferred_key_ups_;  // their releases, held back
  Edit* text_input_for_ = nullptr;  // the field text input is on for
  bool text_input_on_ = false;
  bool ime_composing_ = false;      // the input method has a composition going
  std::string ime_composition_;     // the composition it last showed
  std::string ime_echo_;            // a taken composition it may still send
};

}  // namespace velmor::platform::sdl
