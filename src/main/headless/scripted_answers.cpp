#include "main/headless/scripted_answers.h"

namespace velmor::main {

void ScriptedAnswers::AnswerBoxesOf(session::BoxStack& boxes) {
  boxes.on_open = [this](menus::MessageBoxModel& box) {
    if (!hold_) Answer(box);
  };
}

void ScriptedAnswers::Answer(menus::MessageBoxModel& box) {
  if (answers_.empty()) {
    box.PressFor(platform::Answer::Ok);
  } else {
    const Queued next = answers_.front();
    answers_.pop_front();
    for (menus::ControlKey k : next.keys)
      if (!box.answer()) box.Key(k);
    if (next.keys.empty()) box.PressFor(next.answer);
    if (!box.answer()) box.Close();
  }
  if (while_open) while_open(box.text());
  boxes_.push_back({box.text(), box.kind(), box.buttons(), *box.answer()});
}

}  // namespace velmor::main
