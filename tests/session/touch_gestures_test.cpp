#include "session/touch_gestures.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velmor::session {
namespace {

// The events as a line each: "move 10,20", "left down 10,20", "wheel 1".
std::vector<std::string> Lines(const std::vector<InputEvent>& events) {
  std::vector<std::string> out;
  auto at = [](Point p) { return std::to_string(p.x) + "," + std::to_string(p.y); };
  for (const InputEvent& e : events) {
    if (auto* m = std::get_if<PointerMotion>(&e)) out.push_back("move " + at(m->at));
    if (auto* b = std::get_if<ButtonEvent>(&e))
      out.push_back(std::string(b->button == MouseButton::Left ? "left" : "right") +
                    (b->down ? " down " : " up ") + at(b->at));
    if (auto* w = std::get_if<WheelEvent>(&e)) out.push_back("wheel " + std::to_string(w->y));
  }
  return out;
}

using L = std::vector<std::string>;

TEST(TouchGestures, ATapIsALeftClickWhereTheFingerTouched) {
  TouchGestures t;
  std::vector<InputEvent> out;
  t.Down(7, {100, 200}, 1000, out);
  t.Move(7, {105, 195}, 1100, out);  // a finger never stays quite still
  t.Up(7, 1200, out);
  EXPECT_EQ(Lines(out), (L{"move 100,200", "left down 100,200", "left up 100,200"}));
  EXPECT_FALSE(t.DueInMs(1300));
}

TEST(TouchGestures, AHeldPressIsOneRightClickWhenItIsDueAndNothingWhenLifted) {
  TouchGestures t;
  std::vector<InputEvent> out;
  t.Down(1, {50, 60}, 0, out);
  EXPECT_EQ(t.DueInMs(100), 400u);
  t.Poll(499, out);
  EXPECT_EQ(Lines(out), (L{"move 50,60"}));
  t.Poll(500, out);
  t.Poll(900, out);
  t.Up(1, 1000, out);
  EXPECT_EQ(Lines(out), (L{"move 50,60", "right down 50,60", "right up 50,60"}));

  // A long press the loop did not poll in time is still a long press.
  out.clear();
  t.Down(2, {5, 5}, 2000, out);
  t.Up(2, 2700, out);
  EXPECT_EQ(Lines(out), (L{"move 5,5", "right down 5,5", "right up 5,5"}));
}

TEST(TouchGestures, AFingerThatMovesCarriesThePointerAndClicksNothing) {
  TouchGestures t;
  std::vector<InputEvent> out;
  t.Down(3, {10, 10}, 0, out);
  t.Move(3, {40, 10}, 50, out);
  t.Move(3, {80, 12}, 100, out);
  t.Poll(800, out);  // no long press for a finger that has moved
  t.Up(3, 900, out);
  EXPECT_EQ(Lines(out), (L{"move 10,10", "move 40,10", "move 80,12"}));
}

TEST(TouchGestures, TwoFingersTappedTogetherOpenTheBacklogButAPinchDoesNot) {
  TouchGestures t;
  std::vector<InputEvent> out;
  t.Down(1, {300, 300}, 0, out);
  t.Down(2, {360, 300}, 40, out);
  t.Poll(600, out);  // not a long press either
  t.Up(1, 650, out);
  t.Up(2, 660, out);
  EXPECT_EQ(Lines(out), (L{"move 300,300", "wheel 1"}));

  out.clear();
  t.Down(1, {300, 300}, 1000, out);
  t.Down(2, {360, 300}, 1010, out);
  t.Move(1, {200, 300}, 1050, out);
  t.Up(1, 1100, out);
  t.Up(2, 1110, out);
  EXPECT_EQ(Lines(out), (L{"move 300,300"}));

  // A third finger spoils the tap; the next touch starts afresh.
  out.clear();
  t.Down(1, {0, 0}, 2000, out);
  t.Down(2, {9, 9}, 2001, out);
  t.Down(3, {20, 20}, 2002, out);
  for (int f : {1, 2, 3}) t.Up(f, 2100, out);
  t.Down(4, {1, 1}, 3000, out);
  t.Up(4, 3050, out);
  EXPECT_EQ(Lines(out), (L{"move 0,0", "move 1,1", "left down 1,1", "left up 1,1"}));
}

}  // namespace
}  // namespace velmor::session
