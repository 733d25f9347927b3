#include "session/box_stack.h"

namespace velmor::session {

void BoxStack::ShowMessageBox(const std::string& text, platform::MessageKind kind,
                              platform::Buttons buttons, platform::OnAnswer then) {
  auto box = std::make_unique<Box>(text, kind, buttons);
  box->then = std::move(then);
  box->holds_ticks = in_tick_;
  menus::MessageBoxModel& model = box->model;
  boxes_.push_back(std::move(box));
  if (on_open) on_open(model);
  Settle();
}

std::vector<menus::MessageBoxModel*> BoxStack::Open() {
  std::vector<menus::MessageBoxModel*> open;
  for (const std::unique_ptr<Box>& b : boxes_) open.push_back(&b->model);
  return open;
}

void BoxStack::Settle() {
  while (!boxes_.empty() && boxes_.back()->model.answer()) {
    std::unique_ptr<Box> done = std::move(boxes_.back());
    boxes_.pop_back();
    if (done->then) done->then(*done->model.answer());
  }
}

bool BoxStack::HoldsTicks() const {
  for (const std::unique_ptr<Box>& b : boxes_)
    if (b->holds_ticks) return true;
  return false;
}

}  // namespace velmor::session
