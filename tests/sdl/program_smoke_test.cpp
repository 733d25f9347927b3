// The built program with its real front end on SDL's dummy drivers: it
// starts on a small game, runs, and ends promptly and cleanly on a signal;
// without a display it says so in one line.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/game_data.h"
#include "support/process.h"

namespace velmor::testing {
namespace {

namespace fs = std::filesystem;

// A game folder on disk with the start-up files and a first scenario that
// waits for a click for ever.
class GameFolder {
 public:
  GameFolder() {
    char name[] = "/tmp/velmor_sdl_smoke_XXXXXX";
    root_ = mkdtemp(name);
    platform::MemoryFiles files;
    PutGameData(files, {22, 16, 0, 0});  // CLICK, then JUMP 0
    for (const char* file : {"CG/KURO.BMP", "CG/MESH.BMP", "CG/_CGBK.BMP", "CG/CHU.BMP", "CG/WK00.BMP",
                             "CG/WALL00.BMP", "SOUND/QV00.WAV", "SOUND/QV00.MID", "SNX/INIT.SNX"}) {
      const std::vector<uint8_t>& bytes = *files.Get(std::string(kDat) + file);
      fs::create_directories((root_ / "data" / file).parent_path());
      std::ofstream(root_ / "data" / file, std::ios::binary)
          .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    fs::create_directories(root_ / "slots");
  }
  ~GameFolder() {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }
  std::vector<std::string> Args(const std::string& data = "data") const {
    return {"--data", (root_ / data).string(), "--slots", (root_ / "slots").string(), "--window"};
  }

 private:
  fs::path root_;
};

// Whether process `pid` has a handler of its own for signal `sig`.
bool CatchesSignal(pid_t pid, int sig) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("SigCgt:", 0) == 0) return (std::stoull(line.substr(7), nullptr, 16) >> (sig - 1)) & 1;
  return false;
}

// Starts the program with `env` changed ("NAME=value" sets, a bare "NAME"
// removes), waits until its output shows `ready` and it handles `sig`
// itself (at most ten seconds), sends `sig` (0: none) and waits at most five
// seconds for it to end; a program still running then is killed.
ProcessResult RunProgram(std::vector<std::string> args, const std::string& ready, int sig,
                         const std::vector<std::string>& env) {
  args.insert(args.begin(), VELMOR_PROGRAM);
  Child child(args, env);
  if (!child.started()) {
    ADD_FAILURE() << "cannot start " << VELMOR_PROGRAM;
    return {};
  }
  const auto ready_by = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  auto is_ready = [&] {
    return (sig == 0 || CatchesSignal(child.pid(), sig)) &&
           (ready.empty() || child.output().find(ready) != std::string::npos);
  };
  bool running = true;
  while (running && !is_ready()) {
    if (std::chrono::steady_clock::now() > ready_by) {
      ADD_FAILURE() << "not ready (\"" << ready << "\", signal " << sig << ") within ten seconds";
      break;
    }
    running = child.ReadFor(std::chrono::milliseconds(10));
  }
  if (running && sig != 0) kill(child.pid(), sig);
  return child.Finish(std::chrono::seconds(5));
}

const std::vector<std::string> kDummy{"SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy"};

// A signal ends the program promptly and cleanly at the click wait (the
// trace shows the game got there, and nothing floods the terminal while it
// waits), with the debugger's window and a breakpoint that cannot be set
// (it is told), and at a start-up failure's box that nobody answers (exit
// code 1 and a line that says why). Without a display (an unknown video
// driver, or none at all) it says so in one line: SDL would otherwise fall
// back to a driver that draws nowhere, and the game would run unseen.
TEST(Program, EndsPromptlyOnASignalAndSaysWhyItCannotStart) {
  GameFolder game;
  const std::string no_display = "velmor: no display: try --headless\n";
  struct Case {
    std::string data;
    std::vector<std::string> args, env;
    std::string ready;
    int sig, exit_code;
    std::string says;
  };
  int row = 0;
  for (const Case& c : {
           Case{"data", {"--trace"}, kDummy, "CLICK", SIGTERM, 0, "CLICK"},
           Case{"data", {"--trace", "--debug", "--break", "INIT:0", "--break", "INIT:start"}, kDummy,
                "--break INIT:start: no source INIT.s", SIGTERM, 0, ""},
           Case{"missing", {}, kDummy, "", SIGTERM, 1, "does not exist"},
           Case{"data", {}, {"SDL_VIDEODRIVER=nonexistent", "SDL_AUDIODRIVER=dummy"}, "", 0, 1, no_display},
           Case{"data", {}, {"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER", "SDL_AUDIODRIVER=dummy"}, "", 0,
                1, no_display}}) {
    SCOPED_TRACE("row " + std::to_string(row++));
    std::vector<std::string> args = game.Args(c.data);
    args.insert(args.end(), c.args.begin(), c.args.end());
    const ProcessResult out = RunProgram(args, c.ready, c.sig, c.env);
    ASSERT_TRUE(out.exited) << "still running five seconds after the signal; output:\n" << out.output;
    EXPECT_EQ(out.exit_code, c.exit_code) << out.output;
    EXPECT_NE(out.output.find(c.says), std::string::npos) << out.output;
    EXPECT_LT(out.output.size(), c.sig == 0 ? 500u : 2000u) << out.output;
  }
}

}  // namespace
}  // namespace velmor::testing
