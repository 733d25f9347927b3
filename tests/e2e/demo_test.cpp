// The program itself on the bundled demo game: the headless command line,
// its input script, state JSON and screenshot; and golden frames on the
// fixture game.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>

#include "app/headless/headless_game.h"
#include "platform/shared/os_files.h"
#include "platform/shared/png.h"
#include "support/pictures.h"
#include "support/process.h"

namespace velmor::testing {
namespace {

namespace fs = std::filesystem;

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
// its state in dir/state.json; `script` (if any) is its input.
ProcessResult RunDemo(const fs::path& dir, std::vector<std::string> args, const std::string& script = "",
                      const std::string& data = VELMOR_DEMO_DIR) {
  std::vector<std::string> argv{VELMOR_PROGRAM, "--headless", "--data", data, "--slots",
                                dir.string(), "--state-out", (dir / "state.json").string()};
  if (!script.empty()) {
    std::ofstream(dir / "input.txt") << script;
    argv.insert(argv.end(), {"--input", (dir / "input.txt").string()});
  }
  argv.insert(argv.end(), args.begin(), args.end());
  return RunProcess(argv, 120);
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
const char* kQuitScript =
    "until WaitClick 3000\nclick left\ntick\nuntil ChoiceProc 100\npointer 300 568\ntick\nclick left\n";

TEST(HeadlessProgram, DemoFindsItsDataAndKeepsItsSavesApart) {
  fs::path dir = Scratch("demo");
  ProcessResult r = RunProcess({VELMOR_PROGRAM, "--demo", "--headless", "--ticks", "60",
                                "--state-out", (dir / "state.json").string()},
                               120, {"HOME=" + dir.string(), "XDG_DATA_HOME=" + (dir / "share").string()});
  ASSERT_EQ(r.exit_code, 0) << r.output;
  EXPECT_NE(Slurp(dir / "state.json").find("\"CallFile\":[\"INIT\""), std::string::npos);
  EXPECT_TRUE(fs::is_directory(dir / "share/velmor/demo"));
}

TEST(HeadlessProgram, ScriptInStateAndScreenshotOut) {
  fs::path dir = Scratch("script");
  ProcessResult r = RunDemo(dir, {"--ticks", "2000", "--screenshot", (dir / "shot.png").string()},
                            kNewGameScript);
  ASSERT_EQ(r.exit_code, 0) << r.output;

  std::string json = Slurp(dir / "state.json");
  // The keys in their fixed order.
  size_t at = 0;
  for (const char* key : {"ticks", "inx", "CallDepth", "CallFile", "work", "flags", "MainProc", "mcr", "Disp",
                          "msx", "msy", "spd", "PictureName", "PictureRect", "CursorNumber", "StatusLayout",
                          "WhiteFill", "HoldMode", "spf", "CGHoldEnable", "MusicName", "MusicLoop", "media",
                          "panels", "controls", "messages", "quit"}) {
    at = json.find("\"" + std::string(key) + "\":", at);
    ASSERT_NE(at, std::string::npos) << key;
  }
  for (const char* part : {"\"ticks\":2000",  // ran on to the limit
                           "\"MainProc\":\"TypeText\"", "\"PageWait\":true", "\"PictureName\":\"BG03\"",
                           "\"mcr\":[\"慎之介\",\"さくら\",\"岸本\",\"水瀬\"",
                           "\"Disp\":{\"Top\":144,\"Left\":192,\"Width\":640,\"Height\":480}",
                           "\"MusicName\":\"M01\"", "\"quit\":false"})
    EXPECT_NE(json.find(part), std::string::npos) << part;

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
      {"debug alone", {"--debug", "--ticks", "3"}, "", {"\"debugger\":{\"paused\":false,\"reason\":\"none\""}},
      {"a label the source lacks", {"--break", "INIT:nowhere", "--ticks", "3"}, "", {},
       "--break INIT:nowhere: no label nowhere in INIT.s"},
      {"another screen size", {"--screen", "800x600", "--ticks", "5"}, "",
       {"\"Disp\":{\"Top\":60,\"Left\":80,\"Width\":640,\"Height\":480}"}},
      {"END quits", {}, kQuitScript, {"\"quit\":true"}},
      {"the script's end", {"--exit-after-script"}, "tick 30\n# the title's music\ntick 7\n", {"\"ticks\":37,", "\"quit\":false"}},
      {"the game's end before the script's", {"--exit-after-script"}, std::string(kQuitScript) + "tick 500\n",
       {"\"quit\":true"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::path dir = Scratch("runs");
    ProcessResult r = RunDemo(dir, c.args, c.script);
    ASSERT_EQ(r.exit_code, 0) << r.output;
    EXPECT_NE(r.output.find(c.says), std::string::npos) << r.output;
    std::string json = Slurp(dir / "state.json");
    for (const std::string& part : c.state) EXPECT_NE(json.find(part), std::string::npos) << part << "\n" << json;
  }
}

// --warn prints each warning once, as the state lists it; without it, not a
// word and no list. (What is warned about is the app suite's.)
TEST(HeadlessProgram, WarnTellsOfAMissingPictureOnceWithItsInstruction) {
  fs::path dir = Scratch("warn");
  fs::copy(VELMOR_DEMO_DIR, dir / "data", fs::copy_options::recursive);
  fs::remove(dir / "data" / "CG" / "BG01.BMP");
  ProcessResult r = RunDemo(dir, {"--exit-after-script", "--warn"}, "tick 300\n", (dir / "data").string());
  ASSERT_EQ(r.exit_code, 0) << r.output;
  EXPECT_TRUE(std::regex_search(r.output, std::regex("velmor: warning: INIT\\.SNX:0x[0-9A-F]{4}: "
                                                     "PICTURE \"BG01\": picture CG/BG01\\.BMP is missing\n")))
      << r.output;
  EXPECT_EQ(r.output.find("warning"), r.output.rfind("warning")) << r.output;  // once
  EXPECT_NE(Slurp(dir / "state.json").find("\"quit\":false,\"warnings\":[\"INIT.SNX:0x"), std::string::npos);

  r = RunDemo(dir, {"--exit-after-script"}, "tick 300\n", (dir / "data").string());
  ASSERT_EQ(r.exit_code, 0) << r.output;
  EXPECT_EQ(r.output.find("warning"), std::string::npos) << r.output;
  EXPECT_EQ(Slurp(dir / "state.json").find("\"warnings\""), std::string::npos);
}

// Usage errors (exit code 2), help and version, and start-ups that fail
// (exit code 1): each says what is wrong, and the state is written all the
// same.
TEST(HeadlessProgram, UsageErrorsAndFailedStartUps) {
  fs::path dir = Scratch("usage");
  const std::string script = (dir / "input.txt").string(), state = (dir / "state.json").string();
  std::ofstream(script) << "tick 2\npointer 1\n";
  const std::string demo = VELMOR_DEMO_DIR;
  struct Case {
    std::vector<std::string> args;
    int exit_code;
    const char* says;
  };
  for (const Case& c :
       {Case{{"--help"}, 0, "--headless"}, Case{{"--version"}, 0, "velmor "}, Case{{"--bogus"}, 2, "unknown option"},
        Case{{"--ticks", "5"}, 2, "need --headless"}, Case{{"--exit-after-script"}, 2, "need --headless"},
        Case{{"--headless", "--exit-after-script"}, 2, "needs an input script"},
        Case{{"--headless", "--screen", "big"}, 2, "--screen"},
        Case{{"--headless", "--input", "/nonexistent/script"}, 2, "cannot read"},
        Case{{"--demo", "--data", demo}, 2, "leave out --data"},
        Case{{"--headless", "--data", demo, "--break", "INIT"}, 2, "--break needs a place like INIT:0x12"},
        Case{{"--headless", "--data", demo, "--slots", dir.string(), "--input", script}, 2, "line 2"},
        Case{{"--headless", "--data", demo, "--font", (dir / "none.ttf").string(), "--ticks", "5"}, 1, "--font"},
        Case{{"--headless", "--ini", (dir / "BRANNIC.INI").string(), "--state-out", state}, 1,
             "--data DIR"}}) {
    std::vector<std::string> argv{VELMOR_PROGRAM};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    ProcessResult r = RunProcess(argv, 60);
    EXPECT_EQ(r.exit_code, c.exit_code) << c.args[0];
    EXPECT_NE(r.output.find(c.says), std::string::npos) << r.output;
  }
  // Without a data folder: a line that says how to mend it, and the box.
  EXPECT_NE(Slurp(state).find("\"text\":\"正しく起動してください。\",\"kind\":\"error\""), std::string::npos);
}

// Taken on the fixture game: the demo's scenarios and screen furniture with
// plain stand-ins for its art, so that only what the engine draws moves them.
class GoldenFrames : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = Scratch("golden");
    app::HeadlessOptions options;
    options.start.program_folder = dir_.string() + "/";
    options.start.data_folder = VELMOR_FIXTURE_GAME_DIR;
    game_ = std::make_unique<app::HeadlessGame>(files_, options);
    ASSERT_FALSE(game_->Start().has_value());
  }

  // Compares the presented window with a stored hash; on a mismatch the
  // frame is written next to the test's files for a look.
  void ExpectFrame(const std::string& name, uint64_t expected) {
    const Bitmap& frame = game_->window().Canvas();
    uint64_t actual = Hash(frame);
    if (actual != expected) {
      fs::path png = dir_ / (name + ".png");
      platform::WritePng(frame, png.string(), nullptr);
      ADD_FAILURE() << name << ": frame hash 0x" << std::hex << actual << " (expected 0x"
                    << expected << "); the frame is in " << png;
    }
  }

  void Run(const std::string& script) {
    std::string error;
    ASSERT_TRUE(game_->RunScript(script, &error)) << error;
  }

  fs::path dir_;
  platform::OsFiles files_;
  std::unique_ptr<app::HeadlessGame> game_;
};

TEST_F(GoldenFrames, TitleFirstSceneAndTheFramedPicture) {
  Run("until WaitClick 3000\n");
  ExpectFrame("title", 0xa4efb4662b5a7257ull);
  Run(std::string(kNewGameScript).substr(std::string("until WaitClick 3000\n").size()));
  ExpectFrame("first_scene", 0x5bbbe0f718e7e0dbull);
  // On to the cherry tree: the rest of the page, the hero's thought, then the
  // framed picture with the status strip.
  Run("click left\ntick\nuntil WaitClick 500\nclick left\ntick\nuntil WaitClick 500\n"
      "click left\ntick\nuntil TypeText 500\nuntil WaitClick 500\n");
  ExpectFrame("cherry_tree", 0x1c2f40d68435661eull);
}

}  // namespace
}  // namespace velmor::testing
