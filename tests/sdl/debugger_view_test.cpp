// The debugger's window in the real front end, over a headless game's debugger.
#include <gtest/gtest.h>

#include "sdl_rig.h"
#include "support/bytecode.h"
#include "support/game_data.h"

namespace velmor::platform::sdl {
namespace {

// A headless game the test ticks itself behind the recording game.
class DebuggingGame : public testing::RecordingGame {
 public:
  DebuggingGame() { scenario.Start(); }
  app::Debugger* Debugger() override { return scenario.form().debugger.get(); }
  app::Debugger* EnableDebugger() override { return &scenario.game->debugger(); }
  testing::GameRig scenario{
      testing::Code().b(0).w(1).w(1).b(0).w(2).w(2).b(0).w(3).w(3).b(22).bytes};
};

class DebuggerViewTest : public ::testing::Test {
 protected:
  DebuggerViewTest() {
    rig.front->Attach(game);
    rig.front->Start();
    rig.Passes(1);
  }
  void Show() {
    rig.front->ShowDebugger(true);
    rig.Passes(2);
  }
  // Where the debugger stands: paused, and at which offset.
  std::pair<bool, int> State() { return {game.Debugger()->paused(), game.Debugger()->Where()}; }
  // In the window: its first button ("Pause", or "Continue"), "Step" beside
  // "Continue", the listing's second line (offset 5) and the field of work[1].
  static constexpr Point kInWindow{800, 600}, kFirstButton{587, 46}, kStepButton{659, 46},
      kSecondLine{700, 111}, kWork1Field{703, 399};

  DebuggingGame game;  // outlives the loop that points at it
  testing::SdlRig rig;
};

TEST_F(DebuggerViewTest, F9ShowsAndHidesTheWindowWhichTakesItsOwnClicks) {
  const uint32_t bare = rig.Pixel(kInWindow);
  rig.Press(SDLK_F9, 2);
#ifdef NDEBUG
  EXPECT_FALSE(rig.front->DebuggerShown());  // F9 is any key until the debugger is on
  EXPECT_EQ(game.Count("KeyDown 0"), 1);
  EXPECT_EQ(game.scenario.form().debugger, nullptr);
  game.log.clear();
  Show();
#endif
  ASSERT_TRUE(rig.front->DebuggerShown());
  EXPECT_NE(rig.Pixel(kInWindow), bare);
  rig.Click(kInWindow, 2);
  rig.Click({100, 400}, 2);
  for (bool shown : {false, true}) {
    rig.Press(SDLK_F9, 2);
    EXPECT_EQ(rig.front->DebuggerShown(), shown);
    EXPECT_EQ(rig.Pixel(kInWindow) == bare, !shown);
  }
  // The window's clicks are its own; of F9 the game hears only the releases.
  EXPECT_EQ(game.Joined(), "MouseDown Left, MouseUp, KeyUp, KeyUp");
}

TEST_F(DebuggerViewTest, TheButtonsPauseAndStepAndALineClickedHoldsABreakpoint) {
  Show();
  app::Debugger& d = *game.Debugger();
  rig.Click(kSecondLine, 2);
  EXPECT_TRUE(d.HasBreakpoint(5));
  game.scenario.Ticks(1);
  EXPECT_EQ(State(), std::pair(true, 5));
  rig.Click(kSecondLine, 2);
  EXPECT_FALSE(d.HasBreakpoint(5));
  rig.Click(kStepButton, 2);
  game.scenario.Ticks(1);
  EXPECT_EQ(State(), std::pair(true, 10));
  rig.Click(kFirstButton, 2);  // Continue
  EXPECT_FALSE(d.paused());
  rig.Click(kFirstButton, 2);  // Pause
  game.scenario.Ticks(3);
  EXPECT_EQ(State(), std::pair(true, 10));
}

TEST_F(DebuggerViewTest, AWorkVariableTypedIntoItsFieldIsSetAndF5ReloadsTheFile) {
  Show();
  rig.Click(kWork1Field, 2);
  rig.Text("42", 1);
  rig.Press(SDLK_RETURN, 2);
  EXPECT_EQ(game.scenario.form().scn.work[1], 42);
  EXPECT_EQ(game.Count("KeyDown 0"), 0);  // the field had the keys, not the game
  std::string error;
  ASSERT_TRUE(game.Debugger()->AddBreakpoint("INIT:10", &error)) << error;
  game.scenario.Ticks(1);
  ASSERT_EQ(State(), std::pair(true, 10));
  rig.Press(SDLK_F5, 2);
  EXPECT_EQ(State(), std::pair(true, 0));  // (what a reload keeps: the app suite's Debugger tests)
}

}  // namespace
}  // namespace velmor::platform::sdl
