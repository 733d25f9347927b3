// The game as a whole on in-memory files: start-up, the tick and its schedule, input, the picture
// hold, the quit question, the input script's refusals, the window's size changing, whole scenes,
// F12's pictures and what --warn collects. (Saving and loading through the save panel are the
// menus suite's; walked from the keyboard, PanelKeys.)
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <tuple>

#include "core/game_path.h"
#include "session/tick_scheduler.h"
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

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

TEST(StartUp, MessageWindowPointerAndFirstPaint) {
  GameRig g(ClickCounter());
  ASSERT_FALSE(g.Start().has_value());
  const platform::HeadlessWindow& w = g.game->window();
  EXPECT_EQ(g.in().msgwin.msg.BoxRect, (Rect{6, 374, 634, 474}));
  EXPECT_EQ(std::tuple(w.SystemPointerVisible(), w.CursorCount() < 0), std::tuple(false, true));
  EXPECT_EQ(g.in().scn.CallFile[0].str(), "INIT");
  EXPECT_EQ(std::pair(w.Canvas().at(0, 0), w.Canvas().at(192, 144)),
            std::pair(Pattern(32, 32, 3).at(0, 0), kBlack));  // the wallpaper around the picture
  for (std::size_t i = 1; i < scenario::kWaitHandlerCount; ++i)
    EXPECT_TRUE(g.in().scn.waits.Bound(WaitHandler(i))) << scenario::kWaitHandlerNames[i];
}

// The data folder comes from the INI file beside the program or --data; no data folder stops the
// game with the reason.
TEST(StartUp, TheDataFolderIsFoundOrTheProgramStopsSayingWhy) {
  // ini: ETC/BRANNIC.INI (nullptr: none); data: --data ("": read the INI); says: pieces of the
  // failure (none: it starts).
  struct Case { const char* ini; const char* data; std::vector<std::string> says; };
  const std::vector<std::string> no_ini = {"ETC/BRANNIC.INI", "--data DIR", "cannot read"};
  const std::vector<std::string> no_path = {"ETC/BRANNIC.INI", "--data DIR", "has no DatPath"};
  // Only the first 64 KiB are read, and not a line the cut runs through.
  const std::string far = "[Velmor]\n;" + std::string(70000, ';') + "\nDatPath=GAME/\n";
  const std::string cut = "[Velmor]\n;" + std::string(65500, ';') + "\nDatPath=GAME/" +
                          std::string(100, 'X') + "\n";
  const std::vector<std::string> too_long = {"ETC/BRANNIC.INI", "only its first 65536 bytes"};
  const Case cases[] = {{nullptr, "", no_ini}, {"[Other]\nDatPath=GAME/\n", "", no_path},
                        {"[Velmor]\nDatPath = x\n", "", no_path},
                        {"; comment\r\n[velmor]\r\nDATPATH=\"GAME/\"\r\n", "", {}},
                        {nullptr, "ELSEWHERE/", {"The data folder ELSEWHERE/ does not exist"}},
                        {nullptr, "GAME/CG/", {"does not look like a game's data folder"}},
                        {far.c_str(), "", too_long},
                        {cut.c_str(), "", too_long}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.ini ? c.ini : "no INI").substr(0, 100) + " " + c.data);
    GameRig g(ClickCounter());
    main::HeadlessOptions options;
    options.start.program_folder = "PROG/";
    options.start.data_folder = c.data;
    options.start.ini_file = "ETC/brannic.ini";  // file names match in any case
    if (c.ini) g.files.Put("ETC/BRANNIC.INI", std::string(c.ini));
    g.game = std::make_unique<main::HeadlessGame>(g.files, options);
    if (c.says.empty()) {
      EXPECT_FALSE(g.Start().has_value());
      EXPECT_EQ(g.in().DatPath, "GAME/");
      continue;
    }
    EXPECT_EQ(g.Start(), std::optional<int>(1));
    EXPECT_TRUE(g.game->ended());
    for (const std::string& piece : c.says)
      EXPECT_THAT(Lower(g.in().startup_failure), HasSubstr(Lower(piece)));
    if (*c.data) continue;
    ASSERT_EQ(g.game->dialogs().Boxes().size(), 1u);
    EXPECT_EQ(g.game->dialogs().Boxes()[0].text, S("正しく起動してください。"));
    EXPECT_EQ(g.game->dialogs().Boxes()[0].kind, platform::MessageKind::Error);
  }
}

// A missing start-up file is named and the game ends as a failure; the wallpaper missing fails only
// the first repaint, which is told.
TEST(StartUp, AMissingStartUpFileIsNamed) {
  for (const std::string missing : {"CG/MESH.BMP", "CG/CHU.BMP", "CG/WK00.BMP", "SOUND/QV00.WAV",
                                    "SNX/INIT.SNX", "CG/WALL00.BMP"}) {
    SCOPED_TRACE(missing);
    const bool fatal = missing != "CG/WALL00.BMP";
    GameRig g(ClickCounter());
    g.files.Remove(kDat + missing);
    EXPECT_EQ(g.Start(), fatal ? std::optional<int>(1) : std::nullopt);
    ASSERT_EQ(g.game->dialogs().Boxes().size(), 1u);
    EXPECT_THAT(g.game->dialogs().Boxes()[0].text,
                HasSubstr(missing.substr(missing.find('/') + 1)));
    if (!fatal) {
      g.Ticks(1);
      EXPECT_EQ(g.in().scn.work[1], 1);
      EXPECT_THAT(g.game->StateJson(), HasSubstr("\"ticks\":1"));
      // Each answered box repaints; the wallpaper's fault is told only once.
      g.Ticks(200);
      EXPECT_EQ(g.game->dialogs().Boxes().size(), 1u);
      continue;
    }
    EXPECT_EQ(std::tuple(g.game->ended(), g.in().quit), std::tuple(true, true));
    // The terminal hears the whole path and where the folder came from.
    EXPECT_THAT(g.in().startup_failure, HasSubstr(kDat + missing));
    EXPECT_THAT(g.in().startup_failure, HasSubstr("The data folder is GAME/ (given by --data)"));
  }
}

// The pointer is mapped each tick, drawn and taken off the screen image again; the buttons go down
// and up. (The modifier codes are the sdl suite's.)
TEST(Input, ThePointerAndTheButtons) {
  GameRig g(ClickCounter());
  AtFirstClick(g);
  const InputState& in = g.in().input;
  g.Run("pointer 292 244\ntick\n");
  EXPECT_EQ((Point{in.msx, in.msy}), (Point{100, 100}));
  EXPECT_EQ(g.game->window().Canvas().at(292, 244), 0x202020u);  // _CGBK, sprite and mask
  EXPECT_EQ(g.in().layers.IMG, g.in().layers.BMP);
  // Standing still it stays on the window; moved, it leaves the picture behind.
  g.Run("tick\ntick\ntick\n");
  EXPECT_EQ(g.game->window().Canvas().at(292, 244), 0x202020u);
  g.Run("pointer 392 284\ntick\n");
  const Bitmap& canvas = g.game->window().Canvas();
  EXPECT_EQ(std::pair(canvas.at(292, 244), canvas.at(392, 284)),
            std::pair(g.in().layers.IMG.at(100, 100), 0x202020u));
  EXPECT_EQ(g.in().layers.IMG, g.in().layers.BMP);
  g.Run("press right");
  EXPECT_EQ(std::tuple(in.clk, in.drg), std::tuple(2, 2));
  g.Run("release\npress middle");
  EXPECT_EQ(std::tuple(in.clk, in.drg), std::tuple(0, 0));
  // A side button after the left one clears the click.
  g.form().FormMouseDown(MouseButton::Left);
  g.form().FormMouseDown(MouseButton::Other);
  g.form().FormMouseUp();
  g.Ticks(2);
  EXPECT_EQ(g.in().scn.work[1], 1) << "the wait goes on";
}

TEST(Hold, RightClickShowsThePictureAloneAndALeftClickOrEnterBringsTheSceneBack) {
  for (const std::string end : {"click left", "key enter", "not allowed"}) {
    SCOPED_TRACE(end);
    GameRig g(ClickCounter());
    AtFirstClick(g);
    FormInternals f{g.form()};
    const int allowed = end != "not allowed";
    f.input.CGHoldEnable = allowed;
    const Bitmap picture = Pattern(640, 480, 8);
    f.layers.TMP = picture;
    FillRect(f.layers.BMP, {0, 374, 640, 480}, kWhite);  // a message window
    f.layers.ShowBackBuffer();
    g.Run("click right\ntick\ntick 3\n");
    EXPECT_EQ(f.input.HoldMode, allowed);
    if (!allowed) continue;
    EXPECT_EQ(std::tuple(f.input.spf, f.layers.IMG == picture), std::tuple(0, true));
    g.Run(end + "\ntick\n");  // ends the hold; the scenario did not see it
    EXPECT_EQ(std::tuple(f.input.HoldMode, f.input.spf, f.scn.work[1], f.scn.MainProc),
              std::tuple(0, 1, 1, WaitHandler::WaitClick));
    EXPECT_EQ(f.layers.IMG, f.layers.BMP);
  }
}

TEST(Hold, TwoRightClicksOpenTheSettingsPanelInsideTheScreen) {
  GameRig g(ClickCounter());
  AtFirstClick(g);
  FormInternals f{g.form()};
  f.layers.TMP = Pattern(640, 480, 2);
  g.Run("pointer 1000 700\nclick right\ntick\nclick right\ntick\n");
  EXPECT_EQ(std::tuple(f.panels.ConfigPanel.visible, f.panels.ConfigPanel.bounds,
                       g.game->window().SystemPointerVisible()),
            std::tuple(true, Rect{624, 620, 1024, 768}, true));
  // The quit question answered with Cancel: the box's repaint keeps the held picture, without the
  // message window.
  g.Run("answer cancel\ncontrol EndButton click\n");
  EXPECT_EQ(f.layers.IMG, f.layers.TMP);
  // A left click on the window does nothing; a right click outside the panel moves it, one on the
  // panel belongs to the panel.
  g.Run("pointer 10 20\nclick left\ntick\n");
  EXPECT_EQ(f.input.HoldMode, 1);
  g.Run("click right\ntick\n");
  EXPECT_EQ(f.panels.ConfigPanel.bounds, (Rect{10, 20, 410, 168}));
  g.Run("pointer 100 100\nclick right\ntick\n");
  EXPECT_EQ(f.panels.ConfigPanel.bounds.left, 10);
  g.Run("control ExitButton click\n");
  EXPECT_EQ(std::tuple(f.panels.ConfigPanel.visible, f.input.HoldMode, f.input.spf,
                       g.game->window().SystemPointerVisible()), std::tuple(false, 0, 1, false));
  g.Run("click left\ntick\ntick\n");
  EXPECT_EQ(std::tuple(f.scn.work[1], f.layers.IMG == f.layers.BMP), std::tuple(2, true));
}

TEST(Quit, CloseRequestShowsThePointerAndCancelPutsItBack) {
  GameRig g(ClickCounter());
  AtFirstClick(g);
  FormInternals f{g.form()};
  g.game->dialogs().QueueAnswer(platform::Answer::Cancel);
  EXPECT_FALSE(f.form.FormCloseQuery());
  EXPECT_EQ(std::tuple(g.game->window().SystemPointerVisible(), f.input.spf), std::tuple(false, 1));
  // During the hold the drawn pointer stays off after a cancelled question.
  g.Run("click right\ntick\n");
  g.game->dialogs().QueueAnswer(platform::Answer::Cancel);
  EXPECT_FALSE(f.form.FormCloseQuery());
  EXPECT_EQ(f.input.spf, 0);
  g.game->dialogs().QueueAnswer(platform::Answer::Ok);
  EXPECT_THROW(f.form.FormCloseQuery(), QuitSignal);
}

TEST(Errors, AnErrorInsideATickAbandonsThatTickOnly) {
  GameRig g(Assembled("MUSIC \"NONE\"\nLET work[1], 7\nCLICK\n"));  // no such file
  AtFirstClick(g);
  ASSERT_EQ(g.game->dialogs().Boxes().size(), 1u);
  EXPECT_EQ(std::pair(g.game->dialogs().Boxes()[0].kind, g.in().scn.work[1]),
            std::pair(platform::MessageKind::Failure, int16_t{0}));
  g.Ticks(1);
  EXPECT_EQ(std::pair(g.in().scn.work[1], g.game->ended()), std::pair(int16_t{7}, false));
}

// What a slot's settings fail to restore is told once the whole slot is read: a box opened in the
// middle would let ticks run (its loop keeps them going) on a half-loaded image.
TEST(Folders, SlotFailuresAreToldOnceTheSlotIsWhollyRead) {
  const std::vector<uint8_t> init =
      Assembled("MUSIC \"M01\"\nLOADMENU work[5], work[6]\nCLICK\nEND\n");  // M01: a WAVE
  GameRig g(init);
  g.files.Put(std::string(kDat) + "SOUND/M01.WAV", TinyWave(300));
  g.files.Remove(std::string(kDat) + "CURSOR/CSR05.BMP");
  // Slot 1: cursor 5 (missing) and MIDI (M01.MID is missing).
  std::vector<uint8_t> slot(1088, 0);
  std::copy_n("Brannic", 8, slot.begin());
  slot[8] = 100, slot[9] = 5, slot[10] = 96, slot[11] = 2;
  g.files.Put("PROG/DATA01", slot);
  g.Start();
  std::vector<std::string> seen;
  g.game->dialogs().while_open = [&](const std::string&) {
    FormInternals f{g.form()};
    const bool whole = std::equal(init.begin(), init.end(), f.scn.snx.begin());
    seen.push_back("depth " + std::to_string(f.scn.CallDepth) + (whole ? " whole" : " half"));
    f.form.TimerTimer();  // the box's loop goes on ticking
  };
  g.Run("tick\n");  // the listing
  ASSERT_EQ(g.game->dialogs().Boxes().size(), 1u);
  EXPECT_THAT(g.game->dialogs().Boxes()[0].text,
              AllOf(HasSubstr("CSR05.BMP"), HasSubstr("M01.MID")));
  EXPECT_EQ(g.in().scn.MainProc, WaitHandler::IdleWait);
  g.Run("control SaveList select 0\ncontrol SaveButton click\n");  // the load
  ASSERT_EQ(g.game->dialogs().Boxes().size(), 2u);
  EXPECT_EQ(seen, (std::vector<std::string>{"depth 0 whole", "depth 0 whole"}));
}

TEST(Headless, ControlCommandsThatCannotActAreWarnedAboutByLine) {
  GameRig g(ClickCounter());
  g.Start();
  g.in().panels.SpeedSpin.enabled = false;
  g.Run("tick\ncontrol SaveButton click\n# a comment\ncontrol Nothing click\n");
  g.Run("click right\ntick\nclick right\ntick\ncontrol SpeedSpin value 0\n");
  const std::vector<std::string>& w = g.game->Warnings();
  ASSERT_EQ(w.size(), 3u);
  EXPECT_EQ(w[0], "input script line 2: control SaveButton: the control is not shown (its panel "
                  "is closed); nothing done");
  EXPECT_THAT(w[1], StartsWith("input script line 4: control Nothing: "));
  EXPECT_EQ(w[2], "input script line 5: control SpeedSpin: the control is disabled; nothing done");
  EXPECT_EQ(g.in().panels.SpeedSpin.value, 32);
}

// The real window's ticks may rest only where a tick would change nothing until the player acts,
// and never past a repeating piece's end.
TEST(Tick, TheTicksRestOnlyWhereTheyWouldChangeNothing) {
  GameRig g(Assembled("MUSIC \"M01\"\nTEXT \"ああ\"\nCLICK\nMUSICSTOP\nCLICK\nEND\n"));
  g.files.Put(std::string(kDat) + "SOUND/M01.WAV", TinyWave(500));  // a repeating piece
  g.Start();
  FormInternals f{g.form()};
  EXPECT_FALSE(f.form.IdleFor().has_value()) << "the first tick runs the scenario";
  g.Ticks(1);
  EXPECT_FALSE(f.form.IdleFor().has_value()) << "typing";
  g.Run("click right\ntick\n");
  EXPECT_TRUE(f.form.IdleFor().has_value()) << "the picture hold over the typing";
  g.Run("click left\ntick\nuntil WaitClick 20\n");
  EXPECT_THAT(f.form.IdleFor(), ::testing::Optional(AllOf(::testing::Gt(0u), ::testing::Le(500u))))
      << "until the music's end, for its repeat";
  g.Run("tick 30\n");  // the piece has ended: the loop check starts it now
  f.input.clk = 1;
  EXPECT_FALSE(f.form.IdleFor().has_value()) << "a click to see";
  f.input.clk = 0;
  g.Run("click left\ntick 2\n");  // MUSICSTOP, then the second click wait
  EXPECT_EQ(f.scn.MainProc, WaitHandler::WaitClick);
  EXPECT_EQ(f.form.IdleFor(), std::optional<uint32_t>(UINT32_MAX)) << "nothing to repeat";
}

// The 20 ms timer's arithmetic, on a fake clock.
constexpr uint64_t kStart = 5000, kPeriod = session::TickScheduler::kPeriodMs,
                   kLag = session::TickScheduler::kMaxLagMs;

// One pass of the loop `late` ms after the first deadline: the ticks it runs and where the schedule
// goes on. A little behind, it catches up tick by tick; far behind, it starts afresh from now.
TEST(TickScheduler, APassRunsWhatIsDueAndMovesTheDeadline) {
  struct Case { int64_t late; int ran; uint64_t next; uint64_t resyncs; };  // next: after the first
  for (Case c : {Case{-1, 0, 0, 0}, Case{0, 1, kPeriod, 0}, Case{65, 4, 4 * kPeriod, 0},
                 Case{kLag, 6, 6 * kPeriod, 0}, Case{kLag + 1, 1, kLag + 1 + kPeriod, 1},
                 Case{3000, 1, 3000 + kPeriod, 1}}) {
    SCOPED_TRACE(c.late);
    session::TickScheduler s(kStart);
    const uint64_t first = kStart + kPeriod, now = first + c.late;
    EXPECT_EQ(s.WaitMs(kStart), kPeriod);
    int ran = 0;
    while (s.TakeDue(now)) ++ran;
    EXPECT_EQ(std::tuple(ran, s.NextDeadline(), s.Resyncs()),
              std::tuple(c.ran, first + c.next, c.resyncs));
  }
  session::TickScheduler s(kStart);
  s.Restart(kStart + 777);
  EXPECT_EQ(s.WaitMs(kStart + 777), kPeriod);
}

// A loop that sleeps as long as it may and wakes up late by up to 15 ms runs one tick a wake-up,
// and its deadlines never drift; between two ticks it never spins.
TEST(TickScheduler, LateWakeupsNeitherDriftNorSpin) {
  session::TickScheduler s(kStart);
  std::mt19937 random(7);
  std::uniform_int_distribution<uint64_t> jitter(0, 15);
  uint64_t now = kStart;
  int ticks = 0, wakeups = 0;
  for (; ticks < 1000; ++wakeups) {
    now += s.WaitMs(now) + jitter(random);
    if (s.TakeDue(now)) ++ticks;
  }
  EXPECT_EQ(std::tuple(wakeups, s.NextDeadline(), s.Resyncs()),
            std::tuple(1000, kStart + 1001 * kPeriod, 0u));
  for (uint64_t t = now; t < s.NextDeadline(); ++t) {
    EXPECT_GT(s.WaitMs(t), 0u) << t;
    EXPECT_FALSE(session::TickScheduler(s).TakeDue(t)) << t;
  }
}

// Input script lines the headless game cannot carry out: each is refused with the way to write it,
// and the game is left as it was.
TEST(ScriptErrors, AMalformedLineIsRefusedWithItsForm) {
  struct Case { const char* line; const char* error; };  // a piece of the message; "" for any
  const char* const kScreen = "screen WxH";
  const char* const kCompose = "ime compose [UTF8TEXT [CURSOR]]";
  const Case cases[] = {
      {"key f13", "unknown key: f13"}, {"key", ""}, {"key shift+enter", "shift+tab"},
      {"wheel left", "wheel up|down"}, {"answer keys tab f1", "unknown key: f1"},
      {"answer keys", ""}, {"screen", kScreen}, {"screen 0x480", kScreen},
      {"screen 640x", kScreen}, {"screen axb", kScreen}, {"screen 20000x480", kScreen},
      {"screen 640x480 1", kScreen}, {"ime paste abc", "ime compose|commit|cancel"},
      {"ime compose やまだ x", kCompose}, {"ime compose やまだ -1", kCompose},
      {"ime compose や ま 1", kCompose}, {"ime cancel now", "ime cancel"},
      {"focus A B", "focus NAME"}, {"focus Nobody", "no control named Nobody"}};
  GameRig g(NameHero());
  AtFirstClick(g);
  const std::string state = g.game->StateJson();
  for (const Case& c : cases) {
    std::string error;
    EXPECT_FALSE(g.game->RunCommand(c.line, &error)) << c.line;
    EXPECT_THAT(error, HasSubstr(c.error)) << c.line;
  }
  EXPECT_EQ(g.game->StateJson(), state);
  EXPECT_EQ(g.game->window().ScreenSize(), (Size{1024, 768}));
  std::string error;
  EXPECT_TRUE(g.game->RunCommand("answer keys shift+tab enter", &error)) << error;
}

// The window's size changes under the game (full screen and back): the picture is centred again at
// its scale; the pointer still maps onto it. (Centring at start-up is the graphics suite's
// DisplayScaling.CentringOnScreens.)
TEST(WindowModes, ThePictureIsCentredAtItsScaleAndThePointerMapsOntoIt) {
  using Place = std::array<int32_t, 4>;  // left, top, width and height of the picture
  struct Case { int scale; Size screen; Place place; };
  for (const Case& c : {Case{100, {800, 600}, {80, 60, 640, 480}},
                        Case{150, {800, 600}, {-80, -60, 960, 720}},
                        Case{50, {1920, 1080}, {800, 420, 320, 240}},
                        Case{125, {1024, 768}, {112, 84, 800, 600}}}) {
    const Size screen = c.screen;  // the window's client area after the switch
    const std::string size = std::to_string(screen.width) + "x" + std::to_string(screen.height);
    SCOPED_TRACE(size + " at " + std::to_string(c.scale) + "%");
    GameRig g(ClickCounter(), {1024, 768});
    ASSERT_FALSE(g.Start().has_value());
    g.in().panels.ResoSpin.SetValue(c.scale);
    g.Run("tick\nscreen " + size + "\n");
    const graphics::DispRec& d = g.in().scaling.Disp;
    auto place = [&d] { return Place{d.Left, d.Top, d.Width, d.Height}; };
    EXPECT_EQ(std::tuple(place(), g.in().panels.ResoSpin.value), std::tuple(c.place, c.scale));
    // The window's middle is the picture's middle.
    g.Run("pointer " + std::to_string(screen.width / 2) + " " + std::to_string(screen.height / 2) +
          "\ntick\n");
    EXPECT_NEAR(g.in().input.msx, 320, 1);
    EXPECT_NEAR(g.in().input.msy, 240, 1);
    // Painted: wallpaper around, the picture in its place.
    const Bitmap& canvas = g.game->window().Canvas();
    ASSERT_EQ((Size{canvas.width(), canvas.height()}), screen);
    EXPECT_EQ(canvas.at(d.Left + d.Width / 4, d.Top + d.Height / 4),
              g.in().layers.IMG.at(160, 120));
    if (d.Left > 0) {
      EXPECT_EQ(canvas.at(0, 0), Pattern(32, 32, 3).at(0, 0));
    }
    // Switching back and forth returns to the same place; the story goes on.
    g.Run("screen 1280x1024\nscreen " + size + "\nclick left\ntick\ntick\n");
    EXPECT_EQ(std::tuple(place(), g.in().scn.work[1]), std::tuple(c.place, 2));
  }
}

// A hit map whose hover shape has no files: the cursor is set before the wait, so the box comes
// once, no wait starts, the answer is not touched, the selector stays on and the next instruction
// runs at the next tick.
TEST(Scenes, AHitMapWithoutItsHoverShapeDoesNotWait) {
  GameRig g(Assembled(
      "LET work[9], 77\nHITMAP work[9], \"HIT\", 50, 0\nLET work[1], 1\nCLICK\nCLICK\n"));
  g.files.Put(std::string(kDat) + "CG/HIT.BMP", BmpBytes(Bitmap(640, 480, kBlack)));
  g.Start();
  g.Ticks(1);
  EXPECT_EQ(std::tuple(g.game->dialogs().Boxes().size(), g.in().scn.MainProc, g.in().scn.work[9],
                       g.in().scn.work[1], g.in().panels.MouseSpin.enabled),
            std::tuple(1u, WaitHandler::None, 77, 0, true));
  g.Ticks(1);
  EXPECT_EQ(std::tuple(g.in().scn.work[1], g.in().scn.MainProc), std::tuple(1, WaitHandler::WaitClick));
  g.Run(At(10, 10) + "click left\ntick 3\n");
  EXPECT_EQ(g.game->dialogs().Boxes().size(), 1u);
}

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
  EXPECT_EQ(g.in().scn.MainProc, WaitHandler::ChangePicture);  // the framed picture
  // The hold is refused until the picture change's last tick has run.
  for (int i = 0; i < 40 && g.in().scn.MainProc != WaitHandler::None; ++i) {
    EXPECT_EQ(g.in().input.CGHoldEnable, 0) << "tick " << g.in().ticks;
    g.Ticks(1);
  }
  EXPECT_EQ(g.in().input.CGHoldEnable, 1);
  g.Run("until HitMapPress 100\n");
  EXPECT_EQ(std::tuple(g.in().ticks, g.in().layers.PictureRect, g.in().layers.BMP.at(8, 8),
                       g.in().cursors.CursorNumber),
            std::tuple(1u + 13 + 1 + 13 + 1, Rect{8, 8, 504, 472}, picture.at(0, 0), 6));
  // Shape 6 tests 16 right and down of the pointer.
  g.Run(At(134, 134) + "press left\ntick\n");
  EXPECT_EQ(g.in().cursors.CursorNumber, 7);
  g.Run("release\ntick\n");
  EXPECT_EQ(g.in().scn.work[9], 2);
  g.Run("tick\n");  // ANIME
  EXPECT_EQ(std::tuple(g.in().scn.MainProc, g.in().layers.PictureName.empty()),
            std::tuple(WaitHandler::AnimationStep, true));
  g.Run("tick\n");
  EXPECT_EQ(g.game->window().Canvas().at(192 + 200, 144 + 150), 0x10u);  // frame 0 shown
  // A repaint reloads the scratch bitmap; the next steps still find their frames (the third from
  // here shows frame 1).
  g.in().invalid = true;
  g.form().PaintIfInvalid();
  g.Run("tick 3\n");
  EXPECT_EQ(g.game->window().Canvas().at(192 + 200, 144 + 150), 0x20u);
  g.Run("until none 200\n");
  EXPECT_EQ(g.in().layers.IMG.at(200, 150), g.in().layers.BMP.at(200, 150));
}

TEST(Scenes, SettingsPanelControlsActAtOnce) {
  GameRig g(Code().b(32).s("M01").b(22).bytes);  // MUSIC, CLICK
  g.files.Put(std::string(kDat) + "SOUND/M01.WAV", TinyWave(500));
  g.files.Put(std::string(kDat) + "SOUND/SC88/M01.MID", TinyMidi());
  g.Start();
  g.Run("tick\nclick right\ntick\nclick right\ntick\ncontrol MidiBtn2 click\n");
  EXPECT_EQ(g.game->media().OpenedFile(), std::string(kDat) + "SOUND/SC88/M01.MID");
  g.Run("control ResoSpin value 150\ncontrol SpeedSpin up\ncontrol SpeedSpin up\n"  // faster
        "control MouseSpin value 3\n");
  EXPECT_EQ(std::tuple(g.in().scaling.Disp.Width, g.in().msgwin.msg.spd,
                       g.in().cursors.CursorNumber), std::tuple(960, 0, 3));
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
  GameRig g(ClickCounter(), {1024, 768}, folder.string());
  ASSERT_FALSE(g.Start().has_value());
  g.Run("pointer 300 300\ntick\n");
  const std::string state = g.game->StateJson();
  g.Run("keys ctrl\nkey f12\n");
  const std::string name = "velmor-2000-01-01_12-00-00";
  ASSERT_TRUE(fs::exists(folder / (name + ".png")));
  const std::vector<uint8_t> png = platform::EncodePng(g.in().layers.BMP);
  EXPECT_EQ(Read(folder / (name + ".png")), std::string(png.begin(), png.end()));
  // The notice names the folder too, the home folder as "~".
  const platform::SavedScreenshot saved{(folder / (name + ".png")).string(), ""};
  EXPECT_EQ(g.game->Notices(), std::vector<std::string>{platform::ScreenshotNotice(saved)});
  EXPECT_EQ(platform::ScreenshotNoticeFor(saved, nullptr), "Screenshot saved: " + saved.path);
  EXPECT_EQ(platform::ScreenshotNoticeFor({"/home/a/Pictures/velmor/x.png", ""}, "/home/a/"),
            "Screenshot saved: ~/Pictures/velmor/x.png");
  EXPECT_EQ(platform::ScreenshotNoticeFor({"/home/ab/x.png", ""}, "/home/a"),
            "Screenshot saved: /home/ab/x.png");
  // Neither the game nor its state heard of it: Ctrl is still held.
  EXPECT_EQ(std::pair(g.in().input.sft, g.game->StateJson()), std::pair(2, state));
  // An open panel does not stop it; another in the same second takes the next free number, and a
  // second later the plain name is free again.
  g.Run("keys\nclick right\ntick\nclick right\ntick\nkey f12\nkey f12\n");
  ASSERT_TRUE(g.in().panels.ConfigPanel.visible);
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
      {Code().b(0).w(300).w(1).bytes, 2, {at0 + "LET work[300], 1: error box"}}};
  for (const Warned& c : cases) {
    SCOPED_TRACE(c.expected[0]);
    GameRig g(c.init);
    if (!c.bad_bmp.empty()) g.files.Put(std::string(kDat) + "CG/BAD.BMP", c.bad_bmp);
    g.form().EnableWarnings(false);
    g.Start();
    g.Ticks(c.ticks);
    std::vector<::testing::Matcher<const std::string&>> starts;
    for (const std::string& e : c.expected) starts.push_back(StartsWith(e));
    EXPECT_THAT(g.in().warnings->list(), ::testing::ElementsAreArray(starts));
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
  EXPECT_THAT(g.in().warnings->list(),
              ElementsAre(AllOf(HasSubstr(": a loop without a wait: "),
                                AnyOf(StartsWith("INIT.SNX:0x0000: ADD work[1], 1"),
                                      StartsWith("INIT.SNX:0x0005: JUMP 0x0000"))),
                          HasSubstr(": error box \"シナリオが応答しません。")));
  GameRig quiet(Code().b(40).s("NOPE").b(22).bytes);
  quiet.Start();
  quiet.Ticks(40);
  EXPECT_EQ(quiet.in().warnings, nullptr);
  EXPECT_EQ(quiet.game->StateJson().find("\"warnings\""), std::string::npos);
}

// A scenario naming a new missing file every tick: the first thousand
// causes are told, then one line that the rest are not, then nothing.
TEST(Warnings, PastAThousandOneLineSaysTheRestAreNotTold) {
  GameRig g(ClickCounter());
  g.form().EnableWarnings(false);
  g.Start();
  app::RunWarnings& w = *g.in().warnings;
  const std::size_t most = app::RunWarnings::kMostWarnings;
  for (std::size_t i = 0; i < most; ++i) {
    w.Add("picture " + std::to_string(i), "picture " + std::to_string(i) + " is missing");
    w.Add("picture 0", "picture 0 is missing");  // told already
  }
  ASSERT_EQ(w.list().size(), most);
  EXPECT_THAT(w.list().back(), HasSubstr(": picture " + std::to_string(most - 1) + " is missing"));
  for (int i = 0; i < 5000; ++i) w.Add("sound " + std::to_string(i), "sound is missing");
  ASSERT_EQ(w.list().size(), most + 1);
  EXPECT_EQ(w.list().back(), "more than 1000 warnings: the rest are not told");
  EXPECT_THAT(g.game->StateJson(), HasSubstr("the rest are not told"));
}

// A damaged wallpaper is told once, however often the window is repainted,
// and the picture is still presented.
TEST(StartUp, ADamagedWallpaperIsToldOnce) {
  GameRig g(ClickCounter());
  g.files.Put(std::string(kDat) + "CG/WALL00.BMP", std::string("BM not a picture"));
  EXPECT_EQ(g.Start(), std::nullopt);
  g.Ticks(200);
  ASSERT_EQ(g.game->dialogs().Boxes().size(), 1u);
  EXPECT_THAT(g.game->dialogs().Boxes()[0].text, HasSubstr("WALL00.BMP"));
  EXPECT_EQ(g.game->window().Canvas().at(192 + 600, 144 + 20), g.in().layers.IMG.at(600, 20));
}

// A scenario's names stay inside the data folder: pictures, sounds and
// scenario files named with ".." or a path of their own are refused by
// name before anything is read; a subfolder inside it is fine.
TEST(DataFolder, NamesLeavingItAreRefused) {
  const std::pair<Code, std::string> cases[] = {
      {Code().b(40).s("..\\..\\SECRET").b(22), "..\\..\\SECRET"},   // PICTURE
      {Code().b(32).s("../SECRET").b(22), "../SECRET"},                   // MUSIC
      {Code().b(24).s("\\etc\\SECRET"), "\\etc\\SECRET"},               // GOTO
      {Code().b(25).s("SUB\\..\\..\\SECRET"), "SUB\\..\\..\\SECRET"}}; // CALL
  for (const auto& [code, name] : cases) {
    SCOPED_TRACE(name);
    GameRig g(code.bytes);
    for (const char* outside : {"SECRET.BMP", "SECRET.SNX", "SECRET.WAV", "CG/SECRET.BMP"})
      g.files.Put(std::string("OUTSIDE/") + outside, std::string("secret"));
    ASSERT_EQ(g.Start(), std::nullopt);
    g.Ticks(3);
    ASSERT_GE(g.game->dialogs().Boxes().size(), 1u);
    const std::string text = g.game->dialogs().Boxes()[0].text;
    EXPECT_THAT(text, HasSubstr(S("データフォルダの外のファイルは使えません。")));
    EXPECT_THAT(text, HasSubstr(name));
  }
  EXPECT_FALSE(LeavesFolder("CG\\SUB\\KURO.BMP"));
  EXPECT_FALSE(LeavesFolder("SUB\\..DOTS"));
  EXPECT_FALSE(LeavesFolder("\x82\x5C..\\KURO"));  // a double-byte character ending in 0x5C
  EXPECT_TRUE(LeavesFolder("C:SECRET"));
  EXPECT_TRUE(LeavesFolder(".."));
}

}  // namespace
}  // namespace velmor::testing
