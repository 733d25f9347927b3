#include "session/touch_gestures.h"

#include <cstdlib>

namespace velmor::session {

bool TouchGestures::Far(Point a, Point b) {
  return std::abs(a.x - b.x) > kSlop || std::abs(a.y - b.y) > kSlop;
}

void TouchGestures::Click(MouseButton button, Point at, std::vector<InputEvent>& out) {
  out.push_back(ButtonEvent{button, true, at});
  out.push_back(ButtonEvent{button, false, at});
}

void TouchGestures::Down(int64_t finger, Point at, uint64_t now_ms, std::vector<InputEvent>& out) {
  ++fingers_;
  if (fingers_ == 1) {
    state_ = State::Pressing;
    first_ = finger;
    start_ = at;
    since_ms_ = now_ms;
    out.push_back(PointerMotion{at});
    return;
  }
  // A second finger while the first still presses is a two-finger tap in
  // the making; any other finger spoils the touch.
  state_ = fingers_ == 2 && state_ == State::Pressing ? State::TwoFingers : State::Cancelled;
}

void TouchGestures::Move(int64_t finger, Point at, uint64_t, std::vector<InputEvent>& out) {
  switch (state_) {
    case State::Pressing:
      if (finger != first_ || !Far(at, start_)) return;
      state_ = State::Dragging;
      out.push_back(PointerMotion{at});
      return;
    case State::Dragging:
      if (finger == first_) out.push_back(PointerMotion{at});
      return;
    case State::TwoFingers:
      if (Far(at, start_)) state_ = State::Cancelled;  // a pinch or a swipe, not a tap
      return;
    default: return;
  }
}

void TouchGestures::Up(int64_t finger, uint64_t now_ms, std::vector<InputEvent>& out) {
  if (fingers_ > 0) --fingers_;
  if (state_ == State::Pressing && finger == first_) {
    Poll(now_ms, out);  // held long enough, it was a long press after all
    if (state_ == State::Pressing) Click(MouseButton::Left, start_, out);  // where it touched
  } else if (state_ == State::TwoFingers && fingers_ == 0) {
    out.push_back(WheelEvent{1, false, start_});  // towards the backlog
  }
  if (fingers_ == 0) state_ = State::None;
  else if (state_ == State::Pressing || state_ == State::Dragging) state_ = State::Cancelled;
}

void TouchGestures::Poll(uint64_t now_ms, std::vector<InputEvent>& out) {
  if (state_ != State::Pressing || now_ms < since_ms_ + kLongPressMs) return;
  state_ = State::LongPressed;
  Click(MouseButton::Right, start_, out);
}

std::optional<uint64_t> TouchGestures::DueInMs(uint64_t now_ms) const {
  if (state_ != State::Pressing) return std::nullopt;
  const uint64_t due = since_ms_ + kLongPressMs;
  return due > now_ms ? due - now_ms : 0;
}

}  // namespace velmor::session
