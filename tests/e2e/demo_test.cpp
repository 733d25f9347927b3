// The program itself on the bundled demo game: the headless command line,
// its input script, state JSON and screenshot; golden frames on the fixture
// game; a save that survives the program being killed.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <regex>
#include <thread>

#include "main/headless/headless_game.h"
#include "menus/slot_file.h"
#include "platform/shared/bitmap_font_files.h"
#include "platform/shared/os_files.h"
#include "platform/shared/png.h"
#include "support/pictures.h"
#include "support/process.h"

namespace velmor::testing {
namespace {

namespace fs = std::filesystem;
using ::testing::ContainsRegex;
using ::testing::HasSubstr;
using ::testing::Not;

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// A fresh folder under the build folder for one test's files.
fs::path Scratch(const std::string& name) {
  fs::path dir = fs::path(VELMOR_BUILD_DIR) / "e2e" / name;
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

// The headless program on the demo (or `data`) with its slots in `dir` and
// its state in dir/state.json; `script` (if any) is its input. The run must
// end with exit code 0.
ProcessResult RunDemo(const fs::path& dir, std::vector<std::string> args,
                      const std::string& script = "", const std::string& data = VELMOR_DEMO_DIR) {
  std::vector<std::string> argv{VELMOR_PROGRAM, "--headless", "--data", data, "--slots",
                                dir.string(), "--state-out", (dir / "state.json").string()};
  if (!script.empty()) {
    std::ofstream(dir / "input.txt") << script;
    argv.insert(argv.end(), {"--input", (dir / "input.txt").string()});
  }
  argv.insert(argv.end(), args.begin(), args.end());
  ProcessResult r = RunProcess(argv, 120);
  EXPECT_EQ(r.exit_code, 0) << r.output;
  return r;
}

// From the title to the first scene: "はじめから", both name panels
// confirmed with the default names, the first message typed.
const char* kNewGameScript =
    "until WaitClick 3000\nclick left\ntick\nuntil ChoiceProc 100\n"
    "pointer 300 530\ntick\nclick left\ntick\n"
    "until IdleWait 500\ncontrol DefNameButton click\ncontrol NameEntryButton click\n"
    "until IdleWait 500\ncontrol DefNameButton click\ncontrol NameEntryButton click\n"
    "until TypeText 500\ntick 40\n";

// "おしまい" on the title ends the game through END.
const std::string kQuitScript = "until WaitClick 3000\nclick left\ntick\nuntil ChoiceProc 100\n"
                                "pointer 300 568\ntick\nclick left\n";

TEST(HeadlessProgram, DemoFindsItsDataAndKeepsItsSavesApart) {
  fs::path dir = Scratch("demo");
  ProcessResult r = RunProcess(
      {VELMOR_PROGRAM, "--demo", "--headless", "--ticks", "60", "--state-out", dir / "state.json"},
      120, {"HOME=" + dir.string(), "XDG_DATA_HOME=" + (dir / "share").string()});
  ASSERT_EQ(r.exit_code, 0) << r.output;
  EXPECT_THAT(Slurp(dir / "state.json"), HasSubstr("\"CallFile\":[\"INIT\""));
  EXPECT_TRUE(fs::is_directory(dir / "share/velmor/demo"));
}

TEST(HeadlessProgram, ScriptInStateAndScreenshotOut) {
  fs::path dir = Scratch("script");
  RunDemo(dir, {"--ticks", "2000", "--screenshot", (dir / "shot.png").string()}, kNewGameScript);
  std::string json = Slurp(dir / "state.json");
  // The keys in their fixed order.
  size_t at = 0;
  for (const char* key : {"ticks", "inx", "CallDepth", "CallFile", "work", "flags", "MainProc",
                          "mcr", "Disp", "msx", "msy", "spd", "PictureName", "PictureRect",
                          "CursorNumber", "StatusLayout", "WhiteFill", "HoldMode", "spf",
                          "CGHoldEnable", "MusicName", "MusicLoop", "media", "panels", "controls",
                          "messages", "quit"}) {
    at = json.find("\"" + std::string(key) + "\":", at);
    ASSERT_NE(at, std::string::npos) << key;
  }
  for (const char* part : {"\"ticks\":2000",  // ran on to the limit
                           "\"MainProc\":\"TypeText\"", "\"PageWait\":true",
                           "\"PictureName\":\"BG03\"", "\"mcr\":[\"慎之介\",\"さくら\",\"岸本\",\"水瀬\"",
                           "\"Disp\":{\"Top\":144,\"Left\":192,\"Width\":640,\"Height\":480}",
                           "\"MusicName\":\"M01\"", "\"quit\":false"})
    EXPECT_THAT(json, HasSubstr(part));
  // A PNG of the whole window, 1024 x 768: its signature and header.
  EXPECT_EQ(Slurp(dir / "shot.png").substr(0, 24),
            std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\x04\0\0\0\x03\0", 24));
}

// Runs that end where the options and the script say, with the state
// telling of it.
TEST(HeadlessProgram, RunsEndWhereTheOptionsSay) {
  struct Case {
    const char* what;
    std::vector<std::string> args;
    std::string script;
    std::vector<std::string> state;  // parts of the state written
    const char* says = "";           // a part of the output
  };
  const Case cases[] = {
      // The demo's sources lie beside its scenario files: a breakpoint at a
      // label stops there.
      {"break at a label", {"--break", "INIT:title", "--exit-after-script"}, "tick 5\nstep\n",
       {"\"debugger\":{\"paused\":true,\"reason\":\"step\"", "\"label\":\"title\""}},
      {"debug alone", {"--debug", "--ticks", "3"}, "",
       {"\"debugger\":{\"paused\":false,\"reason\":\"none\""}},
      {"a label the source lacks", {"--break", "INIT:nowhere", "--ticks", "3"}, "", {},
       "--break INIT:nowhere: no label nowhere in INIT.s"},
      {"another screen size", {"--screen", "800x600", "--ticks", "5"}, "",
       {"\"Disp\":{\"Top\":60,\"Left\":80,\"Width\":640,\"Height\":480}"}},
      {"END quits", {}, kQuitScript, {"\"quit\":true"}},
      {"the script's end", {"--exit-after-script"}, "tick 30\n# the title's music\ntick 7\n",
       {"\"ticks\":37,", "\"quit\":false"}},
      {"the game's end before the script's", {"--exit-after-script"}, kQuitScript + "tick 500\n",
       {"\"quit\":true"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::path dir = Scratch("runs");
    EXPECT_THAT(RunDemo(dir, c.args, c.script).output, HasSubstr(c.says));
    for (const std::string& part : c.state) EXPECT_THAT(Slurp(dir / "state.json"), HasSubstr(part));
  }
}

// --warn prints each warning once, as the state lists it; without it, not a
// word and no list. (What is warned about is the app suite's.)
TEST(HeadlessProgram, WarnTellsOfAMissingPictureOnceWithItsInstruction) {
  fs::path dir = Scratch("warn");
  const fs::path data = dir / "data";
  fs::copy(VELMOR_DEMO_DIR, data, fs::copy_options::recursive);
  fs::remove(data / "CG" / "BG01.BMP");
  std::string out = RunDemo(dir, {"--exit-after-script", "--warn"}, "tick 300\n", data).output;
  EXPECT_THAT(out, ContainsRegex("velmor: warning: INIT\\.SNX:0x[0-9A-F]{4}: PICTURE \"BG01\": "
                                 "picture CG/BG01\\.BMP is missing\n"));
  EXPECT_EQ(out.find("warning"), out.rfind("warning")) << out;  // once
  EXPECT_THAT(Slurp(dir / "state.json"), HasSubstr("\"quit\":false,\"warnings\":[\"INIT.SNX:0x"));
  out = RunDemo(dir, {"--exit-after-script"}, "tick 300\n", data).output;
  EXPECT_THAT(out, Not(HasSubstr("warning")));
  EXPECT_THAT(Slurp(dir / "state.json"), Not(HasSubstr("\"warnings\"")));
}

// Usage errors (exit code 2), help and version, and start-ups that fail
// (exit code 1): each says what is wrong, and the state is written all the
// same.
TEST(HeadlessProgram, UsageErrorsAndFailedStartUps) {
  fs::path dir = Scratch("usage");
  const std::string script = (dir / "input.txt").string(), state = (dir / "state.json").string();
  std::ofstream(script) << "tick 2\npointer 1\n";
  const std::string demo = VELMOR_DEMO_DIR, headless = "--headless";
  const std::tuple<std::vector<std::string>, int, const char*> cases[] = {
      {{"--help"}, 0, "--headless"}, {{"--version"}, 0, "velmor "},
      {{"--bogus"}, 2, "unrecognized option '--bogus'"}, {{"--ticks", "5"}, 2, "need --headless"},
      {{"--exit-after-script"}, 2, "need --headless"},
      {{headless, "--exit-after-script"}, 2, "needs an input script"},
      {{headless, "--screen", "big"}, 2, "--screen"},
      {{headless, "--input", "/nonexistent/script"}, 2, "cannot read"},
      {{"--demo", "--data", demo}, 2, "leave out --data"},
      {{headless, "--data", demo, "--break", "INIT"}, 2, "--break needs a place like INIT:0x12"},
      {{headless, "--data", demo, "--slots", dir.string(), "--input", script}, 2, "line 2"},
      {{headless, "--data", demo, "--font", dir / "none.ttf", "--ticks", "5"}, 1, "--font"},
      {{headless, "--ini", dir / "BRANNIC.INI", "--state-out", state}, 1, "--data DIR"}};
  for (const auto& [args, exit_code, says] : cases) {
    std::vector<std::string> argv{VELMOR_PROGRAM};
    argv.insert(argv.end(), args.begin(), args.end());
    ProcessResult r = RunProcess(argv, 60);
    EXPECT_EQ(r.exit_code, exit_code) << args[0];
    EXPECT_THAT(r.output, HasSubstr(says));
  }
  // Without a data folder: a line that says how to mend it, and the box.
  EXPECT_THAT(Slurp(state), HasSubstr("\"text\":\"正しく起動してください。\",\"kind\":\"error\""));
}

// Velmor's texts in the player's language: --help, a usage error and a
// notice in Japanese under a Japanese locale, in English under the C locale
// (the columns of --help as they always were), the game's own texts stored
// as the game has them either way.
TEST(HeadlessProgram, TextsInThePlayersLanguage) {
  const fs::path dir = Scratch("language");
  const std::vector<std::string> japanese{"LANG=ja_JP.UTF-8", "LC_ALL", "LC_MESSAGES", "LANGUAGE",
                                          "HOME=" + dir.string(), "XDG_PICTURES_DIR"};
  const std::vector<std::string> english{"LANG=C", "LC_ALL", "LC_MESSAGES", "LANGUAGE",
                                         "HOME=" + dir.string(), "XDG_PICTURES_DIR"};
  ProcessResult help = RunProcess({VELMOR_PROGRAM, "--help"}, 60, japanese);
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_THAT(help.output, HasSubstr("使い方: velmor [オプション]\n"));
  EXPECT_THAT(help.output, HasSubstr("\n  --demo              付属のデモゲームを遊ぶ\n"));
  EXPECT_THAT(help.output, HasSubstr("\nヘッドレス（"));
  EXPECT_THAT(help.output, Not(HasSubstr("velmor:")));  // the catalogue was found and read
  help = RunProcess({VELMOR_PROGRAM, "--help"}, 60, english);
  EXPECT_THAT(help.output, HasSubstr("Usage: velmor [options]\n"));
  EXPECT_THAT(help.output,
              HasSubstr("\n  --break FILE:WHERE  stop the scenario before the instruction at WHERE of\n"
                        "                      FILE.SNX: an offset (0x1A2) or a label of FILE.s\n"
                        "                      beside it; may be repeated; implies --debug\n"
                        "  -h, --help          show this text\n"));
  EXPECT_THAT(help.output, HasSubstr("\n\nHeadless (no display or sound device, a virtual 20 ms "
                                     "clock):\n  --headless          run without a window\n"));
  ProcessResult usage = RunProcess({VELMOR_PROGRAM, "--bogus"}, 60, japanese);
  EXPECT_EQ(usage.exit_code, 2);
  EXPECT_EQ(usage.output, "velmor: '--bogus' は知らないオプションです\n"
                          "詳しくは 'velmor --help' を実行してください。\n");
  // A notice in the state, as the window's corner showed it.
  std::ofstream(dir / "input.txt") << "tick 300\nkey f12\ntick 5\n";
  for (const auto& [env, says] : {std::pair(japanese, "\"notices\":[\"スクリーンショットを保存しました: ~/"),
                                  std::pair(english, "\"notices\":[\"Screenshot saved: ~/")}) {
    ProcessResult r = RunProcess(
        {VELMOR_PROGRAM, "--headless", "--data", VELMOR_DEMO_DIR, "--slots", dir.string(),
         "--input", (dir / "input.txt").string(), "--exit-after-script", "--state-out",
         (dir / "state.json").string()},
        120, env);
    EXPECT_EQ(r.exit_code, 0) << r.output;
    EXPECT_THAT(Slurp(dir / "state.json"), HasSubstr(says));
  }
  // The reader's choices: English over the Japanese locale, and the game's
  // panels translated, their captions as the game stores them.
  std::ofstream(dir / "input.txt") << "reader language en\nreader translate_game on\n"
                                      "tick 300\nkey f12\ntick 5\n";
  ProcessResult r = RunProcess(
      {VELMOR_PROGRAM, "--headless", "--data", VELMOR_DEMO_DIR, "--slots", dir.string(), "--input",
       (dir / "input.txt").string(), "--exit-after-script", "--state-out",
       (dir / "state.json").string()},
      120, japanese);
  EXPECT_EQ(r.exit_code, 0) << r.output;
  const std::string state = Slurp(dir / "state.json");
  EXPECT_THAT(state, HasSubstr("\"notices\":[\"Screenshot saved: ~/"));
  EXPECT_THAT(state, HasSubstr("\"EndButton\":{\"caption\":\"ゲーム終了\",\"shown\":\"Quit game\""));
  EXPECT_THAT(state, HasSubstr("\"ExitButton\":{\"caption\":\"ＯＫ\",\"shown\":\"OK\""));
  // Without the setting there is nothing but the game's caption.
  r = RunProcess({VELMOR_PROGRAM, "--headless", "--data", VELMOR_DEMO_DIR, "--slots", dir.string(),
                  "--ticks", "5", "--state-out", (dir / "state.json").string()},
                 120, japanese);
  EXPECT_THAT(Slurp(dir / "state.json"), HasSubstr("\"EndButton\":{\"caption\":\"ゲーム終了\",\"enabled\""));
}

// What --warn and the input script say is in the player's language too:
// a picture refused with the reader's reason inside, a control the script
// names that is not there, a breakpoint that cannot be set and the line
// that stops the script, each with its values in place; under the C locale
// the lines are the ones they always were.
TEST(HeadlessProgram, WarningsAndScriptErrorsInThePlayersLanguage) {
  const fs::path dir = Scratch("language_warn");
  const fs::path data = dir / "data";
  fs::copy(VELMOR_DEMO_DIR, data, fs::copy_options::recursive);
  std::ofstream(data / "CG" / "BG01.BMP", std::ios::binary | std::ios::trunc) << "not a picture";
  std::ofstream(dir / "input.txt") << "tick 300\ncontrol NoSuchButton click\nbogus\n";
  const std::string script = (dir / "input.txt").string();
  auto run = [&](const char* lang) {
    return RunProcess({VELMOR_PROGRAM, "--headless", "--data", data.string(), "--slots",
                       dir.string(), "--warn", "--break", "INIT:nowhere", "--input", script,
                       "--exit-after-script"},
                      120, {std::string("LANG=") + lang, "LC_ALL", "LC_MESSAGES", "LANGUAGE",
                            "HOME=" + dir.string(), "XDG_PICTURES_DIR"});
  };
  ProcessResult ja = run("ja_JP.UTF-8");
  EXPECT_EQ(ja.exit_code, 2) << ja.output;
  EXPECT_THAT(ja.output, ContainsRegex("velmor: 警告: INIT\\.SNX:0x[0-9A-F]{4}: PICTURE \"BG01\": "
                                       "絵 CG/BG01\\.BMP は使えません: BMP ファイルではありません\n"));
  EXPECT_THAT(ja.output, ContainsRegex("velmor: --break INIT:nowhere: [^\n]*ありません\n"));
  EXPECT_THAT(ja.output, HasSubstr("velmor: 入力スクリプトの 2 行目: control NoSuchButton: "
                                   "その名前のコントロールはありません。何もしません\n"));
  EXPECT_THAT(ja.output, HasSubstr("velmor: " + script + ": 3 行目: 知らないコマンドです: bogus\n"));
  ProcessResult c = run("C");
  EXPECT_EQ(c.exit_code, 2) << c.output;
  EXPECT_THAT(c.output, ContainsRegex("velmor: warning: INIT\\.SNX:0x[0-9A-F]{4}: PICTURE \"BG01\": "
                                      "picture CG/BG01\\.BMP is refused: not a BMP file\n"));
  EXPECT_THAT(c.output, ContainsRegex("velmor: --break INIT:nowhere: no [^\n]+\n"));
  EXPECT_THAT(c.output, HasSubstr("velmor: input script line 2: control NoSuchButton: there is no "
                                  "control of that name; nothing done\n"));
  EXPECT_THAT(c.output, HasSubstr("velmor: " + script + ": line 3: unknown command: bogus\n"));
}

// The GNU forms: a value after "=" as after a space, and a usage error that
// is one line and a hint, not the whole help.
TEST(HeadlessProgram, GnuOptionForms) {
  const fs::path dir = Scratch("gnu_forms");
  const std::string state = (dir / "state.json").string();
  ProcessResult r = RunProcess({VELMOR_PROGRAM, "--headless", "--data=" + std::string(VELMOR_DEMO_DIR),
                                "--slots=" + dir.string(), "--ticks=20", "--state-out=" + state},
                               60);
  EXPECT_EQ(r.exit_code, 0) << r.output;
  EXPECT_THAT(Slurp(state), HasSubstr("\"ticks\":20"));
  const std::vector<std::string> wrong[] = {{"--renderer=fast"}, {"--renderer"}, {"--headless=1"},
                                            {"stray"}};
  for (const auto& args : wrong) {
    std::vector<std::string> argv{VELMOR_PROGRAM};
    argv.insert(argv.end(), args.begin(), args.end());
    r = RunProcess(argv, 60);
    EXPECT_EQ(r.exit_code, 2) << args[0];
    EXPECT_THAT(r.output, ::testing::MatchesRegex("velmor: [^\n]+\nTry 'velmor --help' for more "
                                                  "information\\.\n"))
        << args[0];
  }
}

// A game on the fixture game: the demo's scenarios and screen furniture with plain stand-ins for
// its art, so that only what the engine draws moves its frames.
main::HeadlessOptions FixtureOptions(const fs::path& dir) {
  main::HeadlessOptions options;
  options.start.program_folder = dir.string() + "/";
  options.start.data_folder = VELMOR_FIXTURE_GAME_DIR;
  return options;
}

// Runs each script, then compares the window with a stored hash; on a mismatch the frame is
// written next to the test's files for a look.
struct Frame {
  std::string script, name;
  uint64_t expected;
};
void ExpectFrames(main::HeadlessGame& game, const fs::path& dir, const std::vector<Frame>& frames) {
  for (const Frame& f : frames) {
    std::string error;
    ASSERT_TRUE(game.RunScript(f.script, &error)) << error;
    const Bitmap& frame = game.window().Canvas();
    if (Hash(frame) == f.expected) continue;
    const fs::path png = dir / (f.name + ".png");
    platform::WritePng(frame, png.string(), nullptr);
    ADD_FAILURE() << f.name << ": frame hash 0x" << std::hex << Hash(frame) << " (expected 0x"
                  << f.expected << "); the frame is in " << png;
  }
}

const std::string kTitle = "until WaitClick 3000\n";
// On to the cherry tree: the rest of the page, the hero's thought, then the framed picture with
// the status strip.
const std::string kCherryTree =
    "click left\ntick\nuntil WaitClick 500\nclick left\ntick\nuntil WaitClick 500\n"
    "click left\ntick\nuntil TypeText 500\nuntil WaitClick 500\n";

// Taken with the outline face alone (no bitmap face is looked for).
TEST(GoldenFrames, TitleFirstSceneAndTheFramedPicture) {
  const fs::path dir = Scratch("golden");
  platform::OsFiles files;
  main::HeadlessGame game(files, FixtureOptions(dir));
  ASSERT_FALSE(game.Start().has_value());
  ExpectFrames(game, dir, {{kTitle, "title", 0xf8db8cb30a3dd9e7ull},
                           {kNewGameScript + kTitle.size(), "first_scene", 0x5bbbe0f718e7e0dbull},
                           {kCherryTree, "cherry_tree", 0x1c2f40d68435661eull}});
}

// The same frames with the 16-dot bitmap face the system has: the 16-pixel text from its
// bitmaps, the status strip's other sizes as before; the reader's choice of the outline face
// gives the outline's frame again.
TEST(GoldenFrames, TheSameWithTheBitmapFace) {
  const fs::path dir = Scratch("golden_bitmap");
  platform::OsFiles files;
  main::HeadlessOptions options = FixtureOptions(dir);
  options.bitmap_font_folders = platform::BitmapFontFolders(nullptr, nullptr, nullptr);
  main::HeadlessGame game(files, options);
  if (!game.face().has_bitmaps()) GTEST_SKIP() << game.bitmap_face_problem();
  ASSERT_FALSE(game.Start().has_value());
  ExpectFrames(game, dir, {{kTitle, "title", 0xeac6ffbb85bb0cd6ull},
                           {kNewGameScript + kTitle.size(), "first_scene", 0x86de3e698fc514aeull},
                           {kCherryTree, "cherry_tree", 0xac4b56c0164b8f37ull}});
  // The outline face chosen on the way: the pages after it are the outline face's frames.
  main::HeadlessGame chosen(files, options);
  ASSERT_FALSE(chosen.Start().has_value());
  ExpectFrames(chosen, dir, {{kTitle + (kNewGameScript + kTitle.size()), "first_scene", 0x86de3e698fc514aeull},
                             {"reader text_face outline\n" + kCherryTree, "outline_chosen",
                              0x1c2f40d68435661eull}});
}

// Fitting the screen through the script: the picture fills the 4:3 screen, sharply scaled (what
// the window shows is the whole picture scaled at once, however it was drawn bit by bit), and a
// pointer at the window pixels that show a choice picks it as at the game's own size.
TEST(FitTheScreen, ThePictureFillsTheScreenAndThePointerPicksAsAtTheGamesSize) {
  struct Run { const char* size; Size screen; const char* pointer; };
  std::vector<std::string> states;
  for (Run run : {Run{"game", {1024, 768}, "pointer 300 530"},
                  Run{"fit", {1024, 768}, "pointer 173 618"},     // 1.6 times (108, 386)
                  Run{"fit", {1920, 1080}, "pointer 483 868"}}) {  // 240 + 2.25 times
    SCOPED_TRACE(run.pointer);
    const fs::path dir = Scratch("fit");
    platform::OsFiles files;
    main::HeadlessOptions options = FixtureOptions(dir);
    options.screen = run.screen;
    main::HeadlessGame game(files, options);
    ASSERT_FALSE(game.Start().has_value());
    std::string script = std::string("reader picture_size ") + run.size + "\n" + kNewGameScript;
    script.replace(script.find("pointer 300 530"), 15, run.pointer);
    std::string error;
    ASSERT_TRUE(game.RunScript(script, &error)) << error;
    const auto& scn = game.form().view().scn;
    states.push_back(std::to_string(static_cast<int>(scn.MainProc)) + " " +
                     std::to_string(scn.inx) + " " + scn.CallFile[scn.CallDepth].str());
    if (std::string(run.size) == "game") continue;
    const Bitmap& canvas = game.window().Canvas();
    const Bitmap& image = game.form().view().layers.IMG;
    const int32_t k = SharpFactor({image.width(), image.height()}, game.form().view().scaling.Disp.rect());
    Bitmap enlarged, expected = canvas;
    EnlargeWhole(image, k, enlarged, image.bounds());
    const Rect shown = game.form().view().scaling.Disp.rect();
    StretchBltSmooth(PixelView{expected.row(0), expected.width(), expected.width(), expected.height()},
                     shown, enlarged, shown);
    // The game's pointer is drawn over the picture where the system pointer is.
    const Point at = game.window().CursorPos();
    const Rect pointer = Rect::FromSize(at.x - 2, at.y - 2, 72, 72);
    int differ = 0;
    for (int32_t y = 0; y < canvas.height(); ++y)
      for (int32_t x = 0; x < canvas.width(); ++x)
        differ += canvas.at(x, y) != expected.at(x, y) && !pointer.contains(x, y);
    EXPECT_EQ(differ, 0);
    EXPECT_EQ(shown.height(), run.screen.height);
    platform::WritePng(canvas, (dir / "fit.png").string(), nullptr);
  }
  EXPECT_EQ(states[1], states[0]);
  EXPECT_EQ(states[2], states[0]);
}

// The slot saved the `k`-th time: every work variable, flag and name holds
// k, so a slot pieced together from two saves shows.
menus::SlotImage SlotNumber(int k) {
  menus::WorkBlock work;
  menus::FlagBlock flag;
  work.fill(static_cast<int16_t>(k));
  flag.fill(static_cast<uint16_t>(k));
  const Sstr name(std::to_string(k));
  return menus::BuildSlotImage(menus::BuildSlotHeader({}, {name, name, name, name}), work, flag);
}

// A child process saves one slot again and again and is killed with SIGKILL
// at random moments. The slot is then always a whole slot, the last one saved
// or the one being saved, and the next start removes what the killed writes
// left behind.
TEST(SaveUnderKill, TheSlotIsAlwaysTheOldOrTheNewAndTheNextStartTidiesUp) {
  const fs::path dir = Scratch("save_kill");
  const std::string slot = dir.string() + "/DATA01";
  platform::OsFiles files;
  ASSERT_TRUE(files.WriteFile(slot, SlotNumber(0), nullptr));
  std::mt19937 rng(20261207);
  int saved = 0, kills = 0, leftovers_seen = 0;
  const std::regex kLeftover(R"(\.velmor-DATA01\.[a-z0-9]{8}\.tmp)");
  constexpr ssize_t kInt = sizeof(int);
  const auto stop = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  for (; kills < 300 && std::chrono::steady_clock::now() < stop; ++kills) {
    // The child saves through the file layer the save panel uses, telling
    // the number of each save once it is complete.
    int done[2];
    ASSERT_EQ(pipe(done), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (int k = saved + 1;; ++k)
        if (!files.WriteFile(slot, SlotNumber(k), nullptr) || write(done[1], &k, sizeof k) != kInt)
          _exit(3);
    }
    close(done[1]);
    std::this_thread::sleep_for(std::chrono::microseconds(rng() % 3000));
    kill(child, SIGKILL);
    int status = 0, reported = saved;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the saving child failed with " << WEXITSTATUS(status);
    for (int k = 0; read(done[0], &k, sizeof k) == kInt;) reported = k;
    close(done[0]);
    // Complete but not yet reported when the kill came: the next one.
    const std::optional<std::vector<uint8_t>> now = files.ReadFile(slot, nullptr);
    ASSERT_TRUE(now.has_value());
    const menus::SlotImage old_one = SlotNumber(reported), new_one = SlotNumber(reported + 1);
    const bool is_old = std::equal(now->begin(), now->end(), old_one.begin(), old_one.end());
    ASSERT_TRUE(is_old || std::equal(now->begin(), now->end(), new_one.begin(), new_one.end()))
        << "after kill " << kills << ", reported save " << reported;
    saved = is_old ? reported : reported + 1;
    // What a killed write leaves is the hidden temporary file beside the slot.
    for (const auto& entry : fs::directory_iterator(dir)) {
      if (entry.path() == slot) continue;
      ++leftovers_seen;
      EXPECT_TRUE(std::regex_match(entry.path().filename().string(), kLeftover)) << entry.path();
    }
  }
  EXPECT_GE(kills, 100) << "too few kills in the time allowed to mean anything";
  EXPECT_GT(leftovers_seen, 0) << "no kill came in the middle of a write";
  // The next start of the game tidies the slot folder.
  main::HeadlessOptions options;
  options.start.program_folder = dir.string() + "/";
  options.start.data_folder = VELMOR_DEMO_DIR "/";
  options.start.slot_folder = dir.string() + "/";
  main::HeadlessGame game(files, options);
  ASSERT_FALSE(game.Start().has_value());
  for (const auto& entry : fs::directory_iterator(dir)) EXPECT_EQ(entry.path(), slot);
  EXPECT_EQ(files.ReadFile(slot, nullptr)->size(), menus::kSlotSize);
}

}  // namespace
}  // namespace velmor::testing
