// The built program with its real front end on SDL's dummy drivers.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/game_data.h"
#include "support/process.h"

namespace velmor::testing {
namespace {

namespace fs = std::filesystem;
using ::testing::ContainsRegex;

// Whether process `pid` has a handler of its own for signal `sig`.
bool CatchesSignal(pid_t pid, int sig) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("SigCgt:", 0) == 0)
      return (std::stoull(line.substr(7), nullptr, 16) >> (sig - 1)) & 1;
  return false;
}

// A game on disk (in <build>/<name>/data, with an empty <name>/slots) whose
// first scenario waits for a click for ever.
fs::path ClickingGameIn(const std::string& name) {
  const fs::path root = fs::path(VELMOR_BUILD_DIR) / name;
  fs::remove_all(root);
  fs::create_directories(root / "slots");
  platform::MemoryFiles files;
  PutGameData(files, {22, 16, 0, 0});  // CLICK, then JUMP 0
  files.ForEach([&](const std::string& key, const std::vector<uint8_t>& bytes) {
    const fs::path file = root / "data" / key.substr(std::strlen(kDat));
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  });
  return root;
}

// Runs the program until it handles SIGTERM itself and has said `ready`
// (or ended), then sends SIGTERM and waits for its end.
ProcessResult TerminateWhenReady(const std::vector<std::string>& args,
                                 const std::vector<std::string>& env, const std::string& ready) {
  Child child(args, env);
  EXPECT_TRUE(child.started()) << args[0];
  bool running = child.started();
  EXPECT_TRUE(WaitUntil([&] {
    running = running && child.ReadFor(std::chrono::milliseconds(10));
    return !running ||
           (CatchesSignal(child.pid(), SIGTERM) && child.output().find(ready) != std::string::npos);
  })) << "not ready within ten seconds";
  if (running) kill(child.pid(), SIGTERM);
  return child.Finish(std::chrono::seconds(5));
}

// At the click wait (traced, quietly), with the debugger and a breakpoint it
// cannot set, at a start-up failure's box nobody answers (exit code 1). With
// no display SDL would fall back to a driver that draws nowhere: it says so.
TEST(Program, EndsPromptlyOnASignalAndSaysWhyItCannotStart) {
  const fs::path root = ClickingGameIn("sdl_smoke_test");
  const std::string no_display = "velmor: no display: try --headless\n";
  const std::vector<std::string> dummy{"SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy"};
  struct Case {
    std::string data;
    std::vector<std::string> args, env;  // in env a bare "NAME" removes the variable
    std::string ready;                   // the output the signal waits for
    int sig, exit_code;                  // sig 0: none
    std::string says;
    bool once;  // it says it once only
  };
  const Case cases[] = {
      {"data", {"--trace"}, dummy, "CLICK", SIGTERM, 0, "CLICK", false},
      {"data", {"--trace", "--debug", "--break", "INIT:0", "--break", "INIT:start"}, dummy,
       "--break INIT:start: no source INIT.s", SIGTERM, 0, "", false},
      // Said before its box waits for an answer, and not again when a signal ends it.
      {"missing", {}, dummy, "does not exist", SIGTERM, 1, "does not exist", true},
      {"data", {}, {"SDL_VIDEODRIVER=nonexistent", "SDL_AUDIODRIVER=dummy"}, "", 0, 1, no_display,
       true},
      {"data", {}, {"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER", "SDL_AUDIODRIVER=dummy"}, "",
       0, 1, no_display, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "row " << &c - cases);
    std::vector<std::string> args{VELMOR_PROGRAM, "--data", (root / c.data).string(), "--slots",
                                  (root / "slots").string(), "--window"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    Child child(args, c.env);
    ASSERT_TRUE(child.started()) << VELMOR_PROGRAM;
    // Ready when it handles the signal itself and has said `ready` (or ended).
    bool running = true;
    EXPECT_TRUE(WaitUntil([&] {
      running = running && child.ReadFor(std::chrono::milliseconds(10));
      return !running || ((c.sig == 0 || CatchesSignal(child.pid(), c.sig)) &&
                          child.output().find(c.ready) != std::string::npos);
    })) << "not ready within ten seconds";
    if (running && c.sig != 0) kill(child.pid(), c.sig);
    const ProcessResult out = child.Finish(std::chrono::seconds(5));
    ASSERT_TRUE(out.exited) << "still running five seconds after the signal:\n" << out.output;
    EXPECT_EQ(out.exit_code, c.exit_code) << out.output;
    const std::size_t said = out.output.find(c.says);
    EXPECT_NE(said, std::string::npos) << out.output;
    if (c.once && said != std::string::npos) {
      EXPECT_EQ(out.output.find(c.says, said + 1), std::string::npos) << out.output;
    }
    EXPECT_LT(out.output.size(), c.sig == 0 ? 500u : 2000u) << out.output;
  }
}

// Started from the menu (no --data, no --ini) where no data folder is set
// anywhere, the program offers the choice in its window instead of
// stopping; the folder the player chose before is where it starts; an INI
// file without the folder still gets the game's own message first.
TEST(Program, AFirstStartOffersTheChoiceInTheWindow) {
  if (fs::exists("/etc/BRANNIC.INI")) GTEST_SKIP() << "this system names a data folder";
  const fs::path root = ClickingGameIn("sdl_first_start_test");
  const std::string conf = (root / "conf").string();
  const std::vector<std::string> env{"SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy",
                                     "XDG_CONFIG_HOME=" + conf, "HOME=" + (root / "home").string()};
  const std::vector<std::string> args{VELMOR_PROGRAM, "--window", "--trace", "--slots",
                                      (root / "slots").string()};
  // Waiting for the player's choice; a signal is a choice to quit.
  ProcessResult out = TerminateWhenReady(args, env, "choose one in the window");
  ASSERT_TRUE(out.exited) << out.output;
  EXPECT_EQ(out.exit_code, 0) << out.output;
  EXPECT_EQ(out.output.find("CLICK"), std::string::npos) << out.output;

  // The choice the first start remembers is read from the player's file.
  fs::create_directories(root / "conf" / "velmor");
  std::ofstream(root / "conf" / "velmor" / "BRANNIC.INI")
      << "[Velmor]\nDatPath=" << (root / "data").string() << "/\n";
  out = TerminateWhenReady(args, env, "CLICK");
  EXPECT_EQ(out.exit_code, 0) << out.output;
  EXPECT_NE(out.output.find("CLICK"), std::string::npos) << out.output;

  // Found but without the folder: said at once, and the game's box waits.
  std::ofstream(root / "conf" / "velmor" / "BRANNIC.INI") << "[Velmor]\n";
  out = TerminateWhenReady(args, env, "has no DatPath");
  EXPECT_EQ(out.exit_code, 1) << out.output;
  EXPECT_EQ(out.output.find("has no DatPath"), out.output.rfind("has no DatPath")) << out.output;
}

// --verbose's presenter and the drawing statistics at the end in the
// player's language, the numbers written as they always were.
TEST(Program, ThePresenterAndTheFrameStatisticsInThePlayersLanguage) {
  const fs::path root = ClickingGameIn("sdl_language_test");
  const std::vector<std::string> args{VELMOR_PROGRAM, "--data", (root / "data").string(), "--slots",
                                      (root / "slots").string(), "--window", "--trace", "--verbose"};
  auto env = [&](const char* lang) {
    return std::vector<std::string>{"SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy",
                                    "VELMOR_FRAME_STATS=1", std::string("LANG=") + lang, "LC_ALL",
                                    "LC_MESSAGES", "LANGUAGE"};
  };
  ProcessResult out = TerminateWhenReady(args, env("ja_JP.UTF-8"), "CLICK");
  EXPECT_EQ(out.exit_code, 0) << out.output;
  EXPECT_THAT(out.output, ContainsRegex("\nvelmor: 表示の方式: (ソフトウェア（ウィンドウのサーフェス）|"
                                        "3D レンダラー（[a-z0-9_]+）)\n"));
  EXPECT_THAT(out.output, ContainsRegex("\nvelmor: [0-9]+ ティック、表示 [0-9]+ 回（変化 [0-9]+ 回、比較と"
                                        "複写に各 [0-9]+\\.[0-9]{3} ミリ秒）、描画 [0-9]+ フレーム（各 "
                                        "[0-9]+\\.[0-9]{3} ミリ秒）、ウィンドウに送った画素 [0-9]+\n"));
  out = TerminateWhenReady(args, env("C"), "CLICK");
  EXPECT_EQ(out.exit_code, 0) << out.output;
  EXPECT_THAT(out.output, ContainsRegex("\nvelmor: presenting through (software \\(the window "
                                        "surface\\)|accelerated \\([a-z0-9_]+\\))\n"));
  EXPECT_THAT(out.output, ContainsRegex("\nvelmor: [0-9]+ ticks, [0-9]+ presentations \\([0-9]+ changed, "
                                        "[0-9]+\\.[0-9]{3} ms each to compare and copy\\), [0-9]+ "
                                        "frames drawn \\([0-9]+\\.[0-9]{3} ms each\\), [0-9]+ window "
                                        "pixels sent\n"));
}

}  // namespace
}  // namespace velmor::testing
