// Cursors, picture hit maps, animation and display scaling.
#include <gtest/gtest.h>

#include "graphics/color_table.h"
#include "support/graphics_rig.h"

namespace velmor::testing {
namespace {

using scenario::WaitHandler;

// A cursor pair whose sprite is filled with a colour telling its number.
void PutCursor(GraphicsRig& g, int n) {
  g.Put("CURSOR\\", graphics::Cursors::SpriteFile(n).str(), Bitmap(32, 32, Color(0x010000 * n + 1)));
  g.Put("CURSOR\\", graphics::Cursors::MaskFile(n).str(), Bitmap(32, 32, kBlack), 1);
}

// Files named with two digits at least; a shape loads sprite and mask, the
// restore goes back to the saved shape (0 before any hit map); a missing file
// keeps the number and reports; the selector's double click goes back to 1.
TEST(Cursors, ShapesFromTheirFilesAndTheSelector) {
  EXPECT_EQ(graphics::Cursors::SpriteFile(3).str(), "CSR03.BMP");
  EXPECT_EQ(graphics::Cursors::MaskFile(100).str(), "CSR100M.BMP");
  EXPECT_EQ(graphics::Animation::StripFile(255).str(), "BA255.BMP");
  GraphicsRig g;
  for (int n : {0, 1, 5, 6}) PutCursor(g, n);
  g.cursors.SetCursorShape(6);
  EXPECT_EQ(std::pair(g.layers.SP0.at(0, 0), g.layers.MS0.at(0, 0)), std::pair(0x060001u, kBlack));
  g.cursors.RestoreCursor();
  EXPECT_EQ(std::pair(g.cursors.CursorNumber, g.layers.SP0.at(0, 0)), std::pair(0, 0x000001u));
  g.game.files.Remove(std::string(kDat) + "CURSOR/CSR04.BMP");
  EXPECT_THROW(g.cursors.SetCursorShape(4), GameError);
  EXPECT_EQ(g.cursors.CursorNumber, 4);
  g.MouseSpin.SetValue(5);
  EXPECT_EQ(g.layers.SP0.at(0, 0), 0x050001u);
  g.cursors.MouseSpinDblClick();
  EXPECT_EQ(std::pair(g.MouseSpin.value, g.cursors.CursorNumber), std::pair(1, 1));
}

// The region picture: a column of 16 stripes 20 pixels high, one per table
// colour, then a dithered shade and black.
struct HitRig : GraphicsRig {
  HitRig() {
    for (int n : {0, 1, 6, 7, 10}) PutCursor(*this, n);
    Bitmap map(640, 480, kBlack);
    for (int i = 0; i < 16; ++i) FillRect(map, {0, i * 20, 200, i * 20 + 20}, ColorTable[i]);
    FillRect(map, {0, 320, 200, 340}, Rgb(127, 127, 127));
    Put("CG\\", "MAP.BMP", map);
    cursors.SetCursorShape(1);
  }
  // The pointer at (x, y) with the buttons in that state, then a tick; the
  // handler installed after it.
  WaitHandler Mouse(int x, int y, int drg, int clk = 0) {
    input.msx = x;
    input.msy = y;
    input.drg = drg;
    input.clk = clk;
    Tick();
    return scn.MainProc;
  }
  // A click at (x, y) on a region picture with the given hover shape; the answer.
  int Click(int x, int y, uint8_t hover = 1, const char* map = "MAP") {
    hitmap.StartHitMap(9, ByteString(map), hover, 0);
    Mouse(0, 0, 0);
    Mouse(x, y, 1);
    EXPECT_EQ(Mouse(x, y, 0), WaitHandler::None);
    return scn.work[9];
  }
};

// The answer is the table number of the colour under the hot spot, 16 for
// any other colour or a point beyond the picture, 0 outside the picture.
TEST(HitMap, TheColourUnderTheHotSpotIsTheAnswer) {
  HitRig g;
  for (int i = 0; i < 16; ++i) EXPECT_EQ(g.Click(50, i * 20 + 5), i) << i;
  g.Put("CG\\", "SMALL.BMP", Bitmap(100, 100, ColorTable[2]));
  struct Case { const char* what; const char* map; int x, y; uint8_t hover; int answer; };
  const Case cases[] = {
      {"a dithered shade", "MAP", 50, 325, 1, 16},
      {"black background", "MAP", 400, 400, 1, 0},
      {"shape 6 tests (66, 20)", "MAP", 50, 4, 6, 1},
      {"so does shape 7", "MAP", 50, 4, 7, 1},
      {"shape 10 tests (66, 28)", "MAP", 50, 4, 10, 1},
      {"shape 10 below the picture", "MAP", 50, 479, 10, 16},
      {"inside a small picture", "SMALL", 10, 10, 1, 2},
      {"outside a small picture", "SMALL", 150, 50, 1, 0},
      {"the hot spot beyond its edge", "SMALL", 90, 10, 6, 16},
  };
  for (const Case& c : cases) EXPECT_EQ(g.Click(c.x, c.y, c.hover, c.map), c.answer) << c.what;
}

// The shapes while waiting: the hover shape, the pressed one while held, the
// hover shape kept after; the selector is off meanwhile. The region picture
// survives a repaint of the scratch bitmap. A missing one answers 0 at once.
TEST(HitMap, CursorShapesAndTheSelectorDuringTheWait) {
  HitRig g;
  g.hitmap.StartHitMap(9, ByteString("MAP"), 7, 10);
  EXPECT_EQ(std::pair(g.cursors.CursorNumber0, g.cursors.CursorNumber), std::pair(1, 7));
  EXPECT_FALSE(g.MouseSpin.enabled);
  g.layers.DrawWallpaper();  // reloads the mesh into the scratch bitmap
  g.Mouse(10, 25, 1);
  EXPECT_EQ(g.cursors.CursorNumber, 10);
  EXPECT_EQ(g.Mouse(10, 25, 1), WaitHandler::HitMapRelease);  // still held
  g.Mouse(10, 25, 0);
  EXPECT_EQ(g.scn.work[9], 2);  // shape 7 tests 20 pixels lower
  EXPECT_EQ(g.cursors.CursorNumber, 7);
  EXPECT_TRUE(g.MouseSpin.enabled);
  g.cursors.RestoreCursor();
  EXPECT_EQ(g.cursors.CursorNumber, 1);
  EXPECT_THROW(g.hitmap.StartHitMap(9, ByteString("NOPE"), 6, 7), GameError);
  EXPECT_EQ(std::pair(int{g.scn.work[9]}, g.scn.MainProc), std::pair(0, WaitHandler::None));
  EXPECT_EQ(g.cursors.CursorNumber, 1);
  EXPECT_TRUE(g.MouseSpin.enabled);
}

// A button held from before (the click that ended a message) counts as the
// press; a right click is no click; a tap between two ticks is pressed in
// one and released in the next.
TEST(HitMap, WhichPressesCount) {
  HitRig g;
  g.hitmap.StartHitMap(9, ByteString("MAP"), 0, 0);
  EXPECT_EQ(g.Mouse(0, 0, 1), WaitHandler::HitMapRelease);
  g.Mouse(10, 45, 0);
  EXPECT_EQ(g.scn.work[9], 2);
  g.hitmap.StartHitMap(9, ByteString("MAP"), 0, 0);
  EXPECT_EQ(g.Mouse(10, 45, 2, 2), WaitHandler::HitMapPress);
  EXPECT_EQ(g.Mouse(10, 25, 0, 1), WaitHandler::HitMapRelease);
  g.Mouse(10, 25, 0);
  EXPECT_EQ(g.scn.work[9], 1);
}

// Six frames from a strip (frame f filled with colour f + 1) at their pace,
// none in the first tick; the last step restores the rectangle. A missing
// strip still runs its length.
TEST(Animation, FramesAndDurations) {
  Bitmap strip(256, 1152);
  for (int f = 0; f < 6; ++f) FillRect(strip, {0, f * 192, 256, f * 192 + 192}, Color(f + 1));
  for (auto [sft, ticks, first_frames] :
       {std::tuple{0, 72, std::vector<Color>{9, 1, 1, 1, 2, 2, 2, 3}},
        {kSkipKey, 72, {9, 1, 2, 3, 4, 5, 6, 1}}, {kAllModifiers, 24, {9, 1, 2, 3, 4, 5, 6, 1}}}) {
    SCOPED_TRACE(sft);
    GraphicsRig g;
    g.Put("CG\\", "BA01.BMP", strip);
    g.layers.BMP = g.layers.IMG = Bitmap(640, 480, 9);
    g.layers.PictureName = Sstr("BG01");
    g.input.sft = sft;
    g.animation.StartAnimation(1);
    EXPECT_EQ(g.input.CGHoldEnable, 0);
    EXPECT_TRUE(g.layers.PictureName.empty());
    std::vector<Color> frames = {g.layers.IMG.at(200, 100)};
    for (int n = 0; g.scn.MainProc == WaitHandler::AnimationStep && n < 100; ++n) {
      g.Tick();
      frames.push_back(g.layers.IMG.at(200, 100));
    }
    EXPECT_EQ(frames.size(), ticks + 1u);
    EXPECT_EQ(std::vector<Color>(frames.begin(), frames.begin() + 8), first_frames);
    EXPECT_EQ(g.layers.IMG, Bitmap(640, 480, 9));
    EXPECT_EQ(g.input.CGHoldEnable, 1);
  }
  GraphicsRig g;
  EXPECT_THROW(g.animation.StartAnimation(3), GameError);
  EXPECT_EQ(g.TicksUntilDone(), 72);
}

TEST(DisplayScaling, PointerMapping) {
  // 1024 x 768 screen: 100 % at (192, 144); 50 % at (352, 264); 150 % at (32, 24).
  struct Case { int scale; Point pointer, expected; };
  for (Case c : {Case{100, {831, 623}, {639, 479}}, Case{100, {1023, 767}, {639, 479}},
                 Case{100, {191, 144}, {0, 0}},  // -1 maps to 0, not -1
                 Case{100, {500, 300}, {308, 156}}, Case{50, {363, 265}, {22, 2}},
                 Case{150, {32 + 959, 24 + 719}, {637, 477}}}) {
    SCOPED_TRACE(std::to_string(c.scale) + "% at " + std::to_string(c.pointer.x));
    GraphicsRig g;
    g.ResoSpin.SetValue(c.scale);
    if (c.scale == 100) g.scaling.SetDisplaySize(640, 480);
    EXPECT_EQ(g.scaling.MapPointer(c.pointer), c.expected);
  }
}

// The display is centred on the screen (halves towards zero, on odd and
// smaller screens too; the mapping above checks each scale's size); a scale
// redraws the wallpaper over the window; a double click goes back to 100 %.
TEST(DisplayScaling, CentredOverTheWallpaper) {
  GraphicsRig g;
  g.ResoSpin.SetValue(52);  // off the step: 332 x 249
  EXPECT_EQ(g.scaling.Disp.rect(), (Rect{346, 259, 678, 508}));
  EXPECT_EQ(std::pair(g.window.Canvas().at(0, 0), g.window.Canvas().at(1023, 767)),
            std::pair(Pattern(64, 64, 7).at(0, 0), Pattern(64, 64, 7).at(63, 63)));
  g.scaling.ResoSpinDblClick();
  EXPECT_EQ(g.ResoSpin.value, 100);
  EXPECT_EQ(g.scaling.Disp.rect(), (Rect{192, 144, 832, 624}));
  for (auto [screen, r] : {std::pair{Size{1025, 769}, Rect{192, 144, 832, 624}},
                           {Size{599, 479}, Rect{-20, 0, 620, 480}}}) {
    platform::HeadlessWindow window(screen);
    graphics::DisplayScaling scaling(g.layers, window, g.ResoSpin);
    scaling.SetDisplaySize(640, 480);
    EXPECT_EQ(scaling.Disp.rect(), r);
  }
}

}  // namespace
}  // namespace velmor::testing
