// The built program with its real front end on SDL's dummy drivers: it
// starts on a small game, runs, and ends promptly and cleanly on a signal;
// without a display it says so in one line.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "formats/bmp_writer.h"
#include "formats/midi_writer.h"
#include "formats/wave.h"
#include "support/process.h"

namespace velmor::testing {
namespace {

namespace fs = std::filesystem;

void WriteBytes(const fs::path& path, const std::vector<uint8_t>& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void WriteBmp(const fs::path& path, int w, int h, Color fill) {
  WriteBytes(path, formats::WriteBmp(Bitmap(w, h, fill), {24}));
}

// A game folder with the start-up files and a first scenario that waits for
// a click for ever.
class GameFolder {
 public:
  GameFolder() {
    char name[] = "/tmp/velmor_sdl_smoke_XXXXXX";
    root_ = mkdtemp(name);
    const fs::path cg = root_ / "data" / "CG";
    WriteBmp(cg / "KURO.BMP", 640, 480, 0x000000);
    WriteBmp(cg / "MESH.BMP", 640, 480, 0xFFFFFF);
    WriteBmp(cg / "_CGBK.BMP", 32, 32, 0x000000);
    WriteBmp(cg / "CHU.BMP", 24, 48, 0xFFFFFF);
    WriteBmp(cg / "WK00.BMP", 628, 100, 0x202060);
    WriteBmp(cg / "WALL00.BMP", 64, 64, 0x406080);
    std::vector<int16_t> samples(2205, 0);
    WriteBytes(root_ / "data" / "SOUND" / "QV00.WAV", formats::WriteWave({}, samples));
    formats::MidiFile midi;
    midi.format = 0;
    midi.tracks.emplace_back();
    midi.tracks[0].Note(0, 240, 0, 60, 1);
    WriteBytes(root_ / "data" / "SOUND" / "QV00.MID", formats::WriteMidi(midi));
    // CLICK, then JUMP 0.
    WriteBytes(root_ / "data" / "SNX" / "INIT.SNX", {22, 16, 0, 0});
    fs::create_directories(root_ / "slots");
  }
  ~GameFolder() {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }
  std::string data() const { return (root_ / "data").string(); }
  std::string slots() const { return (root_ / "slots").string(); }

 private:
  fs::path root_;
};

// Whether process `pid` has a handler of its own for signal `sig`.
bool CatchesSignal(pid_t pid, int sig) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("SigCgt:", 0) == 0)
      return (std::stoull(line.substr(7), nullptr, 16) >> (sig - 1)) & 1;
  return false;
}

// Starts the program with `env` changed ("NAME=value" sets, a bare "NAME"
// removes), waits until its output shows `ready` and it handles `sig`
// itself (at most ten seconds), sends `sig` (0: none) and waits at most five
// seconds for it to end; a program still running then is killed.
ProcessResult RunProgram(const std::vector<std::string>& args, const std::vector<std::string>& env,
                         const std::string& ready, int sig) {
  std::vector<std::string> argv{VELMOR_PROGRAM};
  argv.insert(argv.end(), args.begin(), args.end());
  Child child(argv, env);
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

const std::vector<std::string> kDummyDrivers{"SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy"};

class ProgramSignals : public ::testing::TestWithParam<int> {};

TEST_P(ProgramSignals, EndPromptlyAndCleanlyAtAClickWait) {
  GameFolder game;
  ProcessResult out = RunProgram({"--data", game.data(), "--slots", game.slots(), "--window", "--trace"},
                    kDummyDrivers, "CLICK", GetParam());
  ASSERT_TRUE(out.exited) << "still running five seconds after the signal; output:\n" << out.output;
  EXPECT_EQ(out.exit_code, 0) << out.output;
  // The trace shows the game got as far as its click wait, and nothing
  // floods the terminal while it waits there.
  EXPECT_NE(out.output.find("CLICK"), std::string::npos) << out.output;
  EXPECT_LT(out.output.size(), 2000u) << out.output;
}

INSTANTIATE_TEST_SUITE_P(TermAndInt, ProgramSignals, ::testing::Values(SIGTERM, SIGINT),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return std::string(info.param == SIGTERM ? "SIGTERM" : "SIGINT");
                         });

// --debug with breakpoints: the program starts with the debugger's window, a
// breakpoint that cannot be set is told, and a signal still ends it all.
TEST(Program, TheDebuggerStopsAtABreakpointAndASignalStillEndsTheProgram) {
  GameFolder game;
  ProcessResult out = RunProgram({"--data", game.data(), "--slots", game.slots(), "--window", "--trace",
                            "--debug", "--break", "INIT:0", "--break", "INIT:start"},
                           kDummyDrivers, "--break INIT:start: no source INIT.s", SIGTERM);
  ASSERT_TRUE(out.exited) << out.output;
  EXPECT_EQ(out.exit_code, 0) << out.output;
}

TEST(Program, AStartUpFailureBoxDoesNotKeepASignalWaiting) {
  GameFolder game;
  // No such data folder: start-up reports the missing picture in a box that
  // nobody answers; the signal still ends the program.
  ProcessResult out = RunProgram({"--data", game.data() + "/missing", "--slots", game.slots(), "--window"},
                           kDummyDrivers, "", SIGTERM);
  ASSERT_TRUE(out.exited) << out.output;
  // Start-up did fail: exit code 1 and a line that says why.
  EXPECT_EQ(out.exit_code, 1);
  EXPECT_NE(out.output.find("does not exist"), std::string::npos) << out.output;
  EXPECT_LT(out.output.size(), 2000u) << out.output;
}

// An unknown video driver, and none at all: with no display SDL would fall
// back to a driver that draws nowhere, and the game would run unseen.
TEST(Program, WithoutADisplayItSaysSoInOneLine) {
  GameFolder game;
  const std::string line = "velmor: no display: try --headless\n";
  ProcessResult out = RunProgram({"--data", game.data()},
                                 {"SDL_VIDEODRIVER=nonexistent", "SDL_AUDIODRIVER=dummy"}, "", 0);
  ASSERT_TRUE(out.exited) << out.output;
  EXPECT_EQ(out.exit_code, 1);
  EXPECT_EQ(out.output, line);
  // With no display at all SDL would fall back to a driver that draws
  // nowhere, and the game would run unseen.
  out = RunProgram({"--data", game.data()}, {"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER", "SDL_AUDIODRIVER=dummy"},
                   "", 0);
  ASSERT_TRUE(out.exited) << out.output;
  EXPECT_EQ(out.exit_code, 1);
  EXPECT_NE(out.output.find(line), std::string::npos) << out.output;
  EXPECT_LT(out.output.size(), 500u) << out.output;
}

}  // namespace
}  // namespace velmor::testing
