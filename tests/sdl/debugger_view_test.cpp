// The debugger's window in the real front end: F9 and F5 only where the
// debugger may be used, the window over the game taking its own clicks,
// its buttons and its listing acting on the game's debugger.
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
  uint32_t Pixel(Point p) {
    Size size;
    std::vector<uint32_t> pixels = rig.window.ReadPixels(size);
    return pixels[static_cast<std::size_t>(p.y) * size.width + p.x];
  }
  int Count(const std::string& line) const {
    return static_cast<int>(std::count(game.log.begin(), game.log.end(), line));
  }
  // The window's first place: at the right of the 1024 x 768 window.
  static constexpr Point kInWindow{800, 600};
  // Its first button ("Pause", or "Continue" while paused) and the second
  // ("Step") beside "Continue".
  static constexpr Point kFirstButton{587, 46};
  static constexpr Point kStepButton{659, 46};
  // The listing's second line (offset 5, before any tick).
  static constexpr Point kSecondLine{700, 111};
  // The field of work[1], in the second row of the work variables.
  static constexpr Point kWork1Field{703, 399};

  DebuggingGame game;  // outlives the loop that points at it
  testing::SdlRig rig;
};

TEST_F(DebuggerViewTest, F9IsAnyKeyUntilTheDebuggerIsOn) {
  rig.Press(SDLK_F9);
  rig.Passes(2);
#ifdef NDEBUG
  EXPECT_FALSE(rig.front->DebuggerShown());
  EXPECT_EQ(Count("KeyDown 0"), 1);  // the game heard it
  EXPECT_EQ(game.scenario.form().debugger, nullptr);
#else
  EXPECT_TRUE(rig.front->DebuggerShown());  // a debug build: F9 turns it on
#endif
}

TEST_F(DebuggerViewTest, F9HidesAndShowsTheWindowWhichTakesItsOwnClicks) {
  const uint32_t bare = Pixel(kInWindow);
  rig.front->ShowDebugger(true);
  rig.Passes(2);
  ASSERT_TRUE(rig.front->DebuggerShown());
  EXPECT_NE(Pixel(kInWindow), bare);
  rig.Click(kInWindow);
  rig.Passes(1);
  EXPECT_EQ(Count("MouseDown Left"), 0);
  rig.Click({100, 400});
  rig.Passes(1);
  EXPECT_EQ(Count("MouseDown Left"), 1);
  rig.Press(SDLK_F9);
  rig.Passes(2);
  EXPECT_FALSE(rig.front->DebuggerShown());
  EXPECT_EQ(Pixel(kInWindow), bare);
  rig.Press(SDLK_F9);
  rig.Passes(2);
  EXPECT_TRUE(rig.front->DebuggerShown());
  EXPECT_EQ(Count("KeyDown 0"), 0);  // the window's keys, not the game's
}

TEST_F(DebuggerViewTest, TheButtonsPauseAndStep) {
  rig.front->ShowDebugger(true);
  rig.Passes(2);
  app::Debugger& d = *game.Debugger();
  rig.Click(kFirstButton);
  rig.Passes(2);
  ASSERT_TRUE(d.paused());
  game.scenario.Ticks(3);
  EXPECT_EQ(d.Where(), 0);
  rig.Click(kStepButton);
  rig.Passes(2);
  game.scenario.Ticks(1);
  EXPECT_TRUE(d.paused());
  EXPECT_EQ(d.Where(), 5);
  EXPECT_EQ(game.scenario.form().scn.work[1], 1);
}

TEST_F(DebuggerViewTest, AClickOnALineOfTheListingSetsAndClearsABreakpoint) {
  rig.front->ShowDebugger(true);
  rig.Passes(2);
  app::Debugger& d = *game.Debugger();
  rig.Click(kSecondLine);
  rig.Passes(2);
  EXPECT_TRUE(d.HasBreakpoint(5));
  game.scenario.Ticks(1);
  EXPECT_TRUE(d.paused());
  EXPECT_EQ(d.Where(), 5);
  rig.Click(kSecondLine);
  rig.Passes(2);
  EXPECT_FALSE(d.HasBreakpoint(5));
}

TEST_F(DebuggerViewTest, AWorkVariableTypedIntoItsFieldIsSetOnEnter) {
  rig.front->ShowDebugger(true);
  rig.Passes(2);
  rig.Click(kWork1Field);
  rig.Passes(2);
  rig.Text("42");
  rig.Passes(1);
  EXPECT_EQ(Count("KeyDown 0"), 0);
  rig.Press(SDLK_RETURN);
  rig.Passes(2);
  EXPECT_EQ(game.scenario.form().scn.work[1], 42);
  EXPECT_EQ(Count("KeyDown 0"), 0);  // the field had the keys, not the game
}

TEST_F(DebuggerViewTest, F5ReloadsTheCurrentFile) {
  rig.front->ShowDebugger(true);
  app::Debugger& d = *game.Debugger();
  std::string error;
  ASSERT_TRUE(d.AddBreakpoint("INIT:10", &error)) << error;
  game.scenario.Ticks(1);
  ASSERT_EQ(d.Where(), 10);
  rig.Press(SDLK_F5);
  rig.Passes(2);
  EXPECT_EQ(d.Where(), 0);
  EXPECT_TRUE(d.paused());
  EXPECT_EQ(game.scenario.form().scn.work[2], 2);  // kept
}

}  // namespace
}  // namespace velmor::platform::sdl
