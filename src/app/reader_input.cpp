// Keys and the mouse wheel for a player who reads with the keyboard. They
// stand in for the mouse: a key is a click, the pointer moves onto the
// choice a key names; two keys turn the reading modes on and off. A player
// who only uses the mouse sees nothing of it.
#include <algorithm>

#include "app/form.h"
#include "menus/panel_layout.h"

namespace velmor::app {

using scenario::WaitHandler;

bool TForm1::AtClickWait() const {
  if (input.HoldMode == 1) return false;
  return scn.MainProc == WaitHandler::WaitClick ||
         (scn.MainProc == WaitHandler::TypeText && msgwin.PageWait);
}

bool TForm1::ClickEndsReaderMode() {
  if (!reader.Active()) return false;
  reader.Stop();
  return true;
}

void TForm1::FormReaderKey(ReaderKey key) {
  if (!started_ || quit_ || menus::AnyPanelVisible(panels_)) return;
  if (backlog_window.open()) {
    BacklogKey(key);
    return;
  }
  if (save_screen.open()) {
    SaveScreenKey(key);
    return;
  }
  switch (key) {
    case ReaderKey::Enter:
    case ReaderKey::Space:
      // A left click at the pointer; the button is not held.
      if (!ClickEndsReaderMode()) input.clk = 1;
      break;
    case ReaderKey::Escape:
      if (!ClickEndsReaderMode()) input.clk = 2;
      break;
    case ReaderKey::SkipRead: reader.Toggle(ReaderMode::SkipRead); break;
    case ReaderKey::Auto: reader.Toggle(ReaderMode::Auto); break;
    case ReaderKey::Up: MoveChoiceHighlight(-1); break;
    case ReaderKey::Down: MoveChoiceHighlight(1); break;
    case ReaderKey::PageUp: OpenBacklog(); break;
    case ReaderKey::PageDown: break;
    case ReaderKey::Back: GoBack(); break;
    case ReaderKey::Forward: GoForward(); break;
    case ReaderKey::QuickSave: SaveOwn(kQuickSlot); break;
    case ReaderKey::QuickLoad: LoadOwn(kQuickSlot); break;
    case ReaderKey::SaveScreen: OpenSaveScreen(SaveScreen::Mode::Save); break;
    case ReaderKey::LoadScreen: OpenSaveScreen(SaveScreen::Mode::Load); break;
    default: PickChoice(static_cast<int>(key) - static_cast<int>(ReaderKey::Row1)); break;
  }
}

void TForm1::FormMouseWheel(WheelTurn turn) {
  if (!started_ || quit_ || menus::AnyPanelVisible(panels_)) return;
  if (backlog_window.open()) {
    BacklogWheel(turn);
    return;
  }
  if (save_screen.open()) {
    SaveScreenKey(turn == WheelTurn::Up ? ReaderKey::Up : ReaderKey::Down);
    return;
  }
  // The player may have the wheel go back and forward instead.
  if (reader_settings_.wheel_goes_back) {
    if (turn == WheelTurn::Up)
      GoBack();
    else if (history_.at_step() && history_.position() < history_.size())
      GoForward();
    else if (AtClickWait() && !ClickEndsReaderMode())
      input.clk = 1;
    return;
  }
  if (turn == WheelTurn::Up) {
    OpenBacklog();
    return;
  }
  // Only where a click does nothing but go on: a turn of the wheel never
  // answers a choice or a hit map.
  if (turn == WheelTurn::Down && AtClickWait() && !ClickEndsReaderMode()) input.clk = 1;
}

bool TForm1::PointAtChoice(int row) {
  Point at = scaling.WindowPoint(choices.RowPoint(row));
  const Size screen = platform.window.ScreenSize();
  at.x = std::clamp(at.x, 0, std::max(screen.width - 1, 0));
  at.y = std::clamp(at.y, 0, std::max(screen.height - 1, 0));
  if (choices.RowAt(scaling.MapPointer(at).y) != row) return false;
  platform.window.SetCursorPos(at);
  return true;
}

void TForm1::MoveChoiceHighlight(int step) {
  if (input.HoldMode == 1 || scn.MainProc != WaitHandler::ChoiceProc) return;
  // From the row the pointer is on now (a tick may not have seen it yet).
  const int count = choices.ChoiceCount;
  const int now = choices.RowAt(scaling.MapPointer(platform.window.CursorPos()).y);
  const int row = now < 0 ? (step > 0 ? 0 : count - 1) : std::clamp(now + step, 0, count - 1);
  PointAtChoice(row);
}

void TForm1::PickChoice(int row) {
  if (input.HoldMode == 1 || scn.MainProc != WaitHandler::ChoiceProc) return;
  if (row < 0 || row >= choices.ChoiceCount) return;
  // The next tick highlights the row under the pointer and takes the click;
  // then the pointer goes back where the player left it, so that it does not
  // stand over the text that follows.
  const Point before = platform.window.CursorPos();
  if (!PointAtChoice(row)) return;
  input.clk = 1;
  if (!pointer_before_pick_) pointer_before_pick_ = before;
}

void TForm1::ReturnPointerAfterPick() {
  if (!pointer_before_pick_ || scn.MainProc == WaitHandler::ChoiceProc) return;
  platform.window.SetCursorPos(*pointer_before_pick_);
  pointer_before_pick_.reset();
}

}  // namespace velmor::app
