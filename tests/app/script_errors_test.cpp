// Input script lines the headless game cannot carry out: each is refused with
// the way to write it, and the game is left as it was.
#include <gtest/gtest.h>

#include <string>

#include "scripted_games.h"

namespace velmor::testing {
namespace {

TEST(ScriptErrors, AMalformedLineIsRefusedWithItsForm) {
  struct Case {
    const char* line;
    const char* error;  // a piece of the message; "" for any
  };
  const Case cases[] = {
      {"key f13", "unknown key: f13"}, {"key", ""}, {"key shift+enter", "shift+tab"},
      {"wheel left", "wheel up|down"}, {"answer keys tab f1", "unknown key: f1"},
      {"answer keys", ""}, {"screen", "screen WxH"}, {"screen 0x480", "screen WxH"},
      {"screen 640x", "screen WxH"}, {"screen axb", "screen WxH"},
      {"screen 20000x480", "screen WxH"}, {"screen 640x480 1", "screen WxH"},
      {"ime paste abc", "ime compose|commit|cancel"},
      {"ime compose やまだ x", "ime compose [UTF8TEXT [CURSOR]]"},
      {"ime compose やまだ -1", "ime compose [UTF8TEXT [CURSOR]]"},
      {"ime compose や ま 1", "ime compose [UTF8TEXT [CURSOR]]"}, {"ime cancel now", "ime cancel"},
      {"focus A B", "focus NAME"}, {"focus Nobody", "no control named Nobody"},
  };
  GameRig g(NameHero());
  g.Start();
  g.Run("tick\n");
  const std::string state = g.game->StateJson();
  for (const Case& c : cases) {
    std::string error;
    EXPECT_FALSE(g.game->RunCommand(c.line, &error)) << c.line;
    EXPECT_NE(error.find(c.error), std::string::npos) << c.line << ": " << error;
  }
  EXPECT_EQ(g.game->StateJson(), state);
  EXPECT_EQ(g.game->window().ScreenSize(), (Size{1024, 768}));
  std::string error;
  EXPECT_TRUE(g.game->RunCommand("answer keys shift+tab enter", &error)) << error;
}

}  // namespace
}  // namespace velmor::testing
