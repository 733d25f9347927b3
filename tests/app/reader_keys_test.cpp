// Keys and the mouse wheel in place of the mouse: clicks at waits, choices
// picked and highlighted from the keyboard, the hold from Escape, and the
// panels keeping the keyboard to themselves.
#include <gtest/gtest.h>

#include <string>

#include "scenario/language.h"
#include "scripted_games.h"
#include "support/pictures.h"

namespace velmor::testing {
namespace {

using scenario::WaitHandler;

// INIT: CHOICE work[7] with `count` options, then CLICK.
std::vector<uint8_t> Choice(int count) {
  Code c;
  c.b(23).w(7);
  for (int i = 0; i < count; ++i) c.s(std::string("OPTION") + static_cast<char>('A' + i));
  c.b(0).b(22);
  return c.bytes;
}

// Each input is one click seen by one tick, or none: the wait ends once.
TEST(ReaderKeys, AtAClickWaitEveryClickKeyAndTheWheelDownGoOnOnce) {
  struct Case {
    const char* input;
    int16_t work1;  // 2: the wait ended
    int32_t hold;
  };
  for (Case c : {Case{"click left", 2, 0}, Case{"key enter", 2, 0}, Case{"key kpenter", 2, 0},
                 Case{"key space", 2, 0}, Case{"wheel down", 2, 0}, Case{"wheel up", 1, 0},
                 Case{"key up", 1, 0}, Case{"key 1", 1, 0}, Case{"key escape", 1, 1}}) {
    SCOPED_TRACE(c.input);
    GameRig g(ClickCounter());
    AtFirstClick(g);
    g.Run(std::string(c.input) + "\ntick\ntick\ntick 5\n");
    EXPECT_EQ(g.form().scn.work[1], c.work1);
    EXPECT_EQ(g.form().input.HoldMode, c.hold);
    EXPECT_EQ(g.form().input.sft, 0);  // the key went up again
    EXPECT_EQ(g.form().input.clk, 0);
    EXPECT_EQ(g.form().input.drg, 0);  // no button is held
  }
}

// The wheel turned up opens the backlog and down again closes it, a right
// click holds the picture and a left one ends the hold: the page does not
// turn; Enter, Space or the wheel then turn it.
TEST(ReaderKeys, AtAPageWaitTheWheelAndEnterTurnThePage) {
  for (const char* input : {"wheel down", "key enter", "key space"}) {
    SCOPED_TRACE(input);
    Code c;
    c.b(21).b(1).b('A').b('B').b(scenario::text_code::kPageWait).b('C').b('D').b(0).b(22);
    GameRig g(c.bytes);
    g.Start();
    for (int i = 0; i < 20 && !g.form().msgwin.PageWait; ++i) g.Ticks(1);
    ASSERT_TRUE(g.form().msgwin.PageWait);
    g.Run("wheel up\ntick\n");
    EXPECT_TRUE(g.form().backlog_window.open());
    g.Run("wheel down\ntick\nclick right\ntick\n");
    EXPECT_FALSE(g.form().backlog_window.open());
    EXPECT_EQ(g.form().input.HoldMode, 1);
    g.Run("click left\ntick\n");
    EXPECT_EQ(g.form().input.HoldMode, 0);
    EXPECT_TRUE(g.form().msgwin.PageWait);
    g.Run(std::string(input) + "\ntick\nuntil WaitClick 50\n");
    EXPECT_EQ(g.form().scn.MainProc, WaitHandler::WaitClick);
  }
}

TEST(ReaderKeys, AHitMapIsAnsweredByEnterAtThePointerNeverByTheWheel) {
  GameRig g(HitMap());
  Bitmap map(640, 480, kBlack);
  FillRect(map, {100, 100, 200, 200}, 0xFF0000);  // region 2
  g.files.Put(std::string(kDat) + "CG/MAP.BMP", BmpBytes(map));
  g.Start();
  g.Run("tick\n" + At(150, 150) + "wheel down\ntick\ntick\n");
  EXPECT_EQ(g.form().scn.MainProc, WaitHandler::HitMapPress);
  g.Run("key enter\ntick\ntick\n");
  EXPECT_EQ(g.form().scn.work[9], 2);
}

TEST(ReaderKeys, UpAndDownMoveThePointerOntoTheRowsAndEnterPicks) {
  GameRig g(Choice(3));
  g.Start();
  g.Run("tick\npointer 0 0\ntick\n");
  const text::Choices& ch = g.form().choices;
  ASSERT_EQ(ch.ChoiceHot, -1);
  struct Step {
    const char* keys;
    int hot;  // the highlighted row after the next tick
  };
  // Two presses before a tick count twice; the ends hold; the wheel never
  // answers a choice.
  for (Step s : {Step{"key down", 0}, Step{"key down\nkey down", 2}, Step{"key down", 2},
                 Step{"key up", 1}, Step{"key up\nkey up\nkey up", 0}, Step{"wheel down", 0}}) {
    g.Run(std::string(s.keys) + "\ntick\n");
    EXPECT_EQ(ch.ChoiceHot, s.hot) << s.keys;
    // The drawn pointer stands on the row's marker.
    EXPECT_EQ(g.form().input.msx, ch.RowPoint(s.hot).x) << s.keys;
    EXPECT_EQ(ch.RowAt(g.form().input.msy), s.hot) << s.keys;
  }
  g.Run("pointer 0 0\ntick\nkey up\ntick\n");  // from no row, Up is the last row
  EXPECT_EQ(ch.ChoiceHot, 2);
  g.Run("key enter\ntick\n");
  EXPECT_EQ(g.form().scn.work[7], 3);
  EXPECT_EQ(g.form().scn.MainProc, WaitHandler::None);
}

// A number key picks its row at every scale; one past the last row, or away
// from a choice, does nothing and leaves the pointer where it was.
TEST(ReaderKeys, ANumberKeyPicksItsRow) {
  for (int scale : {50, 75, 100, 125, 150}) {
    for (int key = 1; key <= 4; ++key) {
      SCOPED_TRACE(std::to_string(scale) + "% key " + std::to_string(key));
      GameRig g(Choice(4));
      g.Start();
      g.form().panels.ResoSpin.SetValue(scale);
      g.Run("tick\npointer 0 0\ntick\nkey " + std::to_string(key) + "\ntick\n");
      EXPECT_EQ(g.form().scn.work[7], key);
      EXPECT_EQ(g.form().scn.MainProc, WaitHandler::None);
    }
  }
  GameRig g(Choice(2));
  g.Start();
  g.Run("tick\npointer 0 0\ntick\nkey 3\ntick\nkey 7\ntick\n");
  EXPECT_EQ(g.form().scn.MainProc, WaitHandler::ChoiceProc);
  EXPECT_EQ(g.game->window().CursorPos(), (Point{0, 0}));
  GameRig h(ClickCounter());
  h.Start();
  h.Run("tick\npointer 5 6\nkey 1\nkey down\ntick\n");
  EXPECT_EQ(h.form().scn.work[1], 1);
  EXPECT_EQ(h.game->window().CursorPos(), (Point{5, 6}));
}

TEST(ReaderKeys, EscapeHoldsThenOpensTheSettingsWhichKeepTheKeysFromTheGame) {
  GameRig g(ClickCounter());
  AtFirstClick(g);
  g.Run("key escape\ntick\n");
  EXPECT_EQ(g.form().input.HoldMode, 1);
  g.Run("key escape\ntick\n");
  ASSERT_TRUE(g.form().panels.ConfigPanel.visible);
  for (const char* input : {"key escape", "wheel down", "key 1", "key a", "key pageup"}) {
    g.Run(input);
    EXPECT_EQ(g.form().input.clk, 0) << input;
    EXPECT_TRUE(g.form().panels.ConfigPanel.visible) << input;
  }
  EXPECT_FALSE(g.form().backlog_window.open());
  // Enter presses the panel's focused OK; only the next one is a click.
  g.Run("tick\nkey enter\n");
  EXPECT_EQ(g.form().input.clk, 0);
  g.Run("key enter\ntick\ntick\n");
  EXPECT_FALSE(g.form().panels.ConfigPanel.visible);
  EXPECT_EQ(g.form().scn.work[1], 2);
}

}  // namespace
}  // namespace velmor::testing
