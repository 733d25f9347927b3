// The application shell: start-up, the tick, input, the picture hold, the
// quit question and repaint, on a whole game over in-memory files.
#include <gtest/gtest.h>

#include "core/sjis.h"
#include "support/bytecode.h"
#include "support/game_data.h"
#include "support/pictures.h"

namespace velmor::testing {
namespace {

using scenario::WaitHandler;

// INIT: LET work[1] 1; CLICK; LET work[1] 2; CLICK; ... then END.
std::vector<uint8_t> ClickCounter() {
  Code c;
  for (uint16_t i = 1; i <= 5; ++i) c.b(0).w(1).w(i).b(22);
  c.b(255);
  return c.bytes;
}

TEST(StartUp, TheDisplayIsCentredOnTheScreen) {
  struct Case {
    Size screen;
    graphics::DispRec expected;
  };
  for (Case c : {Case{{1024, 768}, {144, 192, 640, 480}}, Case{{640, 480}, {0, 0, 640, 480}},
                 Case{{1281, 1024}, {272, 320, 640, 480}}, Case{{600, 439}, {-20, -20, 640, 480}}}) {
    GameRig g(ClickCounter(), c.screen);
    ASSERT_FALSE(g.Start().has_value());
    const graphics::DispRec& d = g.form().scaling.Disp;
    EXPECT_EQ(d.Top, c.expected.Top);
    EXPECT_EQ(d.Left, c.expected.Left);
    EXPECT_EQ(d.Width, 640);
    EXPECT_EQ(d.Height, 480);
  }
}

TEST(StartUp, MessageWindowFontAndPointer) {
  GameRig g(ClickCounter());
  ASSERT_FALSE(g.Start().has_value());
  const text::BoxRec& msg = g.form().msgwin.msg;
  EXPECT_EQ(msg.fdx, 8);
  EXPECT_EQ(msg.fdy, 19);
  EXPECT_EQ(msg.BoxRect, (Rect{6, 374, 634, 474}));
  EXPECT_EQ(msg.spd, 96);
  EXPECT_FALSE(g.game->window().SystemPointerVisible());
  EXPECT_LT(g.game->window().CursorCount(), 0);
  EXPECT_EQ(g.form().scn.MainProc, WaitHandler::None);
  EXPECT_EQ(g.form().scn.CallFile[0].str(), "INIT");
  // The first paint shows the wallpaper around the picture.
  EXPECT_EQ(g.game->window().Canvas().at(0, 0), Pattern(32, 32, 3).at(0, 0));
  EXPECT_EQ(g.game->window().Canvas().at(192, 144), kBlack);
}

TEST(StartUp, WithoutADataFolderSettingTheProgramStops) {
  for (std::string ini : {"", "[Other]\nDatPath=GAME/\n", "[Velmor]\nDatPath = x\n"}) {
    SCOPED_TRACE(ini);
    GameRig g(ClickCounter());
    app::HeadlessOptions options;
    options.start.program_folder = "PROG/";
    options.start.ini_file = "ETC/BRANNIC.INI";
    if (!ini.empty()) g.files.Put("ETC/BRANNIC.INI", ini);
    g.game = std::make_unique<app::HeadlessGame>(g.files, options);
    EXPECT_EQ(g.Start(), std::optional<int>(0));
    ASSERT_EQ(g.game->dialogs().Boxes().size(), 1u);
    EXPECT_EQ(g.game->dialogs().Boxes()[0].text, Sjis("正しく起動してください。").str());
    EXPECT_EQ(g.game->dialogs().Boxes()[0].kind, platform::MessageKind::Error);
    EXPECT_TRUE(g.game->ended());
  }
}

TEST(StartUp, TheIniFileNamesTheDataFolder) {
  GameRig g(ClickCounter());
  app::HeadlessOptions options;
  options.start.program_folder = "PROG/";
  options.start.ini_file = "ETC/brannic.ini";
  g.files.Put("ETC/BRANNIC.INI", std::string("; comment\r\n[velmor]\r\nDATPATH=\"GAME/\"\r\n"));
  g.game = std::make_unique<app::HeadlessGame>(g.files, options);
  EXPECT_FALSE(g.Start().has_value());
  EXPECT_EQ(g.form().DatPath.str(), "GAME/");
}

TEST(StartUp, AMissingStartUpPictureIsNamedAndTheGameEnds) {
  for (const char* missing : {"CG/MESH.BMP", "CG/CHU.BMP", "CG/WK00.BMP", "SOUND/QV00.WAV"}) {
    SCOPED_TRACE(missing);
    GameRig g(ClickCounter());
    g.files.Remove(std::string(kDat) + missing);
    EXPECT_FALSE(g.Start().has_value());
    EXPECT_TRUE(g.game->ended());
    EXPECT_TRUE(g.form().quit);
    ASSERT_EQ(g.game->dialogs().Boxes().size(), 1u);
    std::string file = std::string(missing).substr(std::string(missing).find('/') + 1);
    EXPECT_NE(g.game->dialogs().Boxes()[0].text.find(file), std::string::npos);
  }
}

TEST(Tick, OneClickIsSeenByOneTick) {
  GameRig g(ClickCounter());
  g.Start();
  g.Ticks(1);  // LET 1, CLICK waits
  EXPECT_EQ(g.form().scn.work[1], 1);
  g.Run("click left\ntick\n");  // WaitClick sees it and ends the wait
  g.Ticks(1);                   // LET 2, CLICK waits again
  EXPECT_EQ(g.form().scn.work[1], 2);
  g.Ticks(3);  // the click is gone: no further progress
  EXPECT_EQ(g.form().scn.work[1], 2);
  EXPECT_EQ(g.form().input.clk, 0);
}

TEST(Tick, PointerIsMappedEachTickAndDrawnThenRemoved) {
  GameRig g(ClickCounter());
  g.Start();
  g.Run("pointer 292 244\ntick\n");
  EXPECT_EQ(g.form().input.msx, 100);
  EXPECT_EQ(g.form().input.msy, 100);
  // Shown on the window: the sprite's 8 x 8 square in cursor 0's colour...
  const Bitmap& canvas = g.game->window().Canvas();
  EXPECT_EQ(canvas.at(292, 244), 0x202020u);  // _CGBK is both sprite and mask at first
  // ...and gone again from the screen image after the presentation.
  EXPECT_EQ(g.form().layers.IMG, g.form().layers.BMP);
}

TEST(Input, ModifierCodesFromTheKeysHeld) {
  GameRig g(ClickCounter());
  g.Start();
  struct Case {
    const char* keys;
    int32_t sft;
  };
  for (Case c : {Case{"keys shift", 1}, Case{"keys ctrl", 2}, Case{"keys shift ctrl", 3},
                 Case{"keys alt", 4}, Case{"keys shift ctrl alt", 7}, Case{"keys shift alt", 0},
                 Case{"keys ctrl alt", 0}, Case{"keys", 0}}) {
    g.Run(c.keys);
    EXPECT_EQ(g.form().input.sft, c.sft) << c.keys;
  }
}

TEST(Input, ButtonsAndRelease) {
  GameRig g(ClickCounter());
  g.Start();
  g.Run("press right");
  EXPECT_EQ(g.form().input.clk, 2);
  EXPECT_EQ(g.form().input.drg, 2);
  g.Run("release\npress middle");
  EXPECT_EQ(g.form().input.clk, 0);
  EXPECT_EQ(g.form().input.drg, 0);
}

TEST(Hold, RightClickShowsThePictureAloneAndALeftClickBringsTheSceneBack) {
  GameRig g(ClickCounter());
  g.Start();
  g.Ticks(1);
  app::TForm1& f = g.form();
  Bitmap picture = Pattern(640, 480, 8);
  f.layers.TMP = picture;
  FillRect(f.layers.BMP, {0, 374, 640, 480}, kWhite);  // a message window
  f.layers.ShowBackBuffer();
  g.Run("click right\ntick\n");
  EXPECT_EQ(f.input.HoldMode, 1);
  EXPECT_EQ(f.input.spf, 0);
  EXPECT_EQ(f.layers.IMG, picture);
  g.Run("click left\ntick\n");  // ends the hold; the scenario did not see it
  EXPECT_EQ(f.input.HoldMode, 0);
  EXPECT_EQ(f.input.spf, 1);
  EXPECT_EQ(f.layers.IMG, f.layers.BMP);
  EXPECT_EQ(f.scn.work[1], 1);
  EXPECT_EQ(f.scn.MainProc, WaitHandler::WaitClick);
}

TEST(Hold, NotAllowedMeansTheRightClickGoesToTheScenario) {
  GameRig g(ClickCounter());
  g.Start();
  g.Ticks(1);
  g.form().input.CGHoldEnable = 0;
  g.Run("click right\ntick\n");
  EXPECT_EQ(g.form().input.HoldMode, 0);
}

TEST(Hold, TwoRightClicksOpenTheSettingsPanelInsideTheScreen) {
  GameRig g(ClickCounter());
  g.Start();
  g.Ticks(1);
  app::TForm1& f = g.form();
  g.Run("pointer 1000 700\nclick right\ntick\nclick right\ntick\n");
  EXPECT_TRUE(f.panels.ConfigPanel.visible);
  EXPECT_EQ(f.panels.ConfigPanel.bounds, (Rect{624, 620, 1024, 768}));
  EXPECT_TRUE(g.game->window().SystemPointerVisible());
  // A left click on the window does nothing; a right click outside the panel
  // moves it.
  g.Run("pointer 10 20\nclick left\ntick\n");
  EXPECT_EQ(f.input.HoldMode, 1);
  g.Run("click right\ntick\n");
  EXPECT_EQ(f.panels.ConfigPanel.bounds, (Rect{10, 20, 410, 168}));
  // A right click on the panel itself belongs to the panel.
  g.Run("pointer 100 100\nclick right\ntick\n");
  EXPECT_EQ(f.panels.ConfigPanel.bounds.left, 10);
  // OK closes it and the story goes on.
  g.Run("control ExitButton click\n");
  EXPECT_FALSE(f.panels.ConfigPanel.visible);
  EXPECT_EQ(f.input.HoldMode, 0);
  EXPECT_EQ(f.input.spf, 1);
  EXPECT_FALSE(g.game->window().SystemPointerVisible());
  g.Run("click left\ntick\ntick\n");
  EXPECT_EQ(f.scn.work[1], 2);
}

TEST(Quit, EndButtonAsksAndCancelLeavesEverythingAsItWas) {
  GameRig g(ClickCounter());
  g.Start();
  g.Ticks(1);
  g.Run("click right\ntick\nclick right\ntick\nanswer cancel\ncontrol EndButton click\n");
  EXPECT_FALSE(g.game->ended());
  EXPECT_TRUE(g.form().panels.ConfigPanel.visible);
  ASSERT_EQ(g.game->dialogs().Boxes().size(), 1u);
  EXPECT_EQ(g.game->dialogs().Boxes()[0].text, Sjis("本当に終了するよ？").str());
  EXPECT_EQ(g.game->dialogs().Boxes()[0].kind, platform::MessageKind::Confirmation);
  g.Run("answer ok\ncontrol EndButton click\n");
  EXPECT_TRUE(g.game->ended());
  EXPECT_TRUE(g.form().quit);
}

TEST(Quit, CloseRequestShowsThePointerAndCancelPutsItBack) {
  GameRig g(ClickCounter());
  g.Start();
  g.Ticks(1);
  app::TForm1& f = g.form();
  g.game->dialogs().QueueAnswer(platform::Answer::Cancel);
  EXPECT_FALSE(f.FormCloseQuery());
  EXPECT_FALSE(g.game->window().SystemPointerVisible());
  EXPECT_EQ(f.input.spf, 1);
  // During the hold the drawn pointer stays off after a cancelled question.
  g.Run("click right\ntick\n");
  g.game->dialogs().QueueAnswer(platform::Answer::Cancel);
  EXPECT_FALSE(f.FormCloseQuery());
  EXPECT_EQ(f.input.spf, 0);
  g.game->dialogs().QueueAnswer(platform::Answer::Ok);
  EXPECT_THROW(f.FormCloseQuery(), QuitSignal);
}

TEST(Errors, AnErrorInsideATickAbandonsThatTickOnly) {
  // MUSIC "NONE" (no such file), then LET work[1] 7, CLICK.
  Code c;
  c.b(32).s("NONE").b(0).w(1).w(7).b(22);
  GameRig g(c.bytes);
  g.Start();
  g.Ticks(1);
  ASSERT_EQ(g.game->dialogs().Boxes().size(), 1u);
  EXPECT_EQ(g.game->dialogs().Boxes()[0].kind, platform::MessageKind::Failure);
  EXPECT_EQ(g.form().scn.work[1], 0);
  g.Ticks(1);  // the scenario goes on after the instruction
  EXPECT_EQ(g.form().scn.work[1], 7);
  EXPECT_FALSE(g.game->ended());
}

TEST(Errors, RepaintAfterABoxRemovesTheHeldPicture) {
  GameRig g(ClickCounter());
  g.Start();
  g.Ticks(1);
  app::TForm1& f = g.form();
  f.layers.TMP = Pattern(640, 480, 2);
  g.Run("click right\ntick\n");
  EXPECT_EQ(f.layers.IMG, f.layers.TMP);
  f.invalid = true;  // something uncovered the window
  f.PaintIfInvalid();
  EXPECT_EQ(f.layers.IMG, f.layers.BMP);
  EXPECT_EQ(f.input.HoldMode, 1);  // the hold itself lasts until the next left click
}

}  // namespace
}  // namespace velmor::testing
