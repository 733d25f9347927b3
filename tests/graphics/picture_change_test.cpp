// Picture changes: the three stages of the mesh dissolve.
#include <gtest/gtest.h>

#include "support/graphics_rig.h"

namespace velmor::testing {
namespace {

using scenario::WaitHandler;

struct Timeline {
  int out = 0;      // ticks of the dissolve-out
  int prepare = 0;  // ticks of PrepareScreen
  int in = 0;       // ticks of the dissolve-in
};

Timeline RunChange(GraphicsRig& g, const std::string& name) {
  g.picture.ChangePicture(ByteString(name));
  EXPECT_EQ(g.input.CGHoldEnable, 0);  // no hold while the change runs
  Timeline t;
  while (g.scn.MainProc != WaitHandler::None && t.out + t.prepare + t.in < 200) {
    WaitHandler h = g.scn.MainProc;
    g.Tick();
    (h == WaitHandler::ChangePicture ? t.out : h == WaitHandler::PrepareScreen ? t.prepare : t.in)++;
  }
  return t;
}

TEST(PictureChange, NormalAndFastTimelines) {
  struct Case {
    int32_t sft;
    Timeline expected;
  };
  for (Case c : {Case{0, {13, 1, 13}}, Case{kSkipKey, {2, 1, 2}}, Case{1, {13, 1, 13}}}) {
    GraphicsRig g;
    g.Put("CG\\", "BG01.BMP", Pattern(640, 480));
    g.input.sft = c.sft;
    Timeline t = RunChange(g, "BG01");
    EXPECT_EQ(t.out, c.expected.out);
    EXPECT_EQ(t.prepare, c.expected.prepare);
    EXPECT_EQ(t.in, c.expected.in);
    EXPECT_EQ(g.input.CGHoldEnable, 1);
  }
}

TEST(PictureChange, AccumulatorCarriesItsLowBitsToTheNextDissolve) {
  GraphicsRig g;
  g.Put("CG\\", "BG01.BMP", Pattern(640, 480));
  g.picture.ChangePicture(ByteString("BG01"));
  EXPECT_EQ(g.picture.MeshAcc, 0);
  // 13 ticks of 20 units: 260 = 16 passes (256) and 4 left over.
  for (int i = 0; i < 13; ++i) g.Tick();
  EXPECT_EQ(g.scn.MainProc, WaitHandler::PrepareScreen);
  EXPECT_EQ(g.picture.MeshAcc, 4);
  g.Tick();  // PrepareScreen keeps the low four bits
  EXPECT_EQ(g.picture.MeshAcc, 4);
  // The dissolve-in starts from 4: 12 ticks give 244 units, 15 passes.
  for (int i = 0; i < 12; ++i) g.Tick();
  EXPECT_EQ(g.picture.MeshPass, 15);
  EXPECT_EQ(g.scn.MainProc, WaitHandler::DissolveIn);
  g.Tick();
  EXPECT_EQ(g.scn.MainProc, WaitHandler::None);
  EXPECT_EQ(g.picture.MeshAcc, 8);
}

TEST(PictureChange, FastDissolveDoesEightPassesThenTheRest) {
  GraphicsRig g;
  g.input.sft = kSkipKey;
  g.picture.MeshAcc = 8;  // carried over
  g.picture.ChangePicture(ByteString(""));
  g.Tick();
  EXPECT_EQ(g.picture.MeshPass, 9);  // 8 + 136 = 144 units
  g.Tick();
  EXPECT_EQ(g.picture.MeshPass, 16);
}

// After k passes of the dissolve-out in the black variant, exactly the pixels
// whose place in their 4 x 4 cell belongs to one of the first k passes are
// black.
TEST(PictureChange, DissolveOutPixelsAfterChosenPasses) {
  for (bool white : {false, true}) {
    SCOPED_TRACE(white ? "white" : "black");
    GraphicsRig g;
    g.picture.WhiteFill = white ? 1 : 0;
    Bitmap scene = Pattern(640, 480, 3);
    g.layers.BMP = scene;
    g.picture.ChangePicture(ByteString(""));
    g.Tick();  // 20 units: one pass
    g.Tick();  // 40: two passes
    g.Tick();  // 60: three passes
    ASSERT_EQ(g.picture.MeshPass, 3);
    Color fill = white ? kWhite : kBlack;
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) {
        bool hit = false;
        for (int k = 0; k < 3; ++k)
          hit |= (x % 4 == graphics::MeshDX[k] && y % 4 == graphics::MeshDY[k]);
        EXPECT_EQ(g.layers.BMP.at(x, y), hit ? fill : scene.at(x, y)) << x << "," << y;
        EXPECT_EQ(g.layers.IMG.at(x, y), g.layers.BMP.at(x, y));  // published
      }
  }
}

TEST(PictureChange, DissolveInEndsWithTheExactPicture) {
  for (bool white : {false, true}) {
    SCOPED_TRACE(white ? "white" : "black");
    GraphicsRig g;
    g.picture.WhiteFill = white ? 1 : 0;
    Bitmap picture = Pattern(640, 480, 9);
    g.Put("CG\\", "BG02.BMP", picture);
    g.picture.ChangePicture(ByteString("BG02"));
    for (int i = 0; i < 13; ++i) g.Tick();
    g.Tick();  // PrepareScreen: the area is filled
    EXPECT_EQ(g.layers.BMP.at(100, 100), white ? kWhite : kBlack);
    EXPECT_EQ(g.layers.IMG.at(100, 100), white ? kWhite : kBlack);
    // Midway some pixels show the picture and the others the fill.
    for (int i = 0; i < 6; ++i) g.Tick();
    int shown = 0;
    for (int x = 0; x < 16; ++x) shown += g.layers.BMP.at(x, 0) == picture.at(x, 0);
    EXPECT_GT(shown, 0);
    EXPECT_LT(shown, 16);
    g.TicksUntilDone();
    EXPECT_EQ(g.layers.BMP, picture);
    EXPECT_EQ(g.layers.IMG, picture);
    EXPECT_EQ(g.layers.PictureRect, (Rect{0, 0, 640, 480}));
    EXPECT_EQ(g.layers.PictureName.str(), "BG02");
  }
}

TEST(PictureChange, FramedPictureStandsInTheFrameBesideTheStatus) {
  GraphicsRig g;
  Bitmap picture = Pattern(496, 464, 5);
  g.Put("CG\\", "_cg01.BMP", picture);
  g.layers.BMP = Pattern(640, 480, 11);  // an old full-screen scene
  RunChange(g, "_cg01");
  EXPECT_EQ(g.layers.PictureRect, (Rect{8, 8, 504, 472}));
  EXPECT_EQ(g.layers.BMP.at(8, 8), picture.at(0, 0));
  EXPECT_EQ(g.layers.BMP.at(503, 471), picture.at(495, 463));
  EXPECT_EQ(g.layers.BMP.at(0, 0), 0x404080u);   // the frame WK01
  EXPECT_EQ(g.layers.BMP.at(520, 20), kWhite);   // the frame's white strip
  EXPECT_EQ(g.layers.BMP.at(514, 76), text::kGaugeBack);  // a gauge of the status

  g.status.StatusLayout = 1;  // the second layout has a frame of its own
  RunChange(g, "_cg01");
  EXPECT_EQ(g.layers.BMP.at(0, 0), 0x408040u);
}

TEST(PictureChange, FromFramedToASmallerFullScreenPictureLeavesTheRestStanding) {
  GraphicsRig g;
  g.Put("CG\\", "_CG01.BMP", Pattern(496, 464, 5));
  RunChange(g, "_CG01");
  Bitmap framed_scene = g.layers.BMP;
  g.Put("CG\\", "SMALL.BMP", Pattern(320, 240, 6));
  Timeline t = RunChange(g, "SMALL");
  EXPECT_EQ(t.out, 13);
  EXPECT_EQ(g.layers.PictureRect, (Rect{0, 0, 320, 240}));
  // Outside the old framed area nothing dissolved; outside the new area the
  // old screen stands.
  EXPECT_EQ(g.layers.BMP.at(600, 400), framed_scene.at(600, 400));
  EXPECT_EQ(g.layers.BMP.at(0, 0), Pattern(320, 240, 6).at(0, 0));
}

TEST(PictureChange, NamesThatAskForTheFrame) {
  struct Case {
    const char* name;
    bool framed;
  };
  for (Case c : {Case{"_cg01", true}, Case{"_Cg", true}, Case{"_C", false}, Case{"X_CG01", false}}) {
    EXPECT_EQ(graphics::PictureChange::IsFramed(Sstr(c.name)), c.framed) << c.name;
  }
}

// A missing or damaged picture: the name is forgotten and the change shows
// what TMP holds, full-screen.
TEST(PictureChange, MissingOrDamagedPictureShowsWhatTmpHolds) {
  for (const char* name : {"MISSING", "BROKEN"}) {
    SCOPED_TRACE(name);
    GraphicsRig g;
    g.game.files.Put(std::string(kDat) + "CG\\BROKEN.BMP",
                     std::string("BM this is not a picture"));
    Bitmap previous = Pattern(640, 480, 21);
    g.layers.TMP = previous;
    g.layers.PictureName = Sstr("_CG09");
    Timeline t = RunChange(g, name);
    EXPECT_EQ(t.out + t.prepare + t.in, 27);
    EXPECT_TRUE(g.layers.PictureName.empty());
    EXPECT_EQ(g.layers.PictureRect, (Rect{0, 0, 640, 480}));
    EXPECT_EQ(g.layers.BMP, previous);
    EXPECT_TRUE(g.errors.empty());
  }
}

TEST(PictureChange, EmptyNameShowsTheCurrentPictureAgain) {
  GraphicsRig g;
  g.Put("CG\\", "BG01.BMP", Pattern(640, 480, 1));
  RunChange(g, "BG01");
  Timeline t = RunChange(g, "");
  EXPECT_EQ(t.out, 13);
  EXPECT_EQ(g.layers.PictureName.str(), "BG01");
  EXPECT_EQ(g.layers.BMP, Pattern(640, 480, 1));
}

TEST(PictureChange, OnlyThePictureAreaIsPublishedDuringTheChange) {
  GraphicsRig g;
  g.Put("CG\\", "_CG01.BMP", Pattern(496, 464, 5));
  RunChange(g, "_CG01");
  g.layers.IMG = Bitmap(640, 480, 0x123456);  // mark the screen image
  g.picture.ChangePicture(ByteString(""));
  for (int i = 0; i < 13; ++i) g.Tick();
  EXPECT_EQ(g.layers.IMG.at(600, 10), 0x123456u);  // outside PictureRect
  EXPECT_NE(g.layers.IMG.at(100, 100), 0x123456u);
}

}  // namespace
}  // namespace velmor::testing
