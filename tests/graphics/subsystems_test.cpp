// The graphics subsystems ticked one handler at a time: picture changes (the
// mesh dissolve), cursors, hit maps, animation, display scaling.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "graphics/color_table.h"
#include "support/graphics_rig.h"

namespace velmor::testing {
namespace {

using scenario::WaitHandler;
using Timeline = std::array<int, 3>;  // ticks of the dissolve-out, PrepareScreen, the dissolve-in

Timeline RunChange(GraphicsRig& g, const std::string& name) {
  g.picture.ChangePicture(ByteString(name));
  EXPECT_EQ(g.input.CGHoldEnable, 0);  // no hold while the change runs
  Timeline t{};
  for (int n = 0; g.scn.MainProc != WaitHandler::None && n < 200; ++n) {
    const WaitHandler h = g.scn.MainProc;
    g.Tick();
    ++t[h == WaitHandler::ChangePicture ? 0 : h == WaitHandler::PrepareScreen ? 1 : 2];
  }
  EXPECT_EQ(g.input.CGHoldEnable, 1);
  return t;
}

// The timeline at each speed; with no picture (missing, damaged or no
// name) the change shows what TMP holds, full-screen, and forgets the name.
TEST(PictureChange, TimelinesAndPicturesThatCannotBeRead) {
  struct Case { int32_t sft; std::string name; Timeline expected; };
  for (const Case& c : {Case{0, "BG01", {13, 1, 13}}, Case{kSkipKey, "BG01", {2, 1, 2}},
                        Case{1, "BG01", {13, 1, 13}}, Case{0, "MISSING", {13, 1, 13}},
                        Case{0, "BROKEN", {13, 1, 13}}}) {
    SCOPED_TRACE(c.name + std::to_string(c.sft));
    GraphicsRig g;
    g.Put("CG\\", "BG01.BMP", Pattern(640, 480));
    g.game.files.Put(std::string(kDat) + "CG\\BROKEN.BMP", std::string("BM this is not a picture"));
    g.layers.TMP = Pattern(640, 480, 21);
    g.layers.PictureName = Sstr("_CG09");
    g.input.sft = c.sft;
    EXPECT_EQ(RunChange(g, c.name), c.expected);
    EXPECT_EQ(g.layers.PictureRect, (Rect{0, 0, 640, 480}));
    const bool read = c.name == "BG01";
    EXPECT_EQ(g.layers.BMP, Pattern(640, 480, read ? 1 : 21));
    EXPECT_EQ(g.layers.PictureName.str(), read ? "BG01" : "");
    EXPECT_TRUE(g.errors.empty());
  }
}

TEST(PictureChange, AccumulatorCarriesItsLowBitsToTheNextDissolve) {
  GraphicsRig g;
  g.Put("CG\\", "BG01.BMP", Pattern(640, 480));
  g.picture.ChangePicture(ByteString("BG01.BMP"));
  auto state = [&g] {
    return std::tuple(g.scn.MainProc, int{g.picture.MeshPass}, int{g.picture.MeshAcc});
  };
  EXPECT_EQ(state(), std::tuple(WaitHandler::ChangePicture, 0, 0));
  for (int i = 0; i < 13; ++i) g.Tick();  // 13 ticks of 20 units: 16 passes and 4 over
  EXPECT_EQ(state(), std::tuple(WaitHandler::PrepareScreen, 16, 4));
  g.Tick();  // PrepareScreen keeps the low four bits
  EXPECT_EQ(state(), std::tuple(WaitHandler::DissolveIn, 0, 4));
  for (int i = 0; i < 12; ++i) g.Tick();  // from 4: 244 units, 15 passes
  EXPECT_EQ(state(), std::tuple(WaitHandler::DissolveIn, 15, 4));
  g.Tick();
  EXPECT_EQ(state(), std::tuple(WaitHandler::None, 16, 8));
}

// After k passes out, exactly the pixels of the first k places of each 4 x 4
// cell have the fill; midway in, some show the picture; the end is exact.
TEST(PictureChange, DissolvePixelsOutAndIn) {
  for (bool white : {false, true}) {
    SCOPED_TRACE(white ? "white" : "black");
    GraphicsRig g;
    g.picture.WhiteFill = white ? 1 : 0;
    const Color fill = white ? kWhite : kBlack;
    const Bitmap scene = Pattern(640, 480, 3), picture = Pattern(640, 480, 9);
    g.layers.BMP = scene;
    g.Put("CG\\", "BG02.BMP", picture);
    g.picture.ChangePicture(ByteString("BG02"));
    for (int i = 0; i < 3; ++i) g.Tick();  // 20 units a tick: a pass each
    ASSERT_EQ(g.picture.MeshPass, 3);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) {
        bool hit = false;
        for (int k = 0; k < 3; ++k)
          hit |= (x % 4 == graphics::MeshDX[k] && y % 4 == graphics::MeshDY[k]);
        EXPECT_EQ(g.layers.BMP.at(x, y), hit ? fill : scene.at(x, y)) << x << "," << y;
        EXPECT_EQ(g.layers.IMG.at(x, y), g.layers.BMP.at(x, y));  // published
      }
    for (int i = 3; i < 14; ++i) g.Tick();  // the rest, then PrepareScreen fills the area
    EXPECT_EQ(g.layers.IMG.at(100, 100), fill);
    for (int i = 0; i < 6; ++i) g.Tick();
    int shown = 0;
    for (int x = 0; x < 16; ++x) shown += g.layers.BMP.at(x, 0) == picture.at(x, 0);
    EXPECT_TRUE(shown > 0 && shown < 16) << shown;
    g.TicksUntilDone();
    EXPECT_EQ(g.layers.BMP, picture);
    EXPECT_EQ(g.layers.IMG, picture);
  }
}

// A tick of a dissolve compares only the rows its passes drew (a pass draws
// one row in four, and a tick at the usual speed makes one or two passes),
// full-screen and framed, through black and white, never the rest of the
// picture; only preparing the screen compares all of it. The pixels a pass
// draws beside the picture (the mesh moved by its cell) are still noted.
TEST(PictureChange, ATickComparesOnlyTheRowsItsPassesDrew) {
  for (const char* name : {"BG01", "_CG01"}) {
    for (bool white : {false, true}) {
      SCOPED_TRACE(std::string(name) + (white ? " white" : " black"));
      GraphicsRig g;
      g.layers.check_publish = true;
      g.layers.ShowBackBuffer();  // as the game's start-up does: nothing left to publish
      g.picture.WhiteFill = white ? 1 : 0;
      const Bitmap picture = name[0] == '_' ? Pattern(496, 464, 5) : Pattern(640, 480, 9);
      g.Put("CG\\", std::string(name) + ".BMP", picture);
      g.picture.ChangePicture(ByteString(name));
      int ticks = 0, double_passes = 0;
      for (; g.scn.MainProc != WaitHandler::None && ticks < 100; ++ticks) {
        const WaitHandler h = g.scn.MainProc;
        const int passes_before = g.picture.MeshPass;
        const uint64_t compared_before = g.layers.RowsCompared();
        ASSERT_TRUE(g.Tick());
        if (h == WaitHandler::PrepareScreen) continue;
        const int passes = g.picture.MeshPass - passes_before;
        double_passes += passes == 2;
        const int rows = g.layers.PictureRect.height() / 4;
        EXPECT_LE(g.layers.RowsCompared() - compared_before, uint64_t(passes * rows))
            << "tick " << ticks << ", " << passes << " passes";
      }
      EXPECT_EQ(double_passes, 6);
      EXPECT_EQ(g.layers.BMP.at(g.layers.PictureRect.left, g.layers.PictureRect.top),
                picture.at(0, 0));
      if (name[0] == '_') {
        // Right of the picture, the last pass left its mesh in the back
        // buffer; it is shown with the rest of it.
        const int32_t x = g.layers.PictureRect.right + 1, y = g.layers.PictureRect.top + 1;
        g.layers.ShowBackBuffer();
        EXPECT_EQ(g.layers.IMG.at(x, y), g.layers.BMP.at(x, y));
      }
    }
  }
}

// A framed picture stands beside the status, only its area published while
// it changes; a smaller full-screen picture after it leaves the rest.
TEST(PictureChange, FramedPicturesAndWhatStandsAroundThem) {
  for (auto [name, framed] : {std::pair{"_cg01", true}, {"_Cg", true}, {"_C", false},
                              {"X_CG01", false}})
    EXPECT_EQ(graphics::PictureChange::IsFramed(Sstr(name)), framed) << name;
  GraphicsRig g;
  const Bitmap picture = Pattern(496, 464, 5);
  g.Put("CG\\", "_cg01.BMP", picture);
  g.layers.BMP = Pattern(640, 480, 11);  // an old full-screen scene
  RunChange(g, "_cg01");
  EXPECT_EQ(g.layers.PictureRect, (Rect{8, 8, 504, 472}));
  // The picture's corners, the frame WK01, its white strip, a gauge of the status.
  EXPECT_EQ(std::vector({g.layers.BMP.at(8, 8), g.layers.BMP.at(503, 471), g.layers.BMP.at(0, 0),
                         g.layers.BMP.at(520, 20), g.layers.BMP.at(514, 76)}),
            std::vector({picture.at(0, 0), picture.at(495, 463), 0x404080u, kWhite,
                         text::kGaugeBack}));
  g.layers.IMG = Bitmap(640, 480, 0x123456);  // mark the screen image
  g.status.StatusLayout = 1;                  // the second layout has a frame of its own
  g.picture.ChangePicture(ByteString(""));    // the same picture again
  for (int i = 0; i < 13; ++i) g.Tick();
  EXPECT_EQ(g.layers.IMG.at(600, 10), 0x123456u);  // outside PictureRect
  EXPECT_NE(g.layers.IMG.at(100, 100), 0x123456u);
  g.TicksUntilDone();
  EXPECT_EQ(std::pair(g.layers.BMP.at(0, 0), g.layers.BMP.at(8, 8)),
            std::pair(0x408040u, picture.at(0, 0)));
  EXPECT_EQ(g.layers.PictureName.str(), "_cg01");
  const Bitmap framed_scene = g.layers.BMP;
  g.Put("CG\\", "SMALL.BMP", Pattern(320, 240, 6));
  EXPECT_EQ(RunChange(g, "SMALL")[0], 13);
  EXPECT_EQ(g.layers.PictureRect, (Rect{0, 0, 320, 240}));
  EXPECT_EQ(std::pair(g.layers.BMP.at(600, 400), g.layers.BMP.at(0, 0)),
            std::pair(framed_scene.at(600, 400), Pattern(320, 240, 6).at(0, 0)));
}

// A cursor pair whose sprite is filled with a colour telling its number.
void PutCursor(GraphicsRig& g, int n) {
  const Color c = 0x010000u * n + 1;
  g.Put("CURSOR\\", graphics::Cursors::SpriteFile(n).str(), Bitmap(32, 32, c));
  g.Put("CURSOR\\", graphics::Cursors::MaskFile(n).str(), Bitmap(32, 32, kBlack), 1);
}

// The restore goes back to the saved shape (0 before any hit map); a missing
// file keeps the number; the selector's double click goes back to 1.
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
  // A tick with the pointer and buttons so; the handler installed after it.
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

// The drawn pointer is on the window after every tick that draws it, over
// what the back buffer shows, and the screen image is without it between
// ticks. Standing still over unchanged pixels it is neither drawn nor
// compared again; whatever changes under or around it (a glyph, a move, a
// new shape, a tick without it, the window taking the whole picture again)
// shows as when it was drawn every tick.
TEST(DrawnPointer, StandingStillItCostsNothingAndShowsAsDrawnEveryTick) {
  GraphicsRig g;
  graphics::Layers& layers = g.layers;
  layers.check_publish = true;
  g.window.CheckReportedChanges();
  layers.BMP = Pattern(640, 480, 4);
  layers.ShowBackBuffer();
  Bitmap mask(32, 32, kWhite), sprite(32, 32, kBlack);
  FillRect(mask, {4, 4, 28, 20}, kBlack);
  FillRect(sprite, {4, 4, 28, 20}, 0x00FF00);
  layers.MS0 = mask;
  layers.SP0 = sprite;
  const Rect display{0, 0, 640, 480};
  // A tick as the game's: the pointer drawn (or not), presented, taken off.
  auto tick = [&](std::optional<Point> at) {
    Rect r;
    if (at) r = layers.CompositePointer(*at);
    layers.Present(display);
    if (at) layers.TakePointerOff(r);
  };
  auto expect_shown = [&](std::optional<Point> at, const std::string& what) {
    SCOPED_TRACE(what);
    Bitmap want = layers.BMP;
    if (at) {
      BitBlt(want, at->x, at->y, 32, 32, layers.MS0, 0, 0, Rop::SRCAND);
      BitBlt(want, at->x, at->y, 32, 32, layers.SP0, 0, 0, Rop::SRCPAINT);
    }
    int wrong = 0;
    for (int32_t y = 0; y < 480; ++y)
      for (int32_t x = 0; x < 640; ++x) wrong += g.window.Canvas().at(x, y) != want.at(x, y);
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(layers.IMG, layers.BMP) << "the screen image keeps the pointer between ticks";
    EXPECT_EQ(g.window.UnreportedChanges(), 0);
  };
  const Point at{300, 200};
  tick(at);
  expect_shown(at, "drawn");
  const uint64_t compared = layers.RowsCompared(), taken = g.window.PixelsTaken();
  for (int i = 0; i < 5; ++i) tick(at);
  expect_shown(at, "still");
  EXPECT_EQ(std::pair(layers.RowsCompared(), g.window.PixelsTaken()), std::pair(compared, taken))
      << "a still pointer is compared or presented again";

  // A glyph typed half under it, published as the game does.
  FillRect(layers.BMP, {310, 190, 330, 210}, 0x123456);
  layers.BackDrawn({310, 190, 330, 210});
  layers.Publish({0, 0, 640, 480});
  tick(at);
  expect_shown(at, "a glyph under it");
  // Drawn into the screen image under it (an animation frame) and published away.
  FillRect(layers.IMG, {320, 210, 324, 214}, 0x654321);
  layers.ImageDrawn({320, 210, 324, 214});
  tick(at);
  tick(at);
  expect_shown(at, "the screen image drawn under it");

  const Point moved{20, 460};  // partly below the picture
  tick(moved);
  expect_shown(moved, "moved");
  tick(moved);
  expect_shown(moved, "still at the edge");

  FillRect(sprite, {4, 4, 28, 20}, 0xFF00FF);
  layers.SP0 = sprite;
  tick(moved);
  expect_shown(moved, "a new shape");

  tick(std::nullopt);
  expect_shown(std::nullopt, "a tick without it");
  tick(moved);
  tick(moved);

  // The window takes the whole picture again (its size changed, or a
  // wallpaper tile was drawn over it): the still pointer is drawn for it.
  g.window.Resize({1024, 768});
  tick(moved);
  expect_shown(moved, "the window taken whole again");
  tick(moved);
  g.window.DrawOnWindow(Bitmap(64, 64, 0x777777), {0, 448});
  tick(moved);
  expect_shown(moved, "a tile drawn over it");

  // A presentation between ticks (a panel closed) shows the picture without it.
  layers.Present(display);
  expect_shown(std::nullopt, "presented between ticks");
}
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

// Hover shape, pressed shape while held, hover kept after, the selector off
// meanwhile; a button held from before counts as the press, a right click
// does not, a tap between two ticks is pressed in one and released in the
// next; a repaint keeps the region picture; a missing one answers 0.
TEST(HitMap, PressesShapesAndTheSelectorDuringTheWait) {
  HitRig g;
  auto state = [&g] {  // the shape, the selector, the answer
    return std::tuple(g.cursors.CursorNumber, g.MouseSpin.enabled, int{g.scn.work[9]});
  };
  g.hitmap.StartHitMap(9, ByteString("MAP"), 7, 10);
  EXPECT_EQ(g.cursors.CursorNumber0, 1);
  EXPECT_EQ(state(), std::tuple(7, false, 0));
  g.layers.DrawWallpaper();  // reloads the mesh into the scratch bitmap
  g.Mouse(10, 25, 1);
  EXPECT_EQ(state(), std::tuple(10, false, 0));
  EXPECT_EQ(g.Mouse(10, 25, 1), WaitHandler::HitMapRelease);  // still held
  g.Mouse(10, 25, 0);
  EXPECT_EQ(state(), std::tuple(7, true, 2));  // shape 7 tests 20 pixels lower
  g.cursors.RestoreCursor();
  EXPECT_EQ(state(), std::tuple(1, true, 2));
  g.hitmap.StartHitMap(9, ByteString("MAP"), 0, 0);  // shape 1 throughout
  EXPECT_EQ(g.Mouse(0, 0, 1), WaitHandler::HitMapRelease);
  g.Mouse(10, 45, 0);
  EXPECT_EQ(state(), std::tuple(1, true, 2));
  g.hitmap.StartHitMap(9, ByteString("MAP"), 0, 0);
  EXPECT_EQ(g.Mouse(10, 45, 2, 2), WaitHandler::HitMapPress);
  EXPECT_EQ(g.Mouse(10, 25, 0, 1), WaitHandler::HitMapRelease);
  g.Mouse(10, 25, 0);
  EXPECT_EQ(state(), std::tuple(1, true, 1));
  EXPECT_THROW(g.hitmap.StartHitMap(9, ByteString("NOPE"), 6, 7), GameError);
  EXPECT_EQ(state(), std::tuple(1, true, 0));
  EXPECT_EQ(g.scn.MainProc, WaitHandler::None);
}

// Six frames (frame f of colour f + 1) at their pace, none in the first
// tick; the last step restores the rectangle; a missing strip runs its length.
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

// Centred (halves towards zero, on odd and smaller screens too) over a fresh
// wallpaper; a double click goes back to 100 %.
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

// Fitting the screen: the largest 4:3 rectangle of every screen, centred, whatever the scale
// control says (which keeps its value); the pointer maps to the logical pixel shown under it at
// every size, and back to a window pixel that shows it. Off, the control's size comes back.
TEST(DisplayScaling, FitTheScreenAtEverySizeAndThePointerMapsRight) {
  struct Case { Size screen; Rect shown; };
  for (Case c : {Case{{1024, 768}, {0, 0, 1024, 768}}, Case{{1920, 1080}, {240, 0, 1680, 1080}},
                 Case{{1366, 768}, {171, 0, 1195, 768}}, Case{{1280, 1024}, {0, 32, 1280, 992}},
                 Case{{641, 480}, {0, 0, 640, 480}}, Case{{500, 1000}, {0, 312, 500, 687}},
                 Case{{2, 2}, {-1, 0, 3, 3}}}) {
    SCOPED_TRACE(std::to_string(c.screen.width) + "x" + std::to_string(c.screen.height));
    GraphicsRig g;
    platform::HeadlessWindow window(c.screen);
    graphics::DisplayScaling scaling(g.layers, window, g.ResoSpin);
    g.ResoSpin.SetValue(70);
    scaling.SetFitScreen(true);
    EXPECT_EQ(scaling.Disp.rect(), c.shown);
    scaling.ResoSpinChange();
    EXPECT_EQ(std::pair(scaling.Disp.rect(), g.ResoSpin.value), std::pair(c.shown, 70));
    if (c.shown.width() >= 640) {
      for (int32_t x = 0; x < 640; ++x)
        ASSERT_EQ(scaling.MapPointer(scaling.WindowPoint({x, x * 3 / 4})), (Point{x, x * 3 / 4})) << x;
    }
    // Every window pixel maps into the picture, left to right in order, each logical column
    // taking the same number of window columns give or take one.
    std::vector<int> columns(640, 0);
    int32_t last = 0;
    for (int32_t px = -5; px < c.screen.width + 5; ++px) {
      const Point p = scaling.MapPointer({px, c.screen.height / 2});
      ASSERT_TRUE(p.x >= last && p.x < 640 && p.y >= 0 && p.y < 480) << px;
      last = p.x;
      if (px >= c.shown.left && px < c.shown.right) ++columns[static_cast<std::size_t>(p.x)];
    }
    if (c.shown.width() >= 640) {
      const auto [fewest, most] = std::minmax_element(columns.begin(), columns.end());
      EXPECT_LE(*most - *fewest, 1);
    }
    scaling.SetFitScreen(false);
    EXPECT_EQ(scaling.Disp.Width, 448) << "the control's 70 %";
  }
  // The game's own sizes map as they always did.
  GraphicsRig g;
  g.ResoSpin.SetValue(150);
  g.scaling.SetFitScreen(true);
  g.scaling.SetFitScreen(false);
  EXPECT_EQ(g.scaling.MapPointer({32 + 959, 24 + 719}), (Point{637, 477}));
}

// Sharp scaling: an enlargement by whole pixels keeps a one-pixel stroke one even block, and the
// smooth step after it blends only at the stroke's two edges; a change redrawn alone is what the
// whole picture drawn again gives.
TEST(SharpScaling, AStrokeStaysEvenAndAChangeRedrawsAsTheWhole) {
  EXPECT_EQ(SharpFactor({640, 480}, Rect{0, 0, 1920, 1440}), 3);
  EXPECT_EQ(SharpFactor({640, 480}, Rect{0, 0, 1440, 1080}), 2);
  EXPECT_EQ(SharpFactor({640, 480}, Rect{0, 0, 500, 375}), 1);
  Bitmap picture(640, 480, kWhite);
  for (int32_t x : {100, 300, 301, 555}) FillRect(picture, {x, 0, x + 1, 480}, kBlack);
  Bitmap enlarged;
  EnlargeWhole(picture, 2, enlarged, picture.bounds());
  ASSERT_EQ(std::pair(enlarged.width(), enlarged.height()), std::pair(1280, 960));
  for (int32_t y : {0, 1, 959})
    EXPECT_EQ(std::vector<Color>(enlarged.row(y) + 199, enlarged.row(y) + 203),
              (std::vector<Color>{kWhite, kBlack, kBlack, kWhite}));
  // Shown at 1440 x 1080: every one-pixel stroke has the same profile across the row.
  Bitmap window(1440, 1080, 0x00FF00);
  const PixelView view{window.row(0), window.width(), window.width(), window.height()};
  StretchBltSmooth(view, window.bounds(), enlarged, window.bounds());
  auto ink = [&](int32_t from, int32_t to) {
    int64_t sum = 0;
    for (int32_t x = from; x < to; ++x) sum += 255 - static_cast<int64_t>(window.at(x, 500) & 0xFF);
    return sum;
  };
  const int64_t one = ink(100 * 9 / 4 - 3, 100 * 9 / 4 + 6);
  EXPECT_GT(one, 2 * 255);
  EXPECT_NEAR(ink(555 * 9 / 4 - 3, 555 * 9 / 4 + 6), one, 255 / 4) << "strokes keep one weight";
  // A change of a few pixels, redrawn alone, equals the whole drawn again.
  Bitmap changed = picture;
  FillRect(changed, {400, 200, 403, 202}, 0x123456);
  Bitmap again = enlarged;
  EnlargeWhole(changed, 2, again, Rect{400, 200, 403, 202});
  Bitmap whole;
  EnlargeWhole(changed, 2, whole, changed.bounds());
  EXPECT_EQ(again, whole);
}

// A loader decodes each file's bytes once while it keeps them (its own few
// recent pictures by default, or a cache it is given): the same bytes give
// the kept picture, other bytes under the same name are decoded anew.
TEST(DecodedPictures, TheSameBytesAreDecodedOnce) {
  graphics::DecodedPictures cache;
  for (bool own : {true, false}) {
    SCOPED_TRACE(own ? "the loader's own" : "a cache given");
    GraphicsRig g;
    if (!own) g.form.loader.UseCache(&cache);
    g.Put("CG\\", "BG01.BMP", Pattern(40, 30, 3));
    Bitmap first, again, changed;
    g.form.loader.Load(first, "CG\\", ByteString("BG01.BMP"));
    g.form.loader.Load(again, "CG\\", ByteString("BG01.BMP"));
    EXPECT_EQ(again, Pattern(40, 30, 3));
    EXPECT_EQ(&again.pixels(), &first.pixels()) << "shared, not decoded again";
    again.set(0, 0, 1);  // drawn into: pixels of its own, the kept picture as it was
    g.form.loader.Load(again, "CG\\", ByteString("BG01.BMP"));
    EXPECT_EQ(again, Pattern(40, 30, 3));
    g.Put("CG\\", "BG01.BMP", Pattern(40, 30, 4));
    g.form.loader.Load(changed, "CG\\", ByteString("BG01.BMP"));
    EXPECT_EQ(changed, Pattern(40, 30, 4));
  }
  // A picture changes through the game's own loader: the mesh is decoded
  // once for every change, and the old picture again is the one kept.
  GraphicsRig g;
  g.Put("CG\\", "BG01.BMP", Pattern(64, 48, 1));
  g.Put("CG\\", "BG02.BMP", Pattern(64, 48, 2));
  std::vector<const void*> meshes, pictures;
  for (const char* name : {"BG01", "BG02", "BG01"}) {
    RunChange(g, name);
    meshes.push_back(&g.layers.CLS.pixels());
    pictures.push_back(&g.layers.TMP.pixels());
  }
  EXPECT_EQ(meshes[0], meshes[2]);
  EXPECT_EQ(pictures[0], pictures[2]);
  EXPECT_NE(pictures[0], pictures[1]);

  // Files in memory hand the loader their own bytes: a read copies nothing,
  // and is still a read that can fail.
  platform::MemoryFiles& files = g.game.files;
  const std::string path = std::string(kDat) + "CG/BG01.BMP";
  const int reads = files.Reads();
  std::string error;
  EXPECT_EQ(files.ReadShared(path, &error).get(), files.Get(path));
  EXPECT_EQ(files.Reads(), reads + 1);
  EXPECT_EQ(files.ReadShared(std::string(kDat) + "CG/NONE.BMP", &error), nullptr);
  EXPECT_NE(error.find("No such file"), std::string::npos);
  files.MakeUnreadable(path);
  EXPECT_EQ(files.ReadShared(path, &error), nullptr);
  Bitmap kept_before = g.layers.TMP;
  EXPECT_FALSE(g.form.loader.TryLoad(g.layers.TMP, "CG\\", ByteString("BG01.BMP")))
      << "kept, but no longer readable";
  EXPECT_EQ(g.layers.TMP, kept_before);
}

// Past its bounds a cache lets go of the pictures used longest ago: as many
// as the new one needs room for; one larger than all its room is not kept.
TEST(DecodedPictures, TheOnesUsedLongestAgoGo) {
  auto bytes = [](uint8_t tag, std::size_t size) { return std::vector<uint8_t>(size, tag); };
  const Bitmap small = Pattern(4, 4, 1);  // 64 bytes of pixels
  auto kept = [&bytes](graphics::DecodedPictures& cache, std::size_t size, uint8_t from, uint8_t to) {
    std::string found;
    for (uint8_t tag = from; tag <= to; ++tag) found += cache.Find(bytes(tag, size)) ? '1' : '0';
    return found;
  };
  // Past three pictures: the one found last stays.
  graphics::DecodedPictures three(3, 1 << 20);
  for (uint8_t tag : {1, 2, 3}) three.Keep(bytes(tag, 100), small);
  EXPECT_NE(three.Find(bytes(1, 100)), nullptr);  // from the oldest to the newest: 2 3 1
  three.Keep(bytes(4, 100), small);
  EXPECT_EQ(kept(three, 100, 1, 4), "1011");
  // Past 1000 bytes: as many go as the new one needs room for.
  graphics::DecodedPictures thousand(16, 1000);
  for (uint8_t tag : {1, 2, 3}) thousand.Keep(bytes(tag, 100), small);  // 164 bytes each
  thousand.Keep(bytes(4, 650), small);   // 714 more: 1 and 2 go
  thousand.Keep(bytes(5, 1000), small);  // larger than all the room: not kept, none go
  EXPECT_EQ(kept(thousand, 100, 1, 3) + kept(thousand, 650, 4, 4) + kept(thousand, 1000, 5, 5),
            "00110");
  graphics::DecodedPictures none(0, 1000);
  none.Keep(bytes(1, 1), small);
  EXPECT_EQ(none.Find(bytes(1, 1)), nullptr);
}

}  // namespace
}  // namespace velmor::testing
