// A long session of the demo on the headless platform, driven by random
// input (clicks anywhere, right clicks, fast-forward, the panels' controls,
// saves and loads, and the reader's own features: the backlog, going back
// and forward, skip and auto, saves of our own and their screens), with the
// program's resident memory printed once a second. bench/soak.sh runs it
// beside the real window and judges the figures.
//
// Usage: velmor_soak_headless DATA_FOLDER SLOT_FOLDER SECONDS [SEED]
// Output, one line each: "rss SECONDS KIB", "box KIND TEXT" for each error
// box, "restart" when the demo ended (the player chose to leave) and was
// started again in the same process, "between SECONDS BYTES" right after a
// game ended and before the next starts (the bytes the program still holds
// from the allocator: with no game alive, only what outlives games), and a
// closing "done TICKS RESTARTS ERRORS".
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <malloc.h>
#include <random>
#include <string>
#include <vector>

#include "main/headless/headless_game.h"
#include "core/sjis.h"
#include "platform/shared/font_finder.h"
#include "platform/shared/os_files.h"

namespace {

using velmor::main::HeadlessGame;
using Clock = std::chrono::steady_clock;

// The bytes handed out by the allocator and not yet given back. Unlike the
// resident size, it does not count what the allocator keeps for later.
long long BytesInUse() {
  const struct mallinfo2 m = mallinfo2();
  return static_cast<long long>(m.uordblks + m.hblkhd);
}

long ResidentKib() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  return -1;
}

// A save of our own writes half a megabyte or more: at full speed the
// player would write gigabytes an hour, so it saves at most this often
// (wall time) and loads otherwise.
constexpr auto kOwnSaveEvery = std::chrono::seconds(5);

// Whether a save of our own may be written now; if so, it counts as written.
bool TakeSaveTurn(Clock::time_point& last_own_save) {
  if (Clock::now() - last_own_save < kOwnSaveEvery) return false;
  last_own_save = Clock::now();
  return true;
}

// One of the reader's own features: the backlog, going back and forward,
// skipping and auto, saves of our own and their screens.
std::vector<std::string> RandomReaderAction(std::mt19937& rng, const std::string& ticks,
                                            Clock::time_point& last_own_save) {
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  switch (pick(6)) {
    case 0: return {"wheel up", ticks, pick(2) ? "wheel up" : "wheel down", ticks, "click right", ticks};
    case 1: {
      std::vector<std::string> steps;
      for (int n = 1 + pick(5); n > 0; --n) steps.push_back(pick(3) ? "back" : "forward");
      steps.push_back(ticks);
      return steps;
    }
    case 2: return {pick(2) ? "key tab" : "key a", ticks};
    case 3: {
      const std::string slot = pick(3) ? "quick" : std::to_string(1 + pick(30));
      const bool save = TakeSaveTurn(last_own_save);
      return {(save ? "save " : "load ") + slot, ticks};
    }
    case 4: {  // the save or load screen, a slot chosen, then Enter or Escape
      const bool save_screen = pick(2);
      const bool enter = pick(3) == 0 && (!save_screen || TakeSaveTurn(last_own_save));
      return {save_screen ? "key f2" : "key f3", "tick 1", pick(2) ? "key down" : "key pagedown",
              "tick 1", enter ? "key enter" : "key escape", ticks};
    }
    default: return {"key " + std::to_string(1 + pick(7)), ticks};
  }
}

// One random thing a restless player does, as input-script lines.
std::vector<std::string> RandomAction(std::mt19937& rng, Clock::time_point& last_own_save) {
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  const std::string ticks = "tick " + std::to_string(1 + pick(30));
  switch (pick(14)) {
    case 0: case 1: case 2: case 3:
      return {"pointer " + std::to_string(pick(1024)) + " " + std::to_string(pick(768)),
              "click left", ticks};
    case 4: return {"click right", ticks};
    case 5: return {"keys ctrl", "tick " + std::to_string(20 + pick(200)), "keys"};
    case 6: return {"control SaveList select " + std::to_string(pick(7)), "control SaveButton click",
                    ticks};
    case 7: return {"control SaveCancelButton click", ticks};
    case 8: {
      static const char* spins[] = {"SpeedSpin", "ResoSpin", "MouseSpin"};
      return {std::string("control ") + spins[pick(3)] + (pick(2) ? " up" : " down"), ticks};
    }
    case 9: {
      static const char* buttons[] = {"WaveBtn", "MidiBtn", "MidiBtn2", "MuteBtn", "ExitButton"};
      return {std::string("control ") + buttons[pick(5)] + " click", ticks};
    }
    case 10: return {"control DefNameButton click", "control NameEntryButton click", ticks};
    case 11: case 12: return RandomReaderAction(rng, ticks, last_own_save);
    default: return {"tick " + std::to_string(50 + pick(300))};
  }
}

std::unique_ptr<HeadlessGame> StartGame(velmor::platform::Files& files,
                                        const velmor::main::HeadlessOptions& options) {
  auto game = std::make_unique<HeadlessGame>(files, options);
  if (game->Start()) {
    std::fprintf(stderr, "velmor_soak_headless: the demo did not start: %s\n",
                 game->form().startup_failure().c_str());
    std::exit(1);
  }
  return game;
}

// Error boxes since the last call, printed; the others (the game's own
// questions and notices) are expected and only cleared.
int ReportErrorBoxes(HeadlessGame& game) {
  int errors = 0;
  for (const auto& box : game.dialogs().Boxes()) {
    using velmor::platform::MessageKind;
    if (box.kind != MessageKind::Error && box.kind != MessageKind::Failure) continue;
    std::printf("box %s %s\n", box.kind == MessageKind::Error ? "error" : "failure",
                velmor::SjisToUtf8(box.text).c_str());
    ++errors;
  }
  game.dialogs().Clear();
  return errors;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: velmor_soak_headless DATA_FOLDER SLOT_FOLDER SECONDS [SEED]\n");
    return 2;
  }
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  std::string error;
  auto faces = velmor::platform::FindFontFaces("", &error);
  if (!faces) {
    std::fprintf(stderr, "velmor_soak_headless: %s\n", error.c_str());
    return 1;
  }
  velmor::platform::OsFiles files;
  velmor::main::HeadlessOptions options;
  options.font_file = faces->gothic;
  options.max_ticks = UINT64_MAX;
  options.start.program_folder = argv[2];
  options.start.data_folder = argv[1];
  options.start.slot_folder = argv[2];
  std::mt19937 rng(argc > 4 ? static_cast<unsigned>(std::atoi(argv[4])) : 1u);

  const auto start = Clock::now();
  const auto end = start + std::chrono::seconds(std::atol(argv[3]));
  auto next_sample = start;
  auto last_own_save = start - kOwnSaveEvery;
  uint64_t ticks = 0;
  int restarts = 0, errors = 0;
  auto game = StartGame(files, options);
  while (Clock::now() < end) {
    for (const std::string& line : RandomAction(rng, last_own_save))
      if (!game->RunCommand(line, &error))
        std::fprintf(stderr, "velmor_soak_headless: %s: %s\n", line.c_str(), error.c_str());
    if (game->ended()) {
      ticks += game->ticks();
      errors += ReportErrorBoxes(*game);
      game.reset();
      std::printf("between %.1f %lld\n",
                  std::chrono::duration<double>(Clock::now() - start).count(), BytesInUse());
      game = StartGame(files, options);
      ++restarts;
      std::puts("restart");
    }
    if (Clock::now() >= next_sample) {
      errors += ReportErrorBoxes(*game);
      const auto seconds = std::chrono::duration<double>(Clock::now() - start).count();
      std::printf("rss %.1f %ld\n", seconds, ResidentKib());
      next_sample += std::chrono::seconds(1);
    }
  }
  errors += ReportErrorBoxes(*game);
  std::printf("done %llu %d %d\n", static_cast<unsigned long long>(ticks + game->ticks()),
              restarts, errors);
  return 0;
}
