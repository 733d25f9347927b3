// Where the picture stands on the screen: centred at start-up, and again when
// the window changes size under the game (full screen and back), keeping its
// scale; the pointer still maps onto the picture as shown.
#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>

#include "scripted_games.h"
#include "support/pictures.h"

namespace velmor::testing {
namespace {

// Left, top, width and height of the displayed picture.
using Place = std::array<int32_t, 4>;
Place PlaceOf(const graphics::DispRec& d) { return {d.Left, d.Top, d.Width, d.Height}; }

TEST(WindowModes, ThePictureIsCentredAtItsScaleAndThePointerMapsOntoIt) {
  struct Case {
    Size start;
    int scale;
    std::optional<Size> switched;  // the window's client area after a switch
    Place place;
  };
  for (const Case& c : {Case{{1281, 1024}, 100, {}, {320, 272, 640, 480}},
                        Case{{600, 439}, 100, {}, {-20, -20, 640, 480}},
                        Case{{1024, 768}, 150, Size{800, 600}, {-80, -60, 960, 720}},
                        Case{{1024, 768}, 50, Size{1920, 1080}, {800, 420, 320, 240}},
                        Case{{1024, 768}, 125, Size{1024, 768}, {112, 84, 800, 600}}}) {
    const Size screen = c.switched.value_or(c.start);
    SCOPED_TRACE(std::to_string(screen.width) + "x" + std::to_string(screen.height) + " at " +
                 std::to_string(c.scale) + "%");
    GameRig g(OneClick(), c.start);
    ASSERT_FALSE(g.Start().has_value());
    if (c.scale != 100) g.form().panels.ResoSpin.SetValue(c.scale);
    g.Run("tick\n");
    if (c.switched) g.Run("screen " + std::to_string(screen.width) + "x" + std::to_string(screen.height) + "\n");
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
    g.Run("screen 1280x1024\nscreen " + std::to_string(screen.width) + "x" +
          std::to_string(screen.height) + "\nclick left\ntick\ntick\n");
    EXPECT_EQ(PlaceOf(d), before);
    EXPECT_EQ(g.form().scn.work[1], 2);
  }
}

}  // namespace
}  // namespace velmor::testing
