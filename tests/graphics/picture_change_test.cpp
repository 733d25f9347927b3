// Picture changes: the three stages of the mesh dissolve.
#include <gtest/gtest.h>

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
  g.picture.ChangePicture(ByteString("BG01"));
  EXPECT_EQ(g.picture.MeshAcc, 0);
  // 13 ticks of 20 units: 260 = 16 passes (256) and 4 left over.
  for (int i = 0; i < 13; ++i) g.Tick();
  EXPECT_EQ(std::pair(g.scn.MainProc, int{g.picture.MeshAcc}), std::pair(WaitHandler::PrepareScreen, 4));
  g.Tick();  // PrepareScreen keeps the low four bits
  EXPECT_EQ(g.picture.MeshAcc, 4);
  // The dissolve-in starts from 4: 12 ticks give 244 units, 15 passes.
  for (int i = 0; i < 12; ++i) g.Tick();
  EXPECT_EQ(std::pair(g.scn.MainProc, int{g.picture.MeshPass}), std::pair(WaitHandler::DissolveIn, 15));
  g.Tick();
  EXPECT_EQ(std::pair(g.scn.MainProc, int{g.picture.MeshAcc}), std::pair(WaitHandler::None, 8));
}

// After k passes of the dissolve-out exactly the pixels whose place in their
// 4 x 4 cell belongs to one of the first k passes have the fill; midway in,
// some pixels show the picture and the others the fill; the end is the
// picture exactly.
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

// A framed picture stands in the frame beside the status, and only its area
// is published while it changes; a smaller full-screen picture after it
// leaves the rest standing.
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

}  // namespace
}  // namespace velmor::testing
