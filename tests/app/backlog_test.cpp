// The backlog in the game: the wheel and Page Up open it at a wait, it holds
// the game as a panel does, the keys and the wheel go through it, and the
// picture under it comes back exactly when it closes.
#include <gtest/gtest.h>

#include <string>

#include "scripted_games.h"

namespace velmor::testing {
namespace {

using scenario::WaitHandler;

// INIT: three messages, each followed by a click wait, then a choice of two
// and a last click wait.
std::vector<uint8_t> Story() {
  Code c;
  for (const char* text : {"FIRST", "SECOND", "THIRD"}) c.b(21).b(1).s(text).b(22);
  c.b(23).w(7).s("LEFT").s("RIGHT").b(0).b(22).b(255);
  return c.bytes;
}

// The game at the click wait after message `n` (1-based).
void ToWait(GameRig& g, int n) {
  g.Start();
  g.Run("pointer 500 500\nuntil WaitClick 200\n");
  for (int i = 1; i < n; ++i) g.Run("click left\ntick\ntick\nuntil WaitClick 200\n");
  ASSERT_EQ(g.form().scn.MainProc, WaitHandler::WaitClick);
  g.Run("tick\n");  // the drawn pointer in place
}

bool Has(const std::string& s, const std::string& part) { return s.find(part) != std::string::npos; }

TEST(Backlog, KeysAndTheWheelGoThroughItAndPastTheNewestEndItCloses) {
  GameRig g(Story());
  ToWait(g, 3);
  struct Step {
    const char* input;
    bool open;
    std::size_t shown;
  };
  const Step steps[] = {
      {"wheel up", true, 2},  {"key up", true, 1},       {"wheel up", true, 0},
      {"key pageup", true, 0},  // the oldest stays
      {"key down", true, 1},  {"key pagedown", true, 2}, {"key pagedown", false, 0},
      {"key pageup", true, 2}, {"wheel down", false, 0}, {"key pageup", true, 2},
      {"key down", false, 0},
  };
  for (const Step& s : steps) {
    g.Run(std::string(s.input) + "\ntick\n");
    EXPECT_EQ(g.form().backlog_window.open(), s.open) << s.input;
    if (s.open) {
      EXPECT_EQ(g.form().backlog_window.shown(), s.shown) << s.input;
    }
  }
}

TEST(Backlog, OpensAtTheNewestPageAndThePictureUnderItComesBackExactly) {
  struct Case {
    const char* open;
    const char* close;
  };
  // (Closing past the newest page by the keys and the wheel is the test above.)
  for (Case c : {Case{"wheel up", "click right"}, Case{"key pageup", "key escape"},
                 Case{"wheel up", "wheel down\nwheel down"}}) {
    SCOPED_TRACE(std::string(c.open) + ", " + c.close);
    GameRig g(Story());
    ToWait(g, 3);
    EXPECT_TRUE(Has(g.game->StateJson(), "\"backlog\":{\"open\":false,\"entries\":3"));
    const Bitmap shown = g.game->window().Canvas();
    const Bitmap picture = g.form().ScreenPicture();
    g.Run(std::string(c.open) + "\n");
    ASSERT_TRUE(g.form().backlog_window.open());
    EXPECT_TRUE(Has(g.game->StateJson(), "\"backlog\":{\"open\":true,\"entries\":3,\"shown\":2}"));
    EXPECT_EQ(g.form().ReaderIndicator(), "Backlog 3/3");
    g.Run("tick 3\nkey up\ntick\n");
    // Only the message window's rectangle shows the backlog.
    Bitmap outside = g.form().ScreenPicture();
    EXPECT_NE(outside, picture);
    CopyRect(outside, g.form().msgwin.msg.BoxRect, picture);
    EXPECT_EQ(outside, picture);
    g.Run(std::string(c.close) + "\ntick\n");
    EXPECT_FALSE(g.form().backlog_window.open());
    EXPECT_EQ(g.form().ScreenPicture(), picture);
    EXPECT_EQ(g.game->window().Canvas(), shown);
  }
}

// Clicks, keys and ticks while it is open reach nothing, and the right click
// that closes it starts no picture hold; opening it ends a reading mode.
TEST(Backlog, TheGameIsHeldWhileItIsOpen) {
  GameRig g(Story());
  ToWait(g, 2);
  const uint16_t inx = g.form().scn.inx;
  g.Run("key a\nwheel up\ntick 50\nclick left\ntick\nkey enter\nkey space\nkey 1\nkey tab\nkey a\n"
        "tick 50\n");
  EXPECT_TRUE(g.form().backlog_window.open());
  EXPECT_EQ(g.form().scn.MainProc, WaitHandler::WaitClick);
  EXPECT_EQ(g.form().scn.inx, inx);
  EXPECT_EQ(g.form().reader.mode(), app::ReaderMode::Off);
  g.Run("click right\ntick 5\n");
  EXPECT_FALSE(g.form().backlog_window.open());
  EXPECT_EQ(g.form().input.HoldMode, 0);
  EXPECT_EQ(g.form().scn.inx, inx);
  g.Run("click left\ntick\ntick\n");
  EXPECT_NE(g.form().scn.inx, inx);
}

TEST(Backlog, TypingStopsWhileItIsOpenAndGoesOnAfter) {
  GameRig g(Code().b(21).b(1).s("AB").b(22).b(21).b(1).s(std::string(60, 'x')).b(22).b(255).bytes);
  g.Start();
  g.Run("until WaitClick 100\nclick left\ntick\ntick\ntick\n");
  ASSERT_EQ(g.form().scn.MainProc, WaitHandler::TypeText);
  const uint32_t pos = g.form().msgwin.MsgPos;
  ASSERT_LT(pos, 60u);
  g.Run("wheel up\ntick 20\n");
  ASSERT_TRUE(g.form().backlog_window.open());
  EXPECT_EQ(g.form().msgwin.MsgPos, pos);
  g.Run("key escape\ntick\n");
  EXPECT_GT(g.form().msgwin.MsgPos, pos);
}

TEST(Backlog, OpensOnlyAtAWaitWithSomethingToShow) {
  struct Case {
    const char* what;
    std::vector<uint8_t> init;
    const char* before;  // input after the first click wait
  };
  const Case cases[] = {
      {"nothing shown yet", Code().b(22).b(255).bytes, ""},
      {"the picture hold", Story(), "click right\ntick\n"},
      {"the settings panel", Story(), "click right\ntick\nclick right\ntick\n"},
  };
  for (const Case& c : cases) {
    for (const char* opener : {"wheel up", "key pageup"}) {
      GameRig g(c.init);
      g.Start();
      g.Run(std::string("pointer 500 500\nuntil WaitClick 200\n") + c.before + opener + "\ntick\n");
      EXPECT_FALSE(g.form().backlog_window.open()) << c.what << ", " << opener;
    }
  }
}

}  // namespace
}  // namespace velmor::testing
