// The 20 ms tick, the input handlers and the quit question.
#include "app/form.h"
#include "core/errors.h"
#include "menus/message_boxes.h"
#include "menus/panel_layout.h"

namespace velmor::app {

void TForm1::TimerTimer() {
  if (quit_) return;
  ++ticks_;
  try {
    Tick();
  } catch (const GameError& e) {
    // The rest of this tick is skipped; the next one runs normally.
    ReportError(e.message());
  } catch (const AwaitingAnswer&) {
    // A box holds the rest of this tick's work (the end of the game).
  }
}

std::optional<uint32_t> TForm1::IdleFor() {
  if (!started_ || quit_ || invalid || input.clk != 0) return std::nullopt;
  if (reader.Active()) return std::nullopt;  // it goes on by itself
  using scenario::WaitHandler;
  const bool waiting = input.HoldMode == 1 || backlog_window.open() || save_screen.open() ||
                       scn.MainProc == WaitHandler::WaitClick ||
                       scn.MainProc == WaitHandler::IdleWait || (debugger_ && debugger_->paused());
  if (!waiting) return std::nullopt;
  // The loop check must find a repeating piece stopped in time.
  if (music.MusicLoop == 1 && !panels_.MuteBtn.checked && !platform.media.FileName().empty()) {
    switch (platform.media.Mode()) {
      case platform::MediaMode::Playing: return platform.media.MsUntilStopped();
      case platform::MediaMode::Stopped: return std::nullopt;  // it plays again now
      case platform::MediaMode::NotReady: break;
    }
  }
  return UINT32_MAX;
}

void TForm1::Tick() {
  Point px = platform.window.CursorPos();
  Point m = scaling.MapPointer(px);
  input.msx = m.x;
  input.msy = m.y;

  if (backlog_window.open() || save_screen.open()) {
    // The backlog and the save screen hold the game as a panel does.
  } else if (input.HoldMode == 1 && !panels_.ConfigPanel.visible && input.clk == 1) {
    // End of the hold: the scene comes back.
    input.spf = 1;
    input.HoldMode = 0;
    layers.ShowBackBuffer();
  } else if (input.HoldMode == 1 && input.clk == 2) {
    config.OpenAt(px);
  } else if (input.HoldMode == 1) {
    // The scenario stays frozen.
  } else if (input.clk == 2 && input.CGHoldEnable == 1) {
    // Start of the hold: the picture alone, without the message window.
    input.spf = 0;
    input.HoldMode = 1;
    DrawBitmap(layers.IMG, layers.PictureRect.left, layers.PictureRect.top, layers.TMP);
    layers.ImageDrawn(Rect::FromSize(layers.PictureRect.left, layers.PictureRect.top,
                                     layers.TMP.width(), layers.TMP.height()));
  } else {
    reader.BeforeStep();
    try {
      if (debugger_) [[unlikely]]
        debugger_->RunStep();
      else
        scn.RunStep();
    } catch (...) {
      reader.AfterStep();
      throw;
    }
    reader.AfterStep();
  }

  // The drawn pointer would be taken off the backlog with the scene under it.
  const bool drawn_pointer = input.spf == 1 && !backlog_window.open() && !save_screen.open();
  Rect pointer;
  if (drawn_pointer) pointer = layers.CompositePointer({input.msx, input.msy});
  layers.Present(scaling.Disp.rect());
  if (drawn_pointer) layers.TakePointerOff(pointer);
  music.LoopCheck();
  input.clk = 0;
  ReturnPointerAfterPick();
  RecordHistoryStep();
}

void TForm1::FormMouseDown(MouseButton button) {
  if (save_screen.open()) {
    SaveScreenClick(button);
    return;
  }
  if (backlog_window.open()) {
    // A right click closes the backlog; no click reaches the game.
    if (button == MouseButton::Right) backlog_window.Close();
    return;
  }
  if (ClickEndsReaderMode()) return;
  input.clk = button == MouseButton::Left ? 1 : button == MouseButton::Right ? 2 : 0;
  input.drg = input.clk;
}

void TForm1::FormMouseUp() { input.drg = 0; }

void TForm1::FormKeyDown(Modifiers held) { input.sft = ModifierCode(held); }

void TForm1::FormKeyUp() { input.sft = 0; }

void TForm1::FormResize() {
  if (quit_) return;
  scaling.ScreenResized();
  invalid = true;
}

void TForm1::AskToQuit(std::function<void()> cancelled) {
  menus::ShowMessageBox(dialogs, menus::kReallyQuit,
                        [this, cancelled = std::move(cancelled)](platform::Answer a) {
                          if (a == platform::Answer::Ok) QuitNow();
                          if (cancelled) cancelled();
                        });
}

void TForm1::EndButtonClick() { AskToQuit(); }

bool TForm1::FormCloseQuery() {
  // The box needs a pointer, and the drawn one must not trail over the
  // picture meanwhile: the system pointer is shown and the drawn one is off
  // while the question is open. Cancel puts both back as they were.
  // Mended: after a cancel the original turned the drawn pointer on even
  // over a held picture, and hid the system pointer over an open name or
  // save panel.
  const int spf_before = input.spf;
  platform::ShowSystemPointer(platform.window);
  input.spf = 0;
  AskToQuit([this, spf_before] {
    if (!menus::AnyPanelVisible(panels_)) platform::HideSystemPointer(platform.window);
    input.spf = spf_before;
  });
  return false;
}

}  // namespace velmor::app
