// The window changing size under the game (full screen and back): the
// picture keeps its scale, is centred again and painted, and the pointer
// still maps onto the picture as shown.
#include <gtest/gtest.h>

#include <string>

#include "support/bytecode.h"
#include "support/game_data.h"
#include "support/pictures.h"

namespace velmor::testing {
namespace {

std::vector<uint8_t> OneClick() {
  Code c;
  c.b(0).w(1).w(1).b(22).b(0).w(1).w(2).b(22).b(255);
  return c.bytes;
}

TEST(WindowModes, ThePictureKeepsItsScaleAndTheMappingFollowsTheNewPlace) {
  struct Case {
    int scale;
    Size screen;  // the window's client area after the switch
    graphics::DispRec disp;
  };
  for (Case c : {Case{100, {800, 600}, {60, 80, 640, 480}},
                 Case{150, {800, 600}, {-60, -80, 960, 720}},
                 Case{50, {1920, 1080}, {420, 800, 320, 240}},
                 Case{125, {1024, 768}, {84, 112, 800, 600}}}) {
    GameRig g(OneClick(), {1024, 768});
    ASSERT_FALSE(g.Start().has_value());
    g.form().panels.ResoSpin.SetValue(c.scale);
    g.Run("tick\nscreen " + std::to_string(c.screen.width) + "x" +
          std::to_string(c.screen.height) + "\n");
    const graphics::DispRec& d = g.form().scaling.Disp;
    EXPECT_EQ(d.Top, c.disp.Top) << c.scale;
    EXPECT_EQ(d.Left, c.disp.Left) << c.scale;
    EXPECT_EQ(d.Width, c.disp.Width) << c.scale;
    EXPECT_EQ(d.Height, c.disp.Height) << c.scale;
    EXPECT_EQ(g.form().panels.ResoSpin.value, c.scale);
    // The window's middle is the picture's middle; its corners map to the
    // picture's edges or beyond.
    g.Run("pointer " + std::to_string(c.screen.width / 2) + " " +
          std::to_string(c.screen.height / 2) + "\ntick\n");
    EXPECT_NEAR(g.form().input.msx, 320, 1) << c.scale;
    EXPECT_NEAR(g.form().input.msy, 240, 1) << c.scale;
    // Painted at once: wallpaper around, the picture in its new place.
    const Bitmap& canvas = g.game->window().Canvas();
    ASSERT_EQ(canvas.width(), c.screen.width);
    ASSERT_EQ(canvas.height(), c.screen.height);
    const Bitmap& img = g.form().layers.IMG;
    EXPECT_EQ(canvas.at(d.Left + d.Width / 4, d.Top + d.Height / 4), img.at(160, 120)) << c.scale;
    if (d.Left > 0) {
      EXPECT_EQ(canvas.at(0, 0), Pattern(32, 32, 3).at(0, 0)) << c.scale;
    }
  }
}

TEST(WindowModes, SwitchingBackAndForthReturnsToTheSamePlace) {
  GameRig g(OneClick(), {1024, 768});
  g.Start();
  g.form().panels.ResoSpin.SetValue(75);
  const graphics::DispRec before = g.form().scaling.Disp;
  g.Run("tick\nscreen 1280x1024\nscreen 1024x768\ntick\n");
  const graphics::DispRec& after = g.form().scaling.Disp;
  EXPECT_EQ(after.Top, before.Top);
  EXPECT_EQ(after.Left, before.Left);
  EXPECT_EQ(after.Width, before.Width);
  // The story went on untouched: a click still ends the wait.
  g.Run("click left\ntick\ntick\n");
  EXPECT_EQ(g.form().scn.work[1], 2);
}

TEST(WindowModes, AMalformedSizeIsAScriptError) {
  GameRig g(OneClick());
  g.Start();
  for (const char* line : {"screen", "screen 0x480", "screen 640", "screen 640x", "screen axb",
                           "screen 20000x480", "screen 640x480 1"}) {
    std::string error;
    EXPECT_FALSE(g.game->RunCommand(line, &error)) << line;
    EXPECT_NE(error.find("screen WxH"), std::string::npos) << line;
  }
  EXPECT_EQ(g.game->window().ScreenSize(), (Size{1024, 768}));
}

}  // namespace
}  // namespace velmor::testing
