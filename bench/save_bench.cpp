// Saves of our own and going back on the demo game: the time to save and to
// load a slot (each at most 50 ms), and the memory of the history after 100
// steps (at most 32 MiB). bench/check_saves.py holds them to it.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "formats/bmp.h"
#include "main/headless/headless_game.h"
#include "platform/shared/os_files.h"
#include "support/assembly.h"
#include "support/game_data.h"
#include "support/pictures.h"

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

// The demo's own pictures (backgrounds and event pictures: photographs of
// painted scenes) made into `count` different ones: each mirrored or not,
// its colour channels turned, shifted by a few columns.
std::vector<Bitmap> ChangingPictures(const fs::path& demo, int count) {
  std::vector<Bitmap> bases;
  for (const char* name : {"BG01", "BG02", "BG03", "BG04", "_CG01", "_CG02", "_CG03"}) {
    std::ifstream in(demo / "CG" / (std::string(name) + ".BMP"), std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    if (auto bmp = formats::DecodeBmp(bytes)) bases.push_back(std::move(*bmp));
  }
  std::vector<Bitmap> out;
  for (int i = 0; bases.size() > 0 && i < count; ++i) {
    const Bitmap& base = bases[static_cast<std::size_t>(i) % bases.size()];
    const int variant = i / static_cast<int>(bases.size());
    Bitmap bmp(base.width(), base.height());
    for (int32_t y = 0; y < bmp.height(); ++y)
      for (int32_t x = 0; x < bmp.width(); ++x) {
        int32_t from = (x + variant * 3) % bmp.width();
        if (variant & 1) from = bmp.width() - 1 - from;
        Color c = base.at(from, y);
        for (int turn = 0; turn < variant % 3; ++turn)
          c = ((c << 8) | (c >> 16)) & kColorMask;
        bmp.set(x, y, c);
      }
    out.push_back(std::move(bmp));
  }
  return out;
}

// A reader through a game that shows a new picture every `pace` clicks (1:
// every click, the worst a game can do; 5: a scene's few pages over each),
// 120 clicks in all, each with its own line; the history's memory and steps
// at the end. The pictures are 24-bit files, as the demo's are.
void BM_HistoryOfChangingPictures(benchmark::State& state) {
  const char* demo = std::getenv("VELMOR_DEMO_DIR");
  if (!demo || !fs::exists(demo)) {
    state.SkipWithError("set VELMOR_DEMO_DIR to the built demo folder");
    return;
  }
  const int pace = static_cast<int>(state.range(0)), clicks = 120;
  const std::vector<Bitmap> pictures = ChangingPictures(demo, (clicks + pace - 1) / pace);
  std::string source;
  for (int i = 0; i < clicks; ++i) {
    if (i % pace == 0) source += "    PICTURE \"P" + std::to_string(i / pace) + "\"\n";
    source += "    TEXT \"\\p" + std::to_string(i) + "番目の頁。\"\n    CLICK\n";
  }
  source += "    END\n";
  platform::MemoryFiles files;
  PutGameData(files, Assembled(source));
  for (std::size_t n = 0; n < pictures.size(); ++n)
    files.Put(std::string(kDat) + "CG/P" + std::to_string(n) + ".BMP", BmpBytes(pictures[n]));
  main::HeadlessOptions options;
  options.screen = {640, 480};
  options.start.data_folder = kDat;
  for (auto _ : state) {
    main::HeadlessGame game(files, options);
    game.Start();
    // Each click at the wait it answers (a picture's effect takes its
    // ticks before the text).
    std::string error;
    for (int i = 0; i < clicks && !game.ended(); ++i)
      game.RunScript("until WaitClick 300\ntick 2\nclick left\ntick\n", &error);
    state.counters["steps"] = static_cast<double>(game.form().history().size());
    state.counters["history_mib"] =
        static_cast<double>(game.form().history().MemoryBytes()) / (1 << 20);
  }
}
BENCHMARK(BM_HistoryOfChangingPictures)->Arg(1)->Arg(5)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace velmor::testing
