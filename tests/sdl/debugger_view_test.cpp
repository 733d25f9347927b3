// The debugger's window in the real front end, over a game whose debugger
// holds it at its first instruction: F9, its buttons, breakpoints set by a
// click on a line, and a work variable typed into its field.
#include <gtest/gtest.h>

#include "sdl_rig.h"
#include "support/bytecode.h"

namespace velmor::main {
namespace {

using testing::SdlRig;

// LET work[1] 1 (offset 0), LET work[2] 2 (5), LET work[3] 3 (10), CLICK (15).
std::vector<uint8_t> ThreeLets() {
  return testing::Code().b(0).w(1).w(1).b(0).w(2).w(2).b(0).w(3).w(3).b(22).bytes;
}

class DebuggerViewTest : public ::testing::Test {
 protected:
  DebuggerViewTest() {
    rig.Start(1, [this] {
      std::string error;
      EXPECT_TRUE(rig.session->EnableDebugger().AddBreakpoint("INIT:0", &error)) << error;
    });
  }
  app::Debugger& debugger() { return *rig.in().debugger; }
  void Show() {
    rig.session->ShowDebugger(true);
    rig.Passes(2);
  }
  // Where the debugger stands: paused, and at which offset.
  std::pair<bool, int> State() { return {debugger().paused(), debugger().Where()}; }
  // Passes until the debugger stands at `state` (a few ticks at most).
  bool Reaches(std::pair<bool, int> state) {
    return rig.PassUntil([&] { return State() == state; }, 20);
  }
  // In the window: its first button ("Pause", or "Continue"), "Step" beside
  // "Continue", the listing's second line (offset 5) and the field of work[1].
  static constexpr Point kInWindow{800, 600}, kFirstButton{587, 46}, kStepButton{659, 46},
      kSecondLine{700, 111}, kWork1Field{813, 399};

  SdlRig rig{ThreeLets()};
};

TEST(DebuggerView, F9IsAKeyOfTheGamesUntilTheDebuggerIsOn) {
  SdlRig rig(ThreeLets());
  rig.Start();
  rig.Key(SDLK_F9, true, KMOD_LCTRL);
  rig.Passes(2);
#ifdef NDEBUG
  EXPECT_FALSE(rig.session->DebuggerShown());
  EXPECT_EQ(rig.in().debugger, nullptr);
  EXPECT_EQ(rig.input().sft, 2) << "the game heard it";
#else
  EXPECT_TRUE(rig.session->DebuggerShown());  // a debug build has it at hand
#endif
}

TEST_F(DebuggerViewTest, F9ShowsAndHidesTheWindowWhichTakesItsOwnClicks) {
  ASSERT_TRUE(Reaches({true, 0}));
  const uint32_t bare = rig.Pixel(kInWindow);
  rig.Press(SDLK_F9, 2);  // the debugger is on: F9 is the window's
  ASSERT_TRUE(rig.session->DebuggerShown());
  EXPECT_NE(rig.Pixel(kInWindow), bare);
  rig.Button(kInWindow, true);
  rig.Passes(2);
  EXPECT_EQ(rig.input().drg, 0) << "its clicks are its own";
  rig.Button(kInWindow, false);
  rig.Button({100, 400}, true);
  rig.Passes(2);
  EXPECT_EQ(rig.input().drg, 1) << "beside it the game's";
  rig.Button({100, 400}, false);
  for (bool shown : {false, true}) {
    rig.Press(SDLK_F9, 2);
    EXPECT_EQ(rig.session->DebuggerShown(), shown);
    EXPECT_EQ(rig.Pixel(kInWindow) == bare, !shown);
  }
}

// Dragged by its title bar, the window stays where it is left, and that place is kept with the
// reader's settings (for the next start); it opens there.
TEST_F(DebuggerViewTest, ItStaysWhereItIsLeftAndThePlaceIsKept) {
  Show();
  auto move = [this](Point p, bool held) {
    SDL_WarpMouseInWindow(rig.window.sdl_window(), p.x, p.y);
    rig.Push(SDL_MOUSEMOTION, [&](SDL_Event& e) {
      e.motion.x = p.x;
      e.motion.y = p.y;
      e.motion.state = held ? SDL_BUTTON_LMASK : 0;
    });
    rig.Passes(1);
  };
  const Point title{700, 16};
  move(title, false);
  rig.Button(title, true);
  rig.Passes(1);
  for (int step = 1; step <= 4; ++step) move({title.x - 50 * step, title.y + 25 * step}, true);
  rig.Button({title.x - 200, title.y + 100}, false);
  rig.Passes(2);
  const std::optional<Rect> kept = rig.game->reader_settings().debugger_window;
  ASSERT_TRUE(kept.has_value());
  EXPECT_EQ(std::pair(kept->left, kept->top), std::pair(1024 - 460 - 8 - 200, 8 + 100));
  EXPECT_TRUE(rig.loop->views().DebuggerCovers({kept->left + 5, kept->top + 5}));
}

TEST_F(DebuggerViewTest, TheButtonsContinueStepAndPauseAndALineClickedHoldsABreakpoint) {
  Show();
  ASSERT_TRUE(Reaches({true, 0}));
  rig.Click(kSecondLine, 2);
  EXPECT_TRUE(debugger().HasBreakpoint(5));
  rig.Click(kFirstButton, 1);  // Continue
  EXPECT_TRUE(Reaches({true, 5}));
  rig.Click(kSecondLine, 2);
  EXPECT_FALSE(debugger().HasBreakpoint(5));
  rig.Click(kStepButton, 1);
  EXPECT_TRUE(Reaches({true, 10}));
  EXPECT_EQ(rig.in().scn.work[3], 0);
  rig.Click(kFirstButton, 1);  // Continue: on to the click wait
  EXPECT_TRUE(rig.PassUntil([&] { return !debugger().paused() && rig.in().scn.work[3] == 3; }));
  rig.Click(kFirstButton, 2);  // Pause
  EXPECT_TRUE(debugger().paused());
  const int where = debugger().Where();
  rig.Passes(5);
  EXPECT_EQ(State(), std::pair(true, where));
}

TEST_F(DebuggerViewTest, AWorkVariableTypedIntoItsFieldIsSetAndF5ReloadsTheFile) {
  Show();
  ASSERT_TRUE(Reaches({true, 0}));
  rig.Click(kWork1Field, 3);  // ImGui says it wants the text a frame after the click
  EXPECT_TRUE(SDL_IsTextInputActive());
  rig.Key(SDLK_LCTRL, true, KMOD_LCTRL);
  rig.Passes(1);
  EXPECT_EQ(rig.input().sft, 0) << "the field has the keys, not the game";
  rig.Key(SDLK_LCTRL, false);
  rig.Text("42", 1);
  rig.Press(SDLK_RETURN, 2);
  EXPECT_EQ(rig.in().scn.work[1], 42);
  std::string error;
  ASSERT_TRUE(debugger().AddBreakpoint("INIT:10", &error)) << error;
  rig.Click(kFirstButton, 1);  // Continue
  ASSERT_TRUE(Reaches({true, 10}));
  rig.Press(SDLK_F5, 2);
  EXPECT_EQ(State(), std::pair(true, 0));  // (what a reload keeps: the app suite's Debugger tests)
}

// Hidden while a field of it had the keys, it gives them back at once.
TEST_F(DebuggerViewTest, HiddenWhileItsFieldIsEditedItLeavesTheKeysToTheGame) {
  Show();
  ASSERT_TRUE(Reaches({true, 0}));
  rig.Click(kWork1Field, 3);
  ASSERT_TRUE(SDL_IsTextInputActive());
  rig.Press(SDLK_F9, 1);
  EXPECT_FALSE(rig.session->DebuggerShown());
  rig.Key(SDLK_LCTRL, true, KMOD_LCTRL);
  rig.Passes(1);
  EXPECT_EQ(rig.input().sft, 2);
  EXPECT_FALSE(SDL_IsTextInputActive());
}

}  // namespace
}  // namespace velmor::main
