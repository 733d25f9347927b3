// The whole tick on the headless platform: a click wait with the pointer
// composited and the picture presented, a tick of typing, and the demo
// game's ticks per second.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "language/assembler.h"
#include "platform/shared/os_files.h"
#include "support/bytecode.h"
#include "support/game_data.h"

namespace velmor::testing {
namespace {

// One tick at a click wait: map the pointer, call WaitClick, composite the
// pointer, stretch the screen image onto the window, remove the pointer.
void BM_TickAtClickWait(benchmark::State& state) {
  GameRig g(Code().b(22).bytes);
  g.Start();
  g.Unchecked();
  g.in().panels.ResoSpin.SetValue(static_cast<int>(state.range(0)));
  g.Run("pointer 500 400\ntick\n");
  for (auto _ : state) {
    if (!g.game->Tick()) {
      state.SkipWithError("the game stopped ticking");
      break;
    }
  }
  state.SetLabel(std::to_string(state.range(0)) + " %");
}
// A fixed count, well within the headless game's limit of ticks (past it a
// tick does nothing, and would be timed as nothing).
BENCHMARK(BM_TickAtClickWait)->Arg(100)->Arg(150)->Iterations(20000)->Unit(benchmark::kMicrosecond);

// One tick of typing at one glyph a tick (bench/typing_cpu.sh's game): the
// glyph drawn and published, the pointer composited, the screen image
// presented, all warm. What a typing tick costs in the real window above
// this is the machine's: the wake-up, the send, the first touch of memory
// after a sleep.
void BM_TypingTick(benchmark::State& state) {
  const language::AssemblyResult code = language::Assemble(
      "start:\n    TEXT \"\\pあいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほ\"\n"
      "    JUMP start\n",
      "typing.s");
  if (!code.errors.empty()) {
    state.SkipWithError(code.errors.front().ToString().c_str());
    return;
  }
  GameRig g(code.bytes);
  g.Start();
  g.Unchecked();
  g.Run("control SpeedSpin value 16\npointer 500 300\ntick 100\n");
  const Bitmap before = g.in().layers.IMG;
  g.game->Tick();
  if (g.in().layers.IMG.pixels() == before.pixels()) {
    state.SkipWithError("no glyph typed in a tick");
    return;
  }
  for (auto _ : state) {
    if (!g.game->Tick()) {
      state.SkipWithError("the game stopped ticking");
      break;
    }
  }
}
BENCHMARK(BM_TypingTick)->Iterations(20000)->Unit(benchmark::kMicrosecond);

// Ticks per second over the demo, from the title through the first scenes
// with every message clicked through as soon as it waits.
void BM_DemoTicks(benchmark::State& state) {
  const char* demo = std::getenv("VELMOR_DEMO_DIR");
  if (!demo || !std::filesystem::exists(demo)) {
    state.SkipWithError("set VELMOR_DEMO_DIR to the built demo folder");
    return;
  }
  platform::OsFiles files;
  int64_t ticks = 0;
  for (auto _ : state) {
    state.PauseTiming();
    main::HeadlessOptions options;
    options.start.program_folder = "/tmp/";
    options.start.data_folder = demo;
    main::HeadlessGame game(files, options);
    game.Start();
    std::string error;
    game.RunScript("pointer 300 530\n", &error);
    state.ResumeTiming();
    for (int i = 0; i < 3000; ++i) {
      if (i % 25 == 0) game.RunScript("click left\n", &error);
      if (!game.Tick()) {
        state.SkipWithError("the demo stopped ticking");
        return;
      }
    }
    ticks += 3000;
  }
  state.counters["ticks_per_second"] = benchmark::Counter(static_cast<double>(ticks), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DemoTicks)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace velmor::testing
