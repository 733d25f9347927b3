// Whole scenes on the headless game driven by the input script, F12's pictures and what --warn
// collects. (Saving and loading through the save panel are the menus suite's; walked from the
// keyboard, PanelKeys here.)
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/shared/png.h"
#include "platform/shared/screenshot.h"
#include "scripted_games.h"
#include "support/pictures.h"

namespace velmor::testing {
namespace {

using ::testing::AllOf;
using ::testing::AnyOf;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;
using scenario::WaitHandler;

TEST(Scenes, PictureHitMapAndAnimation) {
  GameRig g(Assembled("PICTURE \"_CG01\"\nHITMAP work[9], \"MAP\", 6, 7\nANIME 1\nCLICK\n"));
  const Bitmap picture = Pattern(496, 464, 4);
  g.files.Put(std::string(kDat) + "CG/_CG01.BMP", BmpBytes(picture));
  Bitmap map(640, 480, kBlack);
  FillRect(map, {100, 100, 200, 200}, 0xFF0000);  // region 2
  g.files.Put(std::string(kDat) + "CG/MAP.BMP", BmpBytes(map));
  Bitmap strip(256, 1152);
  for (int f = 0; f < 6; ++f)
    FillRect(strip, {0, f * 192, 256, (f + 1) * 192}, Color(0x10 * (f + 1)));
  g.files.Put(std::string(kDat) + "CG/BA01.BMP", BmpBytes(strip));
  AtFirstClick(g);
  EXPECT_EQ(g.form().scn.MainProc, WaitHandler::ChangePicture);  // the framed picture
  // The hold is refused until the picture change's last tick has run.
  for (int i = 0; i < 40 && g.form().scn.MainProc != WaitHandler::None; ++i) {
    EXPECT_EQ(g.form().input.CGHoldEnable, 0) << "tick " << g.form().ticks;
    g.Ticks(1);
  }
  EXPECT_EQ(g.form().input.CGHoldEnable, 1);
  g.Run("until HitMapPress 100\n");
  EXPECT_EQ(g.form().ticks, 1u + 13 + 1 + 13 + 1);
  EXPECT_EQ(std::tuple(g.form().layers.PictureRect, g.form().layers.BMP.at(8, 8),
                       g.form().cursors.CursorNumber),
            std::tuple(Rect{8, 8, 504, 472}, picture.at(0, 0), 6));
  // Shape 6 tests 16 right and down of the pointer.
  g.Run(At(134, 134) + "press left\ntick\n");
  EXPECT_EQ(g.form().cursors.CursorNumber, 7);
  g.Run("release\ntick\n");
  EXPECT_EQ(g.form().scn.work[9], 2);
  g.Run("tick\n");  // ANIME
  EXPECT_EQ(std::tuple(g.form().scn.MainProc, g.form().layers.PictureName.empty()),
            std::tuple(WaitHandler::AnimationStep, true));
  g.Run("tick\n");
  EXPECT_EQ(g.game->window().Canvas().at(192 + 200, 144 + 150), 0x10u);  // frame 0 shown
  // A repaint reloads the scratch bitmap; the next steps still find their frames (the third from
  // here shows frame 1).
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
  // Up arrows: faster.
  g.Run("control ResoSpin value 150\ncontrol SpeedSpin up\ncontrol SpeedSpin up\n"
        "control MouseSpin value 3\n");
  EXPECT_EQ(std::tuple(g.form().scaling.Disp.Width, g.form().msgwin.msg.spd,
                       g.form().cursors.CursorNumber),
            std::tuple(960, 0, 3));
}

namespace fs = std::filesystem;

// An empty folder of this test's own under the build.
fs::path Scratch(const std::string& name) {
  fs::path p = fs::path(VELMOR_BUILD_DIR) / "screenshot_test" / name;
  fs::remove_all(p);
  return p;
}

std::string Read(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(ScreenshotFolder, FromTheEnvironmentTheUserDirsOrHome) {
  struct Case { const char *xdg, *home, *user_dirs, *folder; };
  for (Case c :
       {Case{"/data/pics/", "/home/a", "", "/data/pics/velmor/"},
        Case{nullptr, "/home/a/", "", "/home/a/Pictures/velmor/"},
        Case{nullptr, "/home/a",
             "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_PICTURES_DIR=\"$HOME/Bilder\"\n",
             "/home/a/Bilder/velmor/"},
        Case{nullptr, "/home/a", "XDG_PICTURES_DIR=\"/srv/shots\"\n", "/srv/shots/velmor/"},
        // A relative setting is no folder to write into.
        Case{"pics", "/home/a", "XDG_PICTURES_DIR=\"Bilder\"\n", "/home/a/Pictures/velmor/"},
        Case{nullptr, nullptr, "", ""}, Case{nullptr, "", "", ""}})
    EXPECT_EQ(platform::ScreenshotFolderFrom(c.xdg, c.home, c.user_dirs), c.folder)
        << (c.xdg ? c.xdg : "-") << " " << (c.home ? c.home : "-") << " " << c.user_dirs;
  std::tm t{};
  EXPECT_EQ(platform::SaveScreenshot(Bitmap(640, 480), "", t).error,
            "no pictures folder (HOME is not set)");
  EXPECT_FALSE(platform::SaveScreenshot(Bitmap(), Scratch("empty").string(), t).ok());
}

TEST(Screenshot, F12WritesThePictureWithoutThePointerNeverOverAnotherFile) {
  const fs::path folder = Scratch("new") / "deeper";
  GameRig g(OneClick(), {1024, 768}, folder.string());
  ASSERT_FALSE(g.Start().has_value());
  g.Run("pointer 300 300\ntick\n");
  const std::string state = g.game->StateJson();
  g.Run("keys ctrl\nkey f12\n");
  const std::string name = "velmor-2000-01-01_12-00-00";
  ASSERT_TRUE(fs::exists(folder / (name + ".png")));
  const std::vector<uint8_t> png = platform::EncodePng(g.form().layers.BMP);
  EXPECT_EQ(Read(folder / (name + ".png")), std::string(png.begin(), png.end()));
  EXPECT_EQ(g.game->Notices(), std::vector<std::string>{"Screenshot saved: " + name + ".png"});
  // Neither the game nor its state heard of it: Ctrl is still held.
  EXPECT_EQ(std::pair(g.form().input.sft, g.game->StateJson()), std::pair(2, state));
  // An open panel does not stop it; another in the same second takes the next free number, and a
  // second later the plain name is free again.
  g.Run("keys\nclick right\ntick\nclick right\ntick\nkey f12\nkey f12\n");
  ASSERT_TRUE(g.form().panels.ConfigPanel.visible);
  EXPECT_TRUE(fs::exists(folder / (name + "-2.png")) && fs::exists(folder / (name + "-3.png")));
  { std::ofstream(folder / "velmor-2000-01-01_12-00-01.png") << "the player's own file"; }
  g.Run("tick 50\nkey f12\n");
  EXPECT_TRUE(fs::exists(folder / "velmor-2000-01-01_12-00-01-2.png"));
  EXPECT_EQ(Read(folder / "velmor-2000-01-01_12-00-01.png"), "the player's own file");
}

// What --warn reports on a running game: missing files, error boxes with the instruction that
// raised them, runaway loops; each cause once. Without it nothing is collected and the state has no
// warnings.
TEST(Warnings, EachCauseOnceWithItsInstruction) {
  // expected: the start of each warning, in order; bad_bmp: put as CG/BAD.BMP
  struct Warned { std::vector<uint8_t> init; int ticks; std::vector<std::string> expected;
                  std::string bad_bmp = ""; };
  const std::string at0 = "INIT.SNX:0x0000: ";
  const Warned cases[] = {
      // A picture change goes on without its picture: no box, one warning, however often it is
      // asked for.
      {Code().b(40).s("NOPE").b(107).b(1).b(16).w(0).bytes,  // PICTURE, WAIT 1, JUMP 0
       200, {at0 + "PICTURE \"NOPE\": picture CG/NOPE.BMP is missing"}},
      {Code().b(40).s("BAD").b(22).bytes, 3,
       {at0 + "PICTURE \"BAD\": picture CG/BAD.BMP is refused: not a BMP file"}, "BAD"},
      {Code().b(48).w(1).s("NOMAP").b(0).b(0).b(22).bytes, 3,
       {at0 + "HITMAP work[1], \"NOMAP\", 0, 0: picture CG/NOMAP.BMP is missing",
        at0 + "HITMAP work[1], \"NOMAP\", 0, 0: error box"}},
      {Code().b(32).s("M09").b(22).bytes, 3,
       {at0 + "MUSIC \"M09\": music ", at0 + "MUSIC \"M09\": error box"}},
      {Code().b(0).w(1).w(1).b(24).s("GONE").bytes, 2,
       {"INIT.SNX:0x0005: GOTO \"GONE\": scenario SNX/GONE.SNX is missing",
        "INIT.SNX:0x0005: GOTO \"GONE\": error box"}},
      {Code().b(25).s("GONE").bytes, 2,
       {at0 + "CALL \"GONE\": scenario SNX/GONE.SNX is missing", at0 + "CALL \"GONE\": error box"}},
      {Code().b(0).w(300).w(1).bytes, 2, {at0 + "LET work[300], 1: error box"}},
  };
  for (const Warned& c : cases) {
    SCOPED_TRACE(c.expected[0]);
    GameRig g(c.init);
    if (!c.bad_bmp.empty()) g.files.Put(std::string(kDat) + "CG/BAD.BMP", c.bad_bmp);
    g.form().EnableWarnings(false);
    g.Start();
    g.Ticks(c.ticks);
    std::vector<::testing::Matcher<const std::string&>> starts;
    for (const std::string& e : c.expected) starts.push_back(StartsWith(e));
    EXPECT_THAT(g.form().warnings->list(), ::testing::ElementsAreArray(starts));
    // The state lists them too (up to the first quote, which JSON escapes).
    const std::string& first = c.expected.front();
    EXPECT_THAT(g.game->StateJson(),
                HasSubstr("\"warnings\":[\"" + first.substr(0, first.find('"'))));
  }
}

TEST(Warnings, ARunawayLoopIsToldOnceAndSoIsItsBox) {
  GameRig g(Code().b(8).w(1).w(1).b(16).w(0).bytes);  // ADD work[1], 1; JUMP 0
  g.form().EnableWarnings(false);
  g.Start();
  g.Ticks(5);
  EXPECT_THAT(g.form().warnings->list(),
              ElementsAre(AllOf(HasSubstr(": a loop without a wait: "),
                                AnyOf(StartsWith("INIT.SNX:0x0000: ADD work[1], 1"),
                                      StartsWith("INIT.SNX:0x0005: JUMP 0x0000"))),
                          HasSubstr(": error box \"シナリオが応答しません。")));
  GameRig quiet(Code().b(40).s("NOPE").b(22).bytes);
  quiet.Start();
  quiet.Ticks(40);
  EXPECT_EQ(quiet.form().warnings, nullptr);
  EXPECT_EQ(quiet.game->StateJson().find("\"warnings\""), std::string::npos);
}

}  // namespace
}  // namespace velmor::testing
