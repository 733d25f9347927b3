// Touch as a player of a mouse-driven game expects it, in the neutral
// events the session takes: a tap is a left click where the finger
// touched, a long press a right click (the picture alone, then the
// settings), a tap with two fingers the backlog (as the wheel turned
// towards it), and a finger that moves carries the pointer with it (a
// choice under it lights up) without clicking.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "core/geometry.h"
#include "core/input_events.h"

namespace velmor::session {

class TouchGestures {
 public:
  // A press held this long without moving is a long press.
  static constexpr uint64_t kLongPressMs = 500;
  // How far (in window pixels, either way) a finger may wander and still
  // tap or press.
  static constexpr int kSlop = 12;

  // A finger touched, moved to or left the screen (at window pixel `at`),
  // at `now_ms`; what it means so far goes to `out`.
  void Down(int64_t finger, Point at, uint64_t now_ms, std::vector<InputEvent>& out);
  void Move(int64_t finger, Point at, uint64_t now_ms, std::vector<InputEvent>& out);
  void Up(int64_t finger, uint64_t now_ms, std::vector<InputEvent>& out);
  // Time passing: a finger held long enough becomes a right click.
  void Poll(uint64_t now_ms, std::vector<InputEvent>& out);
  // How long until Poll has something to do; none when no press waits.
  std::optional<uint64_t> DueInMs(uint64_t now_ms) const;

 private:
  enum class State {
    None,         // no finger down
    Pressing,     // one finger down, still where it touched: a tap or a long press
    Dragging,     // it moved: the pointer follows, no click
    LongPressed,  // the right click is given; the rest of the touch is nothing
    TwoFingers,   // a second finger came while the first was pressing
    Cancelled,    // anything else: nothing until every finger is up
  };
  static bool Far(Point a, Point b);
  static void Click(MouseButton button, Point at, std::vector<InputEvent>& out);

  State state_ = State::None;
  int64_t first_ = 0;  // the finger that started the touch
  int fingers_ = 0;
  Point start_{};
  uint64_t since_ms_ = 0;
};

}  // namespace velmor::session
