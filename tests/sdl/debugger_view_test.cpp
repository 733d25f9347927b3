// The debugger's window in the real front end: F9 and F5 only where the
// debugger may be used, the window over the game taking its own clicks,
// its buttons, listing and fields acting on the game's debugger.
#include <gtest/gtest.h>

#include <algorithm>

#include "sdl_rig.h"
#include "support/bytecode.h"
#include "support/game_data.h"

namespace velmor::platform::sdl {
namespace {

// The recording game with a real game's debugger behind it (a headless game
// the test ticks itself).
class DebuggingGame : public testing::RecordingGame {
 public:
  DebuggingGame()
      : scenario(testing::Code().b(0).w(1).w(1).b(0).w(2).w(2).b(0).w(3).w(3).b(22).bytes) {
    scenario.Start();
  }
  app::Debugger* Debugger() override { return scenario.form().debugger.get(); }
  app::Debugger* EnableDebugger() override { return &scenario.game->debugger(); }

  testing::GameRig scenario;
};

class DebuggerViewTest : public ::testing::Test {
 protected:
  DebuggerViewTest() {
    rig.front->Attach(game);
    rig.front->Start();
    rig.Passes(1);
  }
  uint32_t Pixel(Point p) { return rig.Pixel(p); }
  int Count(const std::string& line) const { return game.Count(line); }
  void ClickAt(Point p) {
    rig.Click(p, 2);
  }
  // Places in the window (at first at the right of the 1024 x 768 window):
  // its first button ("Pause", or "Continue" while paused) and "Step" beside
  // "Continue", the listing's second line (offset 5, before any tick) and
  // the field of work[1].
  static constexpr Point kInWindow{800, 600}, kFirstButton{587, 46}, kStepButton{659, 46},
      kSecondLine{700, 111}, kWork1Field{703, 399};

  DebuggingGame game;  // outlives the loop that points at it
  testing::SdlRig rig;
};

TEST_F(DebuggerViewTest, F9ShowsAndHidesTheWindowWhichTakesItsOwnClicks) {
  const uint32_t bare = Pixel(kInWindow);
  rig.Press(SDLK_F9, 2);
#ifdef NDEBUG
  EXPECT_FALSE(rig.front->DebuggerShown());  // F9 is any key until the debugger is on
  EXPECT_EQ(Count("KeyDown 0"), 1);
  EXPECT_EQ(game.scenario.form().debugger, nullptr);
  game.log.clear();
  rig.front->ShowDebugger(true);
  rig.Passes(2);
#endif
  ASSERT_TRUE(rig.front->DebuggerShown());
  EXPECT_NE(Pixel(kInWindow), bare);
  ClickAt(kInWindow);
  EXPECT_EQ(Count("MouseDown Left"), 0);
  ClickAt({100, 400});
  EXPECT_EQ(Count("MouseDown Left"), 1);
  for (bool shown : {false, true}) {
    rig.Press(SDLK_F9, 2);
    EXPECT_EQ(rig.front->DebuggerShown(), shown);
    EXPECT_EQ(Pixel(kInWindow) == bare, !shown);
  }
  EXPECT_EQ(Count("KeyDown 0"), 0);  // the window's keys, not the game's
}

TEST_F(DebuggerViewTest, TheButtonsPauseAndStepAndALineClickedHoldsABreakpoint) {
  rig.front->ShowDebugger(true);
  rig.Passes(2);
  app::Debugger& d = *game.Debugger();
  ClickAt(kSecondLine);
  EXPECT_TRUE(d.HasBreakpoint(5));
  game.scenario.Ticks(1);
  EXPECT_TRUE(d.paused());
  EXPECT_EQ(d.Where(), 5);
  ClickAt(kSecondLine);
  EXPECT_FALSE(d.HasBreakpoint(5));
  ClickAt(kStepButton);
  game.scenario.Ticks(1);
  EXPECT_TRUE(d.paused());
  EXPECT_EQ(d.Where(), 10);
  ClickAt(kFirstButton);  // Continue
  EXPECT_FALSE(d.paused());
  ClickAt(kFirstButton);  // Pause
  game.scenario.Ticks(3);
  EXPECT_TRUE(d.paused());
  EXPECT_EQ(d.Where(), 10);
}

TEST_F(DebuggerViewTest, AWorkVariableTypedIntoItsFieldIsSetAndF5ReloadsTheFile) {
  rig.front->ShowDebugger(true);
  rig.Passes(2);
  ClickAt(kWork1Field);
  rig.Text("42", 1);
  rig.Press(SDLK_RETURN, 2);
  EXPECT_EQ(game.scenario.form().scn.work[1], 42);
  EXPECT_EQ(Count("KeyDown 0"), 0);  // the field had the keys, not the game

  app::Debugger& d = *game.Debugger();
  std::string error;
  ASSERT_TRUE(d.AddBreakpoint("INIT:10", &error)) << error;
  game.scenario.Ticks(1);
  ASSERT_EQ(d.Where(), 10);
  rig.Press(SDLK_F5, 2);
  EXPECT_EQ(d.Where(), 0);
  EXPECT_TRUE(d.paused());  // (what a reload keeps is the app suite's Debugger tests')
}

}  // namespace
}  // namespace velmor::platform::sdl
