// Whole scenes on the headless game: scenario bytecode in, the input script
// driving it, the state checked as the player would see it. (Saving and
// loading through the save panel are the menus suite's SaveButton and
// LoadSlot tests; walked from the keyboard, PanelKeys here.)
#include <gtest/gtest.h>

#include "scripted_games.h"
#include "support/pictures.h"

namespace velmor::testing {
namespace {

using scenario::WaitHandler;

TEST(Scenes, PictureHitMapAndAnimation) {
  Code c;
  c.b(40).s("_CG01");               // PICTURE, framed
  c.b(48).w(9).s("MAP").b(6).b(7);  // HITMAP
  c.b(46).b(1).b(22);               // ANIME, CLICK
  GameRig g(c.bytes);
  Bitmap picture = Pattern(496, 464, 4);
  g.files.Put(std::string(kDat) + "CG/_CG01.BMP", BmpBytes(picture));
  Bitmap map(640, 480, kBlack);
  FillRect(map, {100, 100, 200, 200}, 0xFF0000);  // region 2
  g.files.Put(std::string(kDat) + "CG/MAP.BMP", BmpBytes(map));
  Bitmap strip(256, 1152);
  for (int f = 0; f < 6; ++f) FillRect(strip, {0, f * 192, 256, f * 192 + 192}, Color(0x10 * (f + 1)));
  g.files.Put(std::string(kDat) + "CG/BA01.BMP", BmpBytes(strip));
  g.Start();

  g.Run("tick\n");
  EXPECT_EQ(g.form().scn.MainProc, WaitHandler::ChangePicture);
  // The hold is refused until the picture change's last tick has run.
  for (int i = 0; i < 40 && g.form().scn.MainProc != WaitHandler::None; ++i) {
    EXPECT_EQ(g.form().input.CGHoldEnable, 0) << "tick " << g.form().ticks;
    g.Ticks(1);
  }
  EXPECT_EQ(g.form().input.CGHoldEnable, 1);
  g.Run("until HitMapPress 100\n");
  EXPECT_EQ(g.form().ticks, 1u + 13 + 1 + 13 + 1);
  EXPECT_EQ(g.form().layers.PictureRect, (Rect{8, 8, 504, 472}));
  EXPECT_EQ(g.form().layers.BMP.at(8, 8), picture.at(0, 0));
  EXPECT_EQ(g.form().cursors.CursorNumber, 6);
  // Shape 6 tests 16 right and down of the pointer.
  g.Run(At(134, 134) + "press left\ntick\n");
  EXPECT_EQ(g.form().cursors.CursorNumber, 7);
  g.Run("release\ntick\n");
  EXPECT_EQ(g.form().scn.work[9], 2);

  g.Run("tick\n");  // ANIME
  EXPECT_EQ(g.form().scn.MainProc, WaitHandler::AnimationStep);
  EXPECT_TRUE(g.form().layers.PictureName.empty());
  g.Run("tick\n");
  EXPECT_EQ(g.game->window().Canvas().at(192 + 200, 144 + 150), 0x10u);  // frame 0 shown
  // A repaint reloads the scratch bitmap; the next steps still find their
  // frames (the third from here shows frame 1).
  g.form().invalid = true;
  g.form().PaintIfInvalid();
  g.Run("tick 3\n");
  EXPECT_EQ(g.game->window().Canvas().at(192 + 200, 144 + 150), 0x20u);
  g.Run("until none 200\n");
  EXPECT_EQ(g.form().layers.IMG.at(200, 150), g.form().layers.BMP.at(200, 150));
}

TEST(Scenes, SettingsPanelControlsActAtOnce) {
  GameRig g(Code().b(32).s("M01").b(22).bytes);  // MUSIC, CLICK
  g.files.Put(std::string(kDat) + "SOUND/M01.WAV", TinyWave(500));
  g.files.Put(std::string(kDat) + "SOUND/SC88/M01.MID", TinyMidi());
  g.Start();
  g.Run("tick\nclick right\ntick\nclick right\ntick\ncontrol MidiBtn2 click\n");
  EXPECT_EQ(g.game->media().OpenedFile(), std::string(kDat) + "SOUND/SC88/M01.MID");
  g.Run("control ResoSpin value 150\n");
  EXPECT_EQ(g.form().scaling.Disp.Width, 960);
  g.Run("control SpeedSpin up\ncontrol SpeedSpin up\n");  // up arrows: faster
  EXPECT_EQ(g.form().msgwin.msg.spd, 0);
  g.Run("control MouseSpin value 3\n");
  EXPECT_EQ(g.form().cursors.CursorNumber, 3);
}

}  // namespace
}  // namespace velmor::testing
