// The backlog from the keys and the wheel: it opens at a wait and holds the
// game until it closes.
#include "app/form.h"
#include "menus/panel_layout.h"

namespace velmor::app {

using scenario::WaitHandler;

bool TForm1::OpenBacklog() {
  // At a wait only: while instructions run between waits there is nothing
  // to hold. A panel or the picture hold has the player's attention.
  if (input.HoldMode == 1 || menus::AnyPanelVisible(panels_)) return false;
  if (scn.MainProc == WaitHandler::None || scn.MainProc == WaitHandler::IdleWait) return false;
  if (!backlog_window.Open()) return false;
  reader.Stop();
  layers.Present(scaling.Disp.rect());
  return true;
}

void TForm1::BacklogKey(ReaderKey key) {
  switch (key) {
    case ReaderKey::Up:
    case ReaderKey::PageUp: backlog_window.Older(); break;
    case ReaderKey::Down:
    case ReaderKey::PageDown: backlog_window.Newer(); break;
    case ReaderKey::Escape: backlog_window.Close(); break;
    default: return;  // the game is held: nothing else acts
  }
  layers.Present(scaling.Disp.rect());
}

void TForm1::BacklogWheel(WheelTurn turn) {
  if (turn == WheelTurn::Up)
    backlog_window.Older();
  else
    backlog_window.Newer();
  layers.Present(scaling.Disp.rect());
}

std::string TForm1::ReaderIndicator() const {
  if (backlog_window.open()) return backlog_window.Position();
  return reader.Indicator();
}

}  // namespace velmor::app
