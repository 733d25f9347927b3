// How the headless front end answers the session's message boxes: from a
// queue the input script fills ("answer ok|cancel|keys ..."), at the moment
// each box opens, and OK when nothing is queued. Every box is recorded with
// the answer it got.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "menus/control_keys.h"
#include "menus/message_box_model.h"
#include "platform/dialogs.h"
#include "session/box_stack.h"

namespace velmor::main {

// Every box shown, with the answer it got.
struct RecordedBox {
  std::string text;  // Shift-JIS
  platform::MessageKind kind;
  platform::Buttons buttons;
  platform::Answer answer;
};

class ScriptedAnswers {
 public:
  // Answers the boxes `boxes` opens from now on.
  void AnswerBoxesOf(session::BoxStack& boxes);

  // The answer for the next box; boxes without a queued answer get OK.
  void QueueAnswer(platform::Answer a) { answers_.push_back({a, {}}); }
  // Keys pressed in the next box, as the player presses them in the real
  // window's box (Tab, the arrows, Enter, Space, Escape). Keys past the
  // answer are not pressed; a box the keys leave unanswered is closed by
  // its close button.
  void QueueKeys(std::vector<menus::ControlKey> keys) {
    answers_.push_back({platform::Answer::Ok, std::move(keys)});
  }
  // Leaves the boxes open, unanswered, until Answer (a test lets ticks run
  // under one as the real window does); false goes back to answering.
  void HoldBoxes(bool hold) { hold_ = hold; }
  // Answers the top-most open box as a queued answer would.
  void Answer(menus::MessageBoxModel& box);
  // Runs while each box is open, before it is answered.
  std::function<void(const std::string& text)> while_open;

  const std::vector<RecordedBox>& Boxes() const { return boxes_; }
  void Clear() { boxes_.clear(); }

 private:
  struct Queued {
    platform::Answer answer;
    std::vector<menus::ControlKey> keys;  // when not empty, they answer
  };
  std::deque<Queued> answers_;
  std::vector<RecordedBox> boxes_;
  bool hold_ = false;
};

}  // namespace velmor::main
