// Where the picture stands on the screen when the window changes size under
// the game, keeping its scale; the pointer still maps onto the picture.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "scripted_games.h"
#include "support/pictures.h"

namespace velmor::testing {
namespace {

// Left, top, width and height of the displayed picture.
using Place = std::array<int32_t, 4>;
Place PlaceOf(const graphics::DispRec& d) { return {d.Left, d.Top, d.Width, d.Height}; }

// The window's size changes under the game (full screen and back): the
// picture is centred again at its scale. (Centring at start-up is the
// graphics suite's DisplayScaling.CentringOnScreens.)
TEST(WindowModes, ThePictureIsCentredAtItsScaleAndThePointerMapsOntoIt) {
  struct Case {
    int scale;
    Size screen;  // the window's client area after the switch
    Place place;
  };
  for (const Case& c : {Case{100, {800, 600}, {80, 60, 640, 480}},
                        Case{150, {800, 600}, {-80, -60, 960, 720}},
                        Case{50, {1920, 1080}, {800, 420, 320, 240}},
                        Case{125, {1024, 768}, {112, 84, 800, 600}}}) {
    const Size screen = c.screen;
    const std::string size = std::to_string(screen.width) + "x" + std::to_string(screen.height);
    SCOPED_TRACE(size + " at " + std::to_string(c.scale) + "%");
    GameRig g(OneClick(), {1024, 768});
    ASSERT_FALSE(g.Start().has_value());
    g.form().panels.ResoSpin.SetValue(c.scale);
    g.Run("tick\nscreen " + size + "\n");
    const graphics::DispRec& d = g.form().scaling.Disp;
    EXPECT_EQ(PlaceOf(d), c.place);
    EXPECT_EQ(g.form().panels.ResoSpin.value, c.scale);
    // The window's middle is the picture's middle.
    g.Run("pointer " + std::to_string(screen.width / 2) + " " + std::to_string(screen.height / 2) +
          "\ntick\n");
    EXPECT_NEAR(g.form().input.msx, 320, 1);
    EXPECT_NEAR(g.form().input.msy, 240, 1);
    // Painted: wallpaper around, the picture in its place.
    const Bitmap& canvas = g.game->window().Canvas();
    ASSERT_EQ(canvas.width(), screen.width);
    ASSERT_EQ(canvas.height(), screen.height);
    EXPECT_EQ(canvas.at(d.Left + d.Width / 4, d.Top + d.Height / 4), g.form().layers.IMG.at(160, 120));
    if (d.Left > 0) {
      EXPECT_EQ(canvas.at(0, 0), Pattern(32, 32, 3).at(0, 0));
    }
    // Switching back and forth returns to the same place; the story goes on.
    const Place before = PlaceOf(d);
    g.Run("screen 1280x1024\nscreen " + size + "\nclick left\ntick\ntick\n");
    EXPECT_EQ(PlaceOf(d), before);
    EXPECT_EQ(g.form().scn.work[1], 2);
  }
}

}  // namespace
}  // namespace velmor::testing
