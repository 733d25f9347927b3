// The session's time and state: starting, the ticks and their rests, the
// boxes' answers, the views' frames, the reader's settings window, the
// debugger's window and the screenshots.
#include "session/session.h"

#include <algorithm>

#include "core/errors.h"
#include "core/texts.h"
#include "menus/panel_layout.h"

namespace velmor::session {

Session::Session(app::TForm1& game, BoxStack& boxes) : game_(game), boxes_(boxes) {}

void Session::Run(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const GameError& e) {
    game_.ReportError(e.message());
  } catch (const AwaitingAnswer&) {
  }
}

void Session::SettleBoxes() {
  const std::size_t before = boxes_.size();
  Run([this] { boxes_.Settle(); });
  if (boxes_.size() != before) redraw_ = true;
}

std::optional<int> Session::StartGame() {
  std::optional<int> exit_code;
  try {
    exit_code = game_.FormCreate();
  } catch (const AwaitingAnswer&) {
    // A box says why the game cannot start; it ends once it is answered.
  }
  if (!exit_code && !game_.startup_failure().empty()) exit_code = 1;
  redraw_ = true;
  return exit_code;
}

void Session::Begin(uint64_t now_ms) {
  started_ = true;
  now_ms_ = now_ms;
  scheduler_.Restart(now_ms);
  redraw_ = true;
}

void Session::QuitNow() { game_.QuitNow(); }

// --- Time ---

uint64_t Session::WaitMs(uint64_t now_ms) {
  now_ms_ = now_ms;
  uint64_t wait = kIdleWaitMs;
  resting_ = false;
  if (started_ && !boxes_.HoldsTicks()) {
    wait = std::min(wait, scheduler_.WaitMs(now_ms));
    // At a click wait the ticks rest until the player does something (or a
    // repeating piece of music needs its next start): no wake-ups for
    // nothing. An open panel still needs its caret drawn.
    if (std::optional<uint32_t> rest = game_.IdleFor()) {
      const uint64_t most = !UiActive()                          ? longest_rest_ms_
                            : views_ != nullptr && views_->TextActive() ? kCaretFrameMs
                                                                        : kIdleUiFrameMs;
      wait = std::max(wait, std::min<uint64_t>(*rest, most));
      resting_ = true;
    }
  }
  // A notice goes on time.
  if (notice_.Shown()) wait = std::min(wait, notice_.MsLeft(now_ms));
  if (redraw_) wait = 0;
  return wait;
}

void Session::Advance(uint64_t now_ms) {
  now_ms_ = now_ms;
  // After a rest the ticks start again at once: the event (or the music)
  // is seen by a tick without delay.
  constexpr uint64_t kPeriod = TickScheduler::kPeriodMs;
  if (resting_) scheduler_.Restart(std::max<uint64_t>(now_ms, kPeriod) - kPeriod);
  resting_ = false;
  if (boxes_.empty()) RunActions(pending_);
  if (started_) Run([this] { game_.PaintIfInvalid(); });
  if (started_ && !boxes_.HoldsTicks() && scheduler_.TakeDue(now_ms)) {
    RunTick();
    if (debugger_shown_) redraw_ = true;  // its window follows the scenario
  }
  AfterEvents(now_ms);
}

void Session::Tick(uint64_t now_ms) {
  now_ms_ = now_ms;
  if (started_ && !boxes_.HoldsTicks()) RunTick();
  AfterEvents(now_ms);
}

void Session::AfterEvents(uint64_t now_ms) {
  now_ms_ = now_ms;
  // Keys the panels took; a box opened meanwhile keeps them for later.
  if (boxes_.empty()) RunActions(pending_);
  if (started_) Run([this] { game_.PaintIfInvalid(); });
  UpdateTextInput();
  if (notice_.Expire(now_ms)) redraw_ = true;
  if (std::string told = started_ ? game_.TakeReaderNotice() : ""; !told.empty()) {
    if (tell) tell(told);
    ShowNotice(std::move(told));
  }
  ShowReaderMode();
}

void Session::RunTick() {
  ++ticks_;
  boxes_.SetInTick(true);
  try {
    game_.TimerTimer();
  } catch (...) {
    boxes_.SetInTick(false);
    throw;
  }
  boxes_.SetInTick(false);
  Run([this] { game_.PaintIfInvalid(); });
}

void Session::RunActions(std::vector<menus::PanelAction>& actions) {
  std::vector<menus::PanelAction> now;
  now.swap(actions);
  for (std::size_t i = 0; i < now.size(); ++i) {
    // A box an action opens keeps the rest for when it is answered.
    if (!boxes_.empty()) {
      actions.insert(actions.begin(), now.begin() + static_cast<std::ptrdiff_t>(i), now.end());
      break;
    }
    Run([&] { menus::RunPanelAction(now[i]); });
  }
  if (!now.empty()) redraw_ = true;
}

bool Session::TakeRedraw() {
  const bool due = redraw_;
  redraw_ = false;
  return due;
}

bool Session::PanelsOrBoxes() {
  return !boxes_.empty() || settings_window_.open || menus::AnyPanelVisible(game_.panels());
}

void Session::ShowNotice(std::string utf8) {
  if (on_notice) on_notice(utf8);
  notice_.Show(std::move(utf8), now_ms_);
  redraw_ = true;
}

void Session::ShowReaderMode() {
  // Not in the frame a screenshot keeps.
  if (!started_ || screenshot_due_) return;
  std::string text = game_.ReaderIndicator();
  if (text == mode_.text()) return;
  mode_.ShowSteady(std::move(text));
  redraw_ = true;
}

// --- The views' frames ---

void Session::TakeViewOutcome(ViewOutcome outcome) {
  RunActions(outcome.actions);
  pending_.insert(pending_.end(), outcome.actions.begin(), outcome.actions.end());
  ReaderSettingsEdited(outcome.settings_changed, outcome.settings_finished);
  if (outcome.open_saves && started_)
    Run([&] {
      game_.OpenSaveScreen(*outcome.open_saves ? app::SaveScreen::Mode::Save
                                               : app::SaveScreen::Mode::Load);
    });
  for (const std::function<void()>& action : outcome.debugger_actions) Run(action);
  if (outcome.debugger_moved) DebuggerMoved(*outcome.debugger_moved);
  SettleBoxes();
}

void Session::DebuggerMoved(Rect place) {
  // Kept with the reader's settings, so that the window opens there again;
  // an open settings window keeps it too, not the place it was opened with.
  settings_window_.settings.debugger_window = place;
  app::ReaderSettings settings = game_.reader_settings();
  settings.debugger_window = place;
  std::string problem;
  Run([&] {
    game_.ApplyReaderSettings(settings);
    std::string error;
    if (settings_file_ != nullptr && !settings_file_->Save(game_.reader_settings(), &error))
      problem = Fill(Tr("The debugger's place could not be kept: %s"), {error});
  });
  if (!problem.empty()) ShowNotice(problem);
}

// --- The reader's settings window ---

void Session::ToggleReaderSettings() {
  if (settings_window_.open) {
    settings_window_.open = false;
    ReaderSettingsEdited(false, true);
  } else if (boxes_.empty() && started_) {
    settings_window_ = {true, game_.reader_settings()};
  }
  redraw_ = true;
}

void Session::ReaderSettingsEdited(bool changed, bool finished) {
  if (!changed && !finished) return;
  std::string problem;
  Run([&] {
    game_.ApplyReaderSettings(settings_window_.settings);
    std::string error;
    if (finished && settings_file_ != nullptr &&
        !settings_file_->Save(game_.reader_settings(), &error)) {
      if (tell) tell(Fill(Tr("the reader settings could not be kept: %s"), {error}));
      problem = Fill(Tr("The settings could not be kept: %s"), {error});
    }
  });
  if (!problem.empty()) ShowNotice(problem);
  redraw_ = true;
}

// --- The debugger ---

app::Debugger* Session::debugger() { return game_.debugger(); }

app::Debugger& Session::EnableDebugger() {
  if (game_.debugger() == nullptr) game_.EnableDebugger().SetLabelAssembler(labels_);
  return *game_.debugger();
}

void Session::ShowDebugger(bool shown) {
  debugger_shown_ = shown;
  if (shown) EnableDebugger();
  redraw_ = true;
}

bool Session::DebuggerKey(WindowCommand command) {
  if (command != WindowCommand::ToggleDebugger && command != WindowCommand::Reload) return true;
  if (!started_) return false;
#ifdef NDEBUG
  if (debugger() == nullptr) return false;
#endif
  return command == WindowCommand::ToggleDebugger || debugger() != nullptr;
}

void Session::ReloadScenario() {
  app::Debugger* d = debugger();
  if (d == nullptr) return;
  std::string why;
  Run([&] { debugger_note_ = d->Reload(&why) ? "" : why; });
  redraw_ = true;
}

// --- Screenshots ---

void Session::ScreenshotSaved(std::string notice_utf8) {
  screenshot_due_ = false;
  ShowNotice(std::move(notice_utf8));
}

void Session::RunWindowCommand(WindowCommand command) {
  switch (command) {
    case WindowCommand::ToggleFullScreen:
      // The picture follows the new client area at once (the window system
      // may or may not tell of the new size later; then it changes nothing).
      if (window_ != nullptr && window_->ToggleFullScreen() && started_)
        Run([this] { game_.FormResize(); });
      redraw_ = true;
      break;
    case WindowCommand::ReaderSettings: ToggleReaderSettings(); break;
    case WindowCommand::ToggleDebugger: ShowDebugger(!debugger_shown_); break;
    case WindowCommand::Reload: ReloadScenario(); break;
    case WindowCommand::Screenshot:
      // The next frame is drawn and kept as the player sees it, without an
      // earlier notice.
      screenshot_due_ = true;
      notice_.Hide();
      mode_.Hide();
      redraw_ = true;
      if (window_ != nullptr) window_->CaptureNextFrame();
      break;
  }
}

}  // namespace velmor::session
