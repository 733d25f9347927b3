// When the views need a frame, and one frame of them.
#include "ui/views.h"

#include "menus/panel_digest.h"

namespace velmor::ui {

bool GameViews::FrameDue(session::Session& s, uint64_t now_ms, bool window_needs) {
  shown_ = s.UiShown();
  const uint64_t digest = menus::PanelsDigest(s.game().panels());
  bool need = s.TakeRedraw() || window_needs || wants_next_frame_ || shown_ != was_shown_ ||
              digest != panels_drawn_;
  if (shown_ && !need) {
    // The panels and boxes change only with the player's input, except for a
    // name field's blinking caret and a held spin arrow that repeats. A held
    // press comes first: a click on a button while a name field is being
    // edited must not wait for the caret's next blink.
    const uint64_t every = ui_.ItemHeld()                                ? 0
                           : ui_.TextActive() || panel_view_.Flashing() ? session::Session::kCaretFrameMs
                                                                         : session::Session::kIdleUiFrameMs;
    need = input_given_ || now_ms - last_frame_ms_ >= every;
  }
  input_given_ = false;
  if (need) {
    wants_next_frame_ = false;
    was_shown_ = shown_;
    panels_drawn_ = digest;
  }
  return need;
}

session::ViewOutcome GameViews::Draw(session::Session& s, Size display, uint64_t now_ms) {
  session::ViewOutcome out;
  Frame(s, display, now_ms, out);
  // Characters the fonts did not have yet: drawn again with them.
  if (ui_.AtlasOutdated()) Frame(s, display, now_ms, out);
  last_frame_ms_ = now_ms;
  panels_drawn_ = menus::PanelsDigest(s.game().panels());
  if (panel_view_.WantsNextFrame() || box_view_.WantsNextFrame() ||
      settings_view_.WantsNextFrame())
    wants_next_frame_ = true;
  return out;
}

void GameViews::Frame(session::Session& s, Size display, uint64_t now_ms,
                      session::ViewOutcome& out) {
  PressMouse();
  ui_.BeginFrame(display, static_cast<double>(now_ms) / 1000.0);
  session::ReaderSettingsWindow& settings = s.reader_settings_window();
  panel_view_.Draw(s.game().panels(), s.boxes().empty() && !settings.open, out.actions);
  const ReaderSettingsView::Result r = settings_view_.Draw(settings);
  out.settings_changed |= r.changed;
  out.settings_finished |= r.finished;
  if (r.open_saves) out.open_saves = r.open_saves;
  box_view_.Draw(s.boxes().Open());
  if (!s.DebuggerShown()) debugger_view_.Hide();
  if (s.DebuggerShown())
    if (app::Debugger* d = s.debugger())
      debugger_view_.Draw(*d, s.debugger_note(), out.debugger_actions,
                          s.game().reader_settings().debugger_window, out.debugger_moved);
  notice_view_.Draw(s.notice());
  mode_view_.Draw(s.mode_indicator());
  ui_.EndFrame();
}

}  // namespace velmor::ui
