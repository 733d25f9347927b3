// The open message boxes: the game's dialogs as the session holds them. A
// box is state, never a loop of its own: the game goes on ticking under it,
// and its answer reaches the one who asked when the player gives it.
//
// Only the top-most box takes the player's input. A box opened while a tick
// runs holds the ticks until it is answered, as the game expects of a fault
// raised in the middle of one; a box opened by anything else (a panel's
// button, the quit question) lets them go on.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "menus/message_box_model.h"
#include "platform/dialogs.h"

namespace velmor::session {

class BoxStack : public platform::Dialogs {
 public:
  void ShowMessageBox(const std::string& text, platform::MessageKind kind,
                      platform::Buttons buttons, platform::OnAnswer then = nullptr) override;

  bool empty() const { return boxes_.empty(); }
  std::size_t size() const { return boxes_.size(); }
  // The box that has the player's input; null when none is open.
  menus::MessageBoxModel* Top() { return boxes_.empty() ? nullptr : &boxes_.back()->model; }
  // The open boxes, oldest first (for drawing).
  std::vector<menus::MessageBoxModel*> Open();

  // Closes every answered box from the top down and runs what follows each
  // answer. What that raises (QuitSignal, a GameError) goes to the caller;
  // the boxes it leaves answered are closed at the next call.
  void Settle();

  // Set while a tick runs: boxes opened meanwhile hold the ticks.
  void SetInTick(bool in_tick) { in_tick_ = in_tick; }
  // A box that holds the ticks is open.
  bool HoldsTicks() const;

  // Called when a box opens, before anything else sees it: a front end that
  // answers from a script answers it here, and what follows the answer runs
  // before ShowMessageBox returns.
  std::function<void(menus::MessageBoxModel& box)> on_open;

 private:
  struct Box {
    Box(const std::string& text, platform::MessageKind kind, platform::Buttons buttons)
        : model(text, kind, buttons) {}
    menus::MessageBoxModel model;
    platform::OnAnswer then;
    bool holds_ticks = false;
  };
  std::vector<std::unique_ptr<Box>> boxes_;
  bool in_tick_ = false;
};

}  // namespace velmor::session
