#include "platform/sdl/front_end.h"

#include <SDL.h>

#include <algorithm>

#include "core/errors.h"
#include "menus/panel_digest.h"
#include "menus/panel_focus.h"
#include "menus/panel_layout.h"
#include "platform/sdl/sdl_platform.h"
#include "platform/shared/screenshot.h"

namespace velmor::platform::sdl {

using menus::AnyPanelVisible;
using menus::PanelAt;
using menus::PanelsDigest;
using menus::WindowRect;

namespace {

// The longest sleep of a pass when no tick is due (the ticks have not
// started, or a box holds them): a signal is still noticed this quickly.
constexpr uint64_t kIdleWaitMs = 50;
// The longest rest at a click wait (the ticks would change nothing until an
// event comes): a signal is still noticed this quickly.
constexpr uint64_t kRestMs = 250;
// How often an open panel or box is drawn without input: often enough for a
// name field's caret (on 0.8 s, off 0.4 s), rarely when nothing moves.
constexpr uint64_t kCaretFrameMs = 100;
constexpr uint64_t kIdleUiFrameMs = 500;

}  // namespace

SdlFrontEnd::SdlFrontEnd(SdlWindow& window, ImGuiLayer& ui)
    : window_(window),
      ui_(ui),
      panel_view_(ui),
      box_view_(ui),
      debugger_view_(ui),
      notice_view_(ui),
      mode_view_(ui, NoticeView::Corner::TopRight),
      settings_view_(ui),
      scheduler_(SDL_GetTicks64()) {
  // SDL starts with text input on; it is on only while a name field has the
  // keyboard.
  SDL_StopTextInput();
  // The panels are drawn with whatever renderer the window has now (a new
  // size can give it a new one).
  window_.on_renderer_change = [this](SDL_Renderer* r) { ui_.SetRenderer(r); };
}

SdlFrontEnd::~SdlFrontEnd() { window_.on_renderer_change = nullptr; }

void SdlFrontEnd::Start() {
  started_ = true;
  scheduler_.Restart(SDL_GetTicks64());
  window_.Invalidate();
  if (game_ != nullptr) game_->PaintIfInvalid();
  // What the first frame did not need, before the first tick.
  ui_.StartBackend();
}

void SdlFrontEnd::Run() {
  for (;;) Pass();
}

Answer SdlFrontEnd::RunMessageBox(menus::MessageBoxModel& box) {
  boxes_.push_back(&box);
  struct Close {
    SdlFrontEnd& f;
    ~Close() {
      f.boxes_.pop_back();
      f.redraw_now_ = true;
    }
  } close{*this};
  redraw_now_ = true;
  UpdateTextInput();
  while (!box.answer()) Pass();
  return *box.answer();
}

bool SdlFrontEnd::UiActive() { return PanelsOrBoxes() || debugger_shown_; }

// What keeps the game's input to itself: a box, the reader's settings, a
// panel. The debugger stands beside the game and does not.
bool SdlFrontEnd::PanelsOrBoxes() {
  return !boxes_.empty() || settings_view_.open() ||
         (game_ != nullptr && AnyPanelVisible(game_->Panels()));
}

void SdlFrontEnd::ShowNotice(std::string utf8) {
  notice_view_.Show(std::move(utf8), SDL_GetTicks64());
  redraw_now_ = true;
}

void SdlFrontEnd::ToggleReaderSettings() {
  if (settings_view_.open()) {
    settings_view_.Close();
    ReaderSettingsEdited({false, true});
  } else if (boxes_.empty() && started_ && game_ != nullptr) {
    settings_view_.Open(game_->CurrentReaderSettings());
  }
  redraw_now_ = true;
}

void SdlFrontEnd::ReaderSettingsEdited(const ReaderSettingsView::Result& result) {
  if ((!result.changed && !result.finished) || game_ == nullptr) return;
  std::string problem;
  Guarded([&] {
    problem = game_->ReaderSettingsChanged(settings_view_.settings(), result.finished);
  });
  if (!problem.empty()) ShowNotice(problem);
  redraw_now_ = true;
}

bool SdlFrontEnd::OnUi(Point p) {
  return (game_ != nullptr && PanelAt(game_->Panels(), p) != nullptr) ||
         (debugger_shown_ && debugger_view_.Covers(p));
}

void SdlFrontEnd::ShowDebugger(bool shown) {
  debugger_shown_ = shown && game_ != nullptr && game_->EnableDebugger() != nullptr;
  if (!debugger_shown_) debugger_view_.Hide();
  redraw_now_ = true;
}

bool SdlFrontEnd::DebuggerKey(WindowCommand command) {
  if (command != WindowCommand::ToggleDebugger && command != WindowCommand::Reload) return true;
  if (game_ == nullptr || !started_) return false;
#ifdef NDEBUG
  if (game_->Debugger() == nullptr) return false;
#endif
  return command == WindowCommand::ToggleDebugger || game_->Debugger() != nullptr;
}

template <class F>
void SdlFrontEnd::Guarded(F&& handler) {
  try {
    handler();
  } catch (const GameError& e) {
    if (game_ != nullptr) game_->ReportError(e.message());
  }
}

void SdlFrontEnd::CheckQuitSignal() {
  if (!QuitSignalled()) return;
  if (game_ != nullptr) game_->QuitNow();
  throw QuitSignal{};
}

void SdlFrontEnd::Pass() {
  const bool ticking = started_ && tick_depth_ == 0;
  uint64_t wait = kIdleWaitMs;
  bool resting = false;
  if (ticking) {
    wait = std::min(wait, scheduler_.WaitMs(SDL_GetTicks64()));
    // At a click wait the ticks rest until the player does something (or a
    // repeating piece of music needs its next start): no wake-ups for
    // nothing. An open panel still needs its caret drawn.
    if (std::optional<uint32_t> rest = game_->IdleFor()) {
      const uint64_t most = !UiActive() ? kRestMs : ui_.TextActive() ? kCaretFrameMs : kIdleUiFrameMs;
      wait = std::max(wait, std::min<uint64_t>(*rest, most));
      resting = true;
    }
  }
  // A notice goes on time.
  if (notice_view_.Shown()) wait = std::min(wait, notice_view_.MsLeft(SDL_GetTicks64()));
  // What the game drew outside a pass (its first paint) is shown first.
  if (redraw_now_ || window_.NeedsRender()) wait = 0;

  SDL_Event e;
  bool got = wait == 0 ? SDL_PollEvent(&e) != 0
                       : SDL_WaitEventTimeout(&e, static_cast<int>(wait)) != 0;
  if (got) {
    HandleEvent(e);
    while (SDL_PollEvent(&e)) HandleEvent(e);
  }
  // After a rest the ticks start again at once: the event (or the music)
  // is seen by a tick without delay.
  constexpr uint64_t kPeriod = app::TickScheduler::kPeriodMs;
  if (resting) scheduler_.Restart(std::max<uint64_t>(SDL_GetTicks64(), kPeriod) - kPeriod);
  CheckQuitSignal();
  // Keys the panels took; a box opened meanwhile keeps them for later.
  if (boxes_.empty()) RunActions(pending_);
  if (started_ && game_ != nullptr) game_->PaintIfInvalid();

  if (started_ && tick_depth_ == 0 && scheduler_.TakeDue(SDL_GetTicks64())) {
    RunTick();
    if (debugger_shown_) redraw_now_ = true;  // its window follows the scenario
  }
  UpdateTextInput();
  if (notice_view_.Expire(SDL_GetTicks64())) redraw_now_ = true;
  ShowReaderMode();
  RenderIfNeeded();
  if (screenshot_due_) TakeScreenshot();
}

void SdlFrontEnd::RunTick() {
  ++tick_depth_;
  ++ticks_;
  try {
    game_->TimerTimer();
  } catch (...) {
    --tick_depth_;
    throw;
  }
  --tick_depth_;
  game_->PaintIfInvalid();
}

void SdlFrontEnd::RunActions(std::vector<PanelAction>& actions) {
  std::vector<PanelAction> now;
  now.swap(actions);
  for (const PanelAction& a : now) Guarded([&] { menus::RunPanelAction(a); });
  if (!now.empty()) redraw_now_ = true;
}

void SdlFrontEnd::RenderIfNeeded() {
  // The panels, the boxes and the notice are drawn over the scene.
  const bool ui = UiActive() || notice_view_.Shown() || mode_view_.Shown();
  const uint64_t now = SDL_GetTicks64();
  bool need = window_.NeedsRender() || redraw_now_ || ui != ui_was_active_;
  const uint64_t shown = game_ != nullptr ? PanelsDigest(game_->Panels()) : 0;
  if (shown != panels_drawn_) need = true;
  if (ui && !need) {
    // The panels and boxes change only with the player's input, except for a
    // name field's blinking caret and a held spin arrow that repeats.
    // A held press comes first: a click on a button while a name field is
    // being edited must not wait for the caret's next blink.
    const uint64_t every = ui_.ItemHeld()                               ? 0
                           : ui_.TextActive() || panel_view_.Flashing() ? kCaretFrameMs
                                                                        : kIdleUiFrameMs;
    need = ui_input_ || now - last_ui_frame_ms_ >= every;
  }
  ui_input_ = false;
  if (!need) return;
  redraw_now_ = false;
  ui_was_active_ = ui;
  if (!ui) {
    window_.Render(nullptr);
    panels_drawn_ = shown;
    ReleaseDeferredKeys();
    return;
  }
  std::vector<PanelAction> actions;
  ReaderSettingsView::Result edited;
  auto frame = [&] {
    ui_.BeginFrame();
    if (game_ != nullptr)
      panel_view_.Draw(game_->Panels(), boxes_.empty() && !settings_view_.open(), actions);
    const ReaderSettingsView::Result r = settings_view_.Draw();
    edited.changed |= r.changed;
    edited.finished |= r.finished;
    box_view_.Draw(boxes_);
    if (debugger_shown_ && game_ != nullptr)
      if (app::Debugger* d = game_->Debugger()) debugger_view_.Draw(*d, debugger_actions_);
    notice_view_.Draw();
    mode_view_.Draw();
    ui_.EndFrame();
  };
  frame();
  // Characters the fonts did not have yet: drawn again with them.
  if (ui_.AtlasOutdated()) frame();
  last_ui_frame_ms_ = now;
  panels_drawn_ = game_ != nullptr ? PanelsDigest(game_->Panels()) : 0;
  if (panel_view_.WantsNextFrame() || box_view_.WantsNextFrame() ||
      settings_view_.WantsNextFrame())
    redraw_now_ = true;
  const ImGuiLayer::Area drawn = ui_.DrawnArea();
  const Overlay overlay{[this] { ui_.RenderDrawData(); },
                        Rect{drawn.left, drawn.top, drawn.right, drawn.bottom}};
  window_.Render(&overlay);
  ReleaseDeferredKeys();
  RunActions(actions);
  ReaderSettingsEdited(edited);
  std::vector<std::function<void()>> debugger_actions;
  debugger_actions.swap(debugger_actions_);
  for (const std::function<void()>& action : debugger_actions) Guarded(action);
}

void SdlFrontEnd::ReleaseDeferredKeys() {
  // ImGui has seen the keys that went down; the releases held back go now.
  keys_down_unseen_.clear();
  for (const SDL_Event& up : deferred_key_ups_) ui_.ProcessEvent(up);
  if (!deferred_key_ups_.empty()) redraw_now_ = true;
  deferred_key_ups_.clear();
}

void SdlFrontEnd::UpdateTextInput() {
  Edit* edit = nullptr;
  if (boxes_.empty() && game_ != nullptr && AnyPanelVisible(game_->Panels()))
    edit = menus::FocusedEdit(game_->Panels());
  // A field that loses the keyboard (to another field, a button, a box, a
  // closed panel) keeps what was being composed in it.
  if (text_input_for_ != nullptr && edit != text_input_for_) text_input_for_->CommitComposition();
  // The input method must forget a composition the field has taken in
  // itself, or it would go on with it (in the next field). Stopping text
  // input resets it (SDL_ClearComposition does nothing on X11). An input
  // method set to commit its composition when reset (Anthy's "commit on
  // focus out") then sends it once more, a moment later, when text input is
  // on again: that echo is not typed text.
  const bool taken =
      ime_composing_ && (edit == nullptr || edit != text_input_for_ || edit->composition.empty());
  if (taken) ime_echo_ = ime_composition_;
  // The debugger's number fields take typed digits too (no input method).
  const bool debugger_typing = edit == nullptr && debugger_view_.WantsKeyboard();
  if (text_input_on_ && ((edit == nullptr && !debugger_typing) || taken)) {
    SDL_StopTextInput();
    text_input_on_ = false;
    ime_composing_ = false;
  }
  if ((edit != nullptr || debugger_typing) && !text_input_on_) {
    SDL_StartTextInput();
    text_input_on_ = true;
  }
  if (edit != nullptr && edit != text_input_for_) {
    // The input method's candidate window goes next to the field.
    Rect r = WindowRect(*edit);
    SDL_Rect rect{r.left, r.top, r.width(), r.height()};
    SDL_SetTextInputRect(&rect);
  }
  text_input_for_ = edit;
}

void SdlFrontEnd::HandleEvent(const SDL_Event& e) {
  switch (e.type) {
    case SDL_QUIT:
      if (!boxes_.empty()) {
        boxes_.back()->Close();  // the box has the window: its close button
      } else if (started_ && game_ != nullptr) {
        Guarded([this] { game_->CloseQuery(); });
      }
      break;
    case SDL_MOUSEBUTTONDOWN: HandleMouseButton(e, true); break;
    case SDL_MOUSEBUTTONUP: HandleMouseButton(e, false); break;
    case SDL_MOUSEMOTION:
      // The pointer as this window's own events report it: some servers
      // (XWayland, remote desktops, synthetic input) never update the
      // global pointer between button presses.
      window_.PointerMoved({e.motion.x, e.motion.y});
      if (UiActive()) {
        ui_.ProcessEvent(e);
        ui_input_ = true;
      }
      break;
    case SDL_MOUSEWHEEL: HandleWheel(e); break;
    case SDL_KEYDOWN:
      ime_echo_.clear();  // text after a key press is typed
      HandleKey(e, true);
      break;
    case SDL_KEYUP: HandleKey(e, false); break;
    case SDL_TEXTINPUT:
      // Typed or committed text goes into the focused field's model at its
      // caret (not through ImGui, so that the byte limit, the caret and the
      // composition are the model's alone).
      ime_composing_ = false;
      if (TakeImeEcho(e.text.text)) break;
      if (Edit* edit = TextInputField()) {
        edit->Commit(e.text.text);
        ui_input_ = true;
      } else if (debugger_view_.WantsKeyboard()) {
        ui_.ProcessEvent(e);
        ui_input_ = true;
      }
      break;
    case SDL_TEXTEDITING: HandleTextEditing(e.edit.text, e.edit.start); break;
    case SDL_TEXTEDITING_EXT:
      HandleTextEditing(e.editExt.text, e.editExt.start);
      SDL_free(e.editExt.text);
      break;
    case SDL_WINDOWEVENT: HandleWindowEvent(e); break;
    case SDL_RENDER_TARGETS_RESET:
    case SDL_RENDER_DEVICE_RESET:
      window_.RecreateTextures();
      ui_.RecreateFontTexture();
      break;
    default: break;
  }
}

void SdlFrontEnd::HandleTextEditing(const char* text, int start) {
  const std::string utf8 = text != nullptr ? text : "";
  ime_composing_ = !utf8.empty();
  ime_composition_ = utf8;
  if (!utf8.empty()) ime_echo_.clear();  // a new composition: no echo comes any more
  if (Edit* edit = TextInputField()) {
    edit->Compose(utf8, start);
    ui_input_ = true;
  }
}

bool SdlFrontEnd::TakeImeEcho(std::string_view text) {
  // SDL hands long text over in pieces: the echo may come in several.
  if (ime_echo_.empty() || text.empty()) return false;
  if (!std::string_view(ime_echo_).starts_with(text)) {
    ime_echo_.clear();
    return false;
  }
  ime_echo_.erase(0, text.size());
  return true;
}

Edit* SdlFrontEnd::TextInputField() {
  if (!boxes_.empty() || game_ == nullptr || !AnyPanelVisible(game_->Panels())) return nullptr;
  Edit* edit = menus::FocusedEdit(game_->Panels());
  return edit != nullptr && edit->usable() ? edit : nullptr;
}

void SdlFrontEnd::HandleMouseButton(const SDL_Event& e, bool down) {
  const PointerButton button = PointerButtonFromSdl(e.button.button);
  const auto index = static_cast<std::size_t>(button);
  const Point p{e.button.x, e.button.y};
  window_.PointerMoved(p);
  const bool on_panel = OnUi(p);
  if (down) {
    if (!boxes_.empty() || on_panel || settings_view_.open()) {
      // A box and the reader's settings are modal; a panel's controls take
      // their own clicks.
      ui_.ProcessEvent(e);
      ui_input_ = true;
      pressed_on_game_[index] = false;
      return;
    }
    if (!started_ || game_ == nullptr) return;
    pressed_on_game_[index] = true;
    game_->MouseDown(button);
    return;
  }
  ui_input_ = true;  // ImGui sees the release in its next frame
  // A release goes where its press went; one over the picture goes to the
  // game in any case (it only forgets the held button).
  const bool pressed_here = pressed_on_game_[index];
  pressed_on_game_[index] = false;
  if (!started_ || game_ == nullptr) return;
  if (pressed_here || (boxes_.empty() && !on_panel)) game_->MouseUp();
}

void SdlFrontEnd::HandleKey(const SDL_Event& e, bool down) {
  const SDL_Keysym& k = e.key.keysym;
  // The window's own keys act whatever has the keyboard; nobody else hears
  // them go down (Alt+Enter must not press a focused button as well).
  if (down)
    if (std::optional<WindowCommand> command = WindowCommandFromSdl(k.sym, k.mod);
        command && DebuggerKey(*command)) {
      if (e.key.repeat == 0) RunWindowCommand(*command);
      return;
    }
  if (!boxes_.empty()) {
    // The box has the keyboard.
    if (down) {
      if (std::optional<menus::ControlKey> key = ControlKeyFromSdl(k.sym, k.mod))
        boxes_.back()->Key(*key);
      ui_input_ = true;
    } else {
      ui_.ProcessEvent(e);
    }
    return;
  }
  if (settings_view_.open()) {
    // The settings window has the keyboard; Escape closes it.
    ui_input_ = true;
    ui_.ProcessEvent(e);
    if (down && k.sym == SDLK_ESCAPE) ToggleReaderSettings();
    if (!down && started_ && game_ != nullptr) game_->KeyUp();
    return;
  }
  const bool ui = UiActive();
  if (ui) ui_input_ = true;
  // Releases always reach ImGui, so that it never takes a key as held; a key
  // that went down and up before ImGui drew a frame is released after the
  // next one, or ImGui would never see it pressed.
  const int scancode = static_cast<int>(k.scancode);
  const bool unseen = std::find(keys_down_unseen_.begin(), keys_down_unseen_.end(), scancode) !=
                      keys_down_unseen_.end();
  if (down && ui) {
    ui_.ProcessEvent(e);
    if (!unseen) keys_down_unseen_.push_back(scancode);
  } else if (!down && unseen) {
    deferred_key_ups_.push_back(e);
  } else if (!down) {
    ui_.ProcessEvent(e);
  }
  Edit* edit = nullptr;
  if (ui && game_ != nullptr) {
    edit = menus::FocusedEdit(game_->Panels());
    if (down)
      if (std::optional<menus::ControlKey> key = ControlKeyFromSdl(k.sym, k.mod))
        menus::PressPanelKey(game_->Panels(), *key, pending_);
  }
  // The game hears the keys unless a name field or the debugger has them.
  if (edit != nullptr || debugger_view_.WantsKeyboard() || !started_ || game_ == nullptr) return;
  if (down) {
    game_->KeyDown(ModifiersFromSdl(k.mod));
    // Keys in place of the mouse are the panels' while one is open.
    std::optional<velmor::ReaderKey> key = ReaderKeyFromSdl(k.sym);
    if (key && !PanelsOrBoxes() && (e.key.repeat == 0 || ReaderKeyRepeats(*key)))
      Guarded([&] { game_->ReaderKey(*key); });
  } else {
    game_->KeyUp();
  }
}

void SdlFrontEnd::RunWindowCommand(WindowCommand command) {
  switch (command) {
    case WindowCommand::ToggleFullScreen:
      window_.SetFullScreen(!window_.FullScreen());
      // The picture follows the new client area at once (the window system
      // may or may not tell of the new size later; then it changes nothing).
      if (window_.TakeClientSize() && started_ && game_ != nullptr)
        Guarded([this] { game_->DisplayResized(); });
      window_.Invalidate();
      redraw_now_ = true;
      break;
    case WindowCommand::ReaderSettings: ToggleReaderSettings(); break;
    case WindowCommand::ToggleDebugger: ShowDebugger(!debugger_shown_); break;
    case WindowCommand::Reload:
      if (app::Debugger* d = game_->Debugger()) {
        debugger_view_.Reload(*d);
        redraw_now_ = true;
      }
      break;
    case WindowCommand::Screenshot:
      // The next frame is drawn and kept as the player sees it, without an
      // earlier notice.
      screenshot_due_ = true;
      notice_view_.Hide();
      mode_view_.Hide();
      redraw_now_ = true;
      window_.CaptureNextFrame();
      break;
  }
}

void SdlFrontEnd::ShowReaderMode() {
  // Not in the frame a screenshot keeps.
  if (!started_ || game_ == nullptr || screenshot_due_) return;
  std::string text = game_->ReaderIndicator();
  if (text == mode_view_.text()) return;
  mode_view_.ShowSteady(std::move(text));
  redraw_now_ = true;
}

void SdlFrontEnd::TakeScreenshot() {
  screenshot_due_ = false;
  Size size;
  const std::vector<uint32_t> shown = window_.TakeCapture(size);
  if (!started_ || game_ == nullptr) return;
  Bitmap picture = game_->ScreenPicture();
  if (UiActive() && !shown.empty()) {
    const ImGuiLayer::Area a = ui_.DrawnArea();
    CopyShownArea(picture, shown, size, window_.PictureRect(),
                  Rect{a.left, a.top, a.right, a.bottom});
  }
  const SavedScreenshot saved = SaveScreenshot(picture, ScreenshotFolder(), LocalTimeNow());
  notice_view_.Show(ScreenshotNotice(saved), SDL_GetTicks64());
  redraw_now_ = true;
}

void SdlFrontEnd::HandleWheel(const SDL_Event& e) {
  int x = 0, y = 0;
  SDL_GetMouseState(&x, &y);
  if (PanelsOrBoxes() || OnUi({x, y})) {
    ui_.ProcessEvent(e);  // the save list scrolls
    ui_input_ = true;
    return;
  }
  if (!started_ || game_ == nullptr) return;
  if (std::optional<WheelTurn> turn = WheelTurnFromSdl(e.wheel.y, e.wheel.direction))
    Guarded([&] { game_->MouseWheel(*turn); });
}

void SdlFrontEnd::HandleWindowEvent(const SDL_Event& e) {
  ui_.ProcessEvent(e);
  ui_input_ = true;
  switch (e.window.event) {
    case SDL_WINDOWEVENT_EXPOSED: window_.Invalidate(); break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      if (window_.TakeClientSize() && started_ && game_ != nullptr)
        Guarded([this] { game_->DisplayResized(); });
      window_.Invalidate();
      break;
    default: break;
  }
}

}  // namespace velmor::platform::sdl
