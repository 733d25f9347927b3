// Saves of our own and going back on the demo game: the time to save and to
// load a slot (each at most 50 ms), and the memory of the history after 100
// steps (at most 32 MiB). bench/check_saves.py holds them to it.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "main/headless/headless_game.h"
#include "platform/shared/os_files.h"

namespace velmor::testing {
namespace {

namespace fs = std::filesystem;

// The demo played by a reader who clicks every 25 ticks in the message
// window (taking whatever choice row is there) until the history holds
// `steps` steps; null without the demo.
std::unique_ptr<main::HeadlessGame> DemoWithHistory(platform::Files& files, std::size_t steps,
                                                    benchmark::State& state) {
  const char* demo = std::getenv("VELMOR_DEMO_DIR");
  if (!demo || !fs::exists(demo)) {
    state.SkipWithError("set VELMOR_DEMO_DIR to the built demo folder");
    return nullptr;
  }
  const fs::path slots = fs::temp_directory_path() / "velmor-save-bench";
  fs::create_directories(slots);
  main::HeadlessOptions options;
  options.start.program_folder = slots.string() + "/";
  options.start.slot_folder = slots.string() + "/";
  options.start.data_folder = demo;
  auto game = std::make_unique<main::HeadlessGame>(files, options);
  game->Start();
  std::string error;
  game->RunScript("pointer 300 530\n", &error);
  int tick = 0;
  auto step = [&] {
    if (tick++ % 25 == 0) game->RunScript("click left\n", &error);
    if (game->form().view().panels.NamePanel.visible)  // the default names
      game->RunScript("control DefNameButton click\ncontrol NameEntryButton click\n", &error);
    if (game->form().view().panels.SavePanel.visible)  // the scenario's own save menu
      game->RunScript("control SaveCancelButton click\n", &error);
    game->Tick();
  };
  while (tick < 60000 && game->form().history().size() < steps && !game->ended()) step();
  // At a stop, where a player saves.
  while (tick < 62000 && game->form().WhyNoSnapshot() && !game->ended()) step();
  state.counters["demo_ticks"] = tick;
  return game;
}

void BM_SaveOwnSlot(benchmark::State& state) {
  platform::OsFiles files;
  auto game = DemoWithHistory(files, 20, state);
  if (!game) return;
  for (auto _ : state)
    if (!game->form().SaveOwn(1)) {
      state.SkipWithError(("the save failed: " + game->form().TakeReaderNotice()).c_str());
      return;
    }
  state.counters["file_bytes"] =
      static_cast<double>(fs::file_size(game->form().OwnSavePath(1)));
}
BENCHMARK(BM_SaveOwnSlot)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_LoadOwnSlot(benchmark::State& state) {
  platform::OsFiles files;
  auto game = DemoWithHistory(files, 20, state);
  if (!game || !game->form().SaveOwn(1)) return;
  for (auto _ : state)
    if (!game->form().LoadOwn(1)) state.SkipWithError("the load failed");
}
BENCHMARK(BM_LoadOwnSlot)->Unit(benchmark::kMillisecond)->Iterations(20);

// The history's memory once it holds 100 steps (its pictures shared between
// steps counted once), and the time of one step back and forward.
void BM_HistoryOf100Steps(benchmark::State& state) {
  platform::OsFiles files;
  auto game = DemoWithHistory(files, app::History::kSteps, state);
  if (!game) return;
  const app::History& h = game->form().history();
  state.counters["steps"] = static_cast<double>(h.size());
  state.counters["history_mib"] = static_cast<double>(h.MemoryBytes()) / (1 << 20);
  for (auto _ : state) {
    game->form().GoBack();
    game->form().GoForward();
  }
}
BENCHMARK(BM_HistoryOf100Steps)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace
}  // namespace velmor::testing
