// One session drives the game: every front end (the real window, the
// browser, the headless input script) only translates what the player does
// into the neutral events of core/input_events.h and hands them here, and
// the session decides, in one place, who gets each of them: an open message
// box, the reader's settings window, a panel and its focused name field,
// the debugger's window, or the game; the window's own keys (full screen,
// screenshot, settings, debugger) act whatever has the keyboard. It also
// keeps the 20 ms ticks on time, holds the open boxes, the notices in the
// window's corners and the reader's settings window as state, and tells the
// front end when to draw and whether it wants typed text.
//
// It never blocks, sleeps or reads a clock: a real-time front end asks
// WaitMs how long it may sleep, delivers the events that came, and calls
// Advance with the time; the headless one calls Tick for each tick of its
// virtual clock and AfterEvents after each command.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/debugger.h"
#include "app/form.h"
#include "app/reader_settings.h"
#include "session/tick_scheduler.h"
#include "core/input_events.h"
#include "menus/panel_focus.h"
#include "session/box_stack.h"
#include "session/keys.h"
#include "session/notice.h"
#include "session/views.h"

namespace velmor::session {

// What the session asks of the front end's window; the headless front end
// has none (full screen then changes nothing).
class WindowControls {
 public:
  virtual ~WindowControls() = default;
  // Switches between full screen and a window; true when the client area
  // changed size (the window has taken the new size).
  virtual bool ToggleFullScreen() = 0;
  // The next frame drawn is kept for a screenshot.
  virtual void CaptureNextFrame() = 0;
};

// Whether the front end should take typed text and an input method's
// compositions (a name field or the debugger's number field has the
// keyboard), and where the field is for the input method's candidates.
struct TextInput {
  bool on = false;
  // Counts the times the input method had to forget a composition that a
  // field took in itself: text input goes off and on again when it moves.
  uint64_t resets = 0;
  Rect field;           // window pixels; empty for the debugger's field
  uint64_t field_moves = 0;  // counts the times the field changed
};

// The reader's own settings window (F1): open or not, and the settings as
// the player is editing them.
struct ReaderSettingsWindow {
  bool open = false;
  app::ReaderSettings settings;
};

class Session {
 public:
  // The longest sleep of a front end when no tick is due (the ticks have not
  // started, or a box holds them): a signal is still noticed this quickly.
  static constexpr uint64_t kIdleWaitMs = 50;
  // The longest rest at a click wait (the ticks would change nothing until
  // an event comes).
  static constexpr uint64_t kRestMs = 250;
  // How often an open panel or box is drawn without input: often enough for
  // a name field's caret (on 0.8 s, off 0.4 s), rarely when nothing moves.
  static constexpr uint64_t kCaretFrameMs = 100;
  static constexpr uint64_t kIdleUiFrameMs = 500;

  Session(app::TForm1& game, BoxStack& boxes);
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // --- What the front end plugs in (all optional) ---
  // A front end that runs a pass at once for every event (the page does)
  // may rest longer at a click wait than kRestMs.
  void SetLongestRest(uint64_t ms) { longest_rest_ms_ = ms; }
  void SetViews(Views* views) { views_ = views; }
  void SetWindowControls(WindowControls* window) { window_ = window; }
  void SetReaderSettingsFile(app::ReaderSettingsFile* file) { settings_file_ = file; }
  // The debugger's labels come from the scenario sources, assembled by this.
  void SetLabelAssembler(language::LabelAssembler labels) { labels_ = std::move(labels); }
  // Lines for the terminal (a settings file that could not be kept).
  std::function<void(const std::string& line)> tell;
  // Each notice shown in the lower right corner, as it is shown.
  std::function<void(const std::string& utf8)> on_notice;

  // --- Starting ---
  // The game's start-up (see TForm1::FormCreate): the exit code when the
  // program ends without starting. A box it opened may still be waiting
  // for its answer (AwaitsAnswer): the program ends once it is answered.
  std::optional<int> StartGame();
  // The game has started: the ticks begin one period after `now_ms`; the
  // game paints after the next events.
  void Begin(uint64_t now_ms);
  bool started() const { return started_; }

  // --- Input ---
  // Any event, as the functions below take it.
  void Deliver(const InputEvent& e);
  void Key(const KeyEvent& e);
  // Typed text, or text an input method committed (UTF-8).
  void Text(std::string_view utf8);
  // The input method's composition changed (empty: it has none); `cursor`
  // counts characters.
  void Compose(std::string_view utf8, int cursor);
  void Button(const ButtonEvent& e);
  void Wheel(const WheelEvent& e);
  // The pointer moved to window pixel `at` (the window has noted it).
  void Pointer(Point at);
  void Window(WindowEvent e);
  // A signal asks to end: the game quits without a question (QuitSignal).
  [[noreturn]] void QuitNow();

  // --- Time ---
  // How long a real-time front end may sleep before Advance is due (0: at
  // once); at a click wait the ticks rest until the player does something.
  uint64_t WaitMs(uint64_t now_ms);
  // After the events that came: the panels' actions, a repaint the game
  // asked for, the tick when it is due, typed text on or off, the notices.
  void Advance(uint64_t now_ms);
  // One tick now (the headless front end's virtual clock), then what
  // follows events.
  void Tick(uint64_t now_ms);
  // What follows each batch of events, without a tick.
  void AfterEvents(uint64_t now_ms);
  uint64_t ticks() const { return ticks_; }

  // Runs `handler` as an event of its own: a failure inside it is shown and
  // the game goes on; a box it opened may hold the rest of it. QuitSignal
  // passes through.
  void Run(const std::function<void()>& handler);

  // --- What the front end and the views read ---
  // A panel, a box or the reader's settings keep the game's input to
  // themselves (the debugger's window stands beside the game and does not).
  bool PanelsOrBoxes();
  // Something is drawn over the game's picture that takes input.
  bool UiActive() { return PanelsOrBoxes() || debugger_shown_; }
  // Anything is drawn over the picture (the notices too).
  bool UiShown() { return UiActive() || notice_.Shown() || mode_.Shown(); }
  // Takes the session's wish for a frame at once (a box opened or closed,
  // a panel's action ran, a notice came or went).
  bool TakeRedraw();
  bool RedrawPending() const { return redraw_; }
  const TextInput& text_input() const { return text_input_; }
  BoxStack& boxes() { return boxes_; }
  const Notice& notice() const { return notice_; }
  const Notice& mode_indicator() const { return mode_; }
  ReaderSettingsWindow& reader_settings_window() { return settings_window_; }
  bool DebuggerShown() const { return debugger_shown_; }
  // What the debugger's window says about the last reload or edit refused.
  std::string& debugger_note() { return debugger_note_; }
  app::Debugger* debugger();
  app::TForm1& game() { return game_; }
  // A line in the lower right corner for a while (a damaged settings file).
  void ShowNotice(std::string utf8);

  // --- The debugger ---
  // Shows the debugger's window (the game's debugger is turned on), or hides
  // it. F9 does the same where the debugger may be used.
  void ShowDebugger(bool shown);
  // Turns the game's debugger on with the labels (once).
  app::Debugger& EnableDebugger();
  void ReloadScenario();

  // --- What a frame of the views did ---
  // Runs what the player did in the views' last frame: the panels'
  // actions, an edit of the reader's settings, the debugger's buttons, and
  // the answer of a box.
  void TakeViewOutcome(ViewOutcome outcome);

  // --- Screenshots (F12) ---
  // A screenshot was asked for: the front end draws the next frame, keeps
  // it, saves the picture and tells ScreenshotSaved what to say.
  bool ScreenshotDue() const { return screenshot_due_; }
  Bitmap ScreenPicture() { return game_.ScreenPicture(); }
  void ScreenshotSaved(std::string notice_utf8);

 private:
  void SettleBoxes();
  bool OnUi(Point p);
  // A field of the debugger's window, shown, has the keyboard.
  bool DebuggerTyping() const;
  void ToViews(const auto& event);
  bool WindowKey(const KeyEvent& e);
  bool BoxKey(const KeyEvent& e);
  bool SettingsKey(const KeyEvent& e);
  void GameKey(const KeyEvent& e);
  bool DebuggerKey(WindowCommand command);
  void RunWindowCommand(WindowCommand command);
  void ToggleReaderSettings();
  void ReaderSettingsEdited(bool changed, bool finished);
  void DebuggerMoved(Rect place);
  void RunActions(std::vector<menus::PanelAction>& actions);
  void RunTick();
  void UpdateTextInput();
  Edit* TextInputField();
  bool TakeImeEcho(std::string_view text);
  void ShowReaderMode();

  app::TForm1& game_;
  BoxStack& boxes_;
  Views* views_ = nullptr;
  WindowControls* window_ = nullptr;
  app::ReaderSettingsFile* settings_file_ = nullptr;
  language::LabelAssembler labels_;

  bool started_ = false;
  uint64_t now_ms_ = 0;
  uint64_t ticks_ = 0;
  TickScheduler scheduler_{0};
  bool resting_ = false;
  uint64_t longest_rest_ms_ = kRestMs;
  bool redraw_ = false;

  std::vector<menus::PanelAction> pending_;  // from keys, run after the events
  std::vector<velmor::Key> window_keys_down_;  // the window's keys held: their releases too are its own
  std::array<bool, 4> pressed_on_game_{};    // which buttons went down on the game
  Notice notice_;
  Notice mode_;  // the reading mode, in the upper corner
  ReaderSettingsWindow settings_window_;
  bool debugger_shown_ = false;
  std::string debugger_note_;
  bool screenshot_due_ = false;

  TextInput text_input_;
  Edit* text_input_for_ = nullptr;  // the field text input is on for
  bool ime_composing_ = false;      // the input method has a composition going
  std::string ime_composition_;     // the composition it last showed
  std::string ime_echo_;            // a taken composition it may still send
};

}  // namespace velmor::session
