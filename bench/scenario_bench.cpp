// Scenario engine: instructions per second on a tight loop.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>

#include "support/bytecode.h"
#include "support/recording_host.h"

namespace velmor::testing {
namespace {

// Runs `program` tick after tick; each run ends at the per-tick limit.
void RunLoop(benchmark::State& state, const Code& program) {
  ScenarioRig rig;
  rig.Load(program.bytes);
  for (auto _ : state) {
    rig.scn.RunInstructions();
    benchmark::DoNotOptimize(rig.scn.work[2]);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) *
                          scenario::kInstructionsPerTickLimit);
}

// L: ADD work[1], 1 / LETX work[2], work[1] + 1 / JUMPZ 0, L -- a loop that
// never waits; each run ends at the per-tick instruction limit.
void BM_TightLoop(benchmark::State& state) {
  Code c;
  c.b(8).w(1).w(1);
  c.b(3).w(2).pushw(1).push(1).b(8).end();
  c.b(17).push(0).end().w(0);
  RunLoop(state, c);
}
BENCHMARK(BM_TightLoop)->Unit(benchmark::kMillisecond);

// Plain assignments and additions without expressions.
void BM_SimpleArithmetic(benchmark::State& state) {
  Code c;
  c.b(8).w(1).w(1);
  c.b(0).w(2).w(5);
  c.b(9).w(2).w(1);
  c.b(16).w(0);
  RunLoop(state, c);
}
BENCHMARK(BM_SimpleArithmetic)->Unit(benchmark::kMillisecond);

// The worst tick a scenario can make: loops whose operands are as long as
// the image allows, each run until the tick's budget is spent. The time of
// one iteration is the tick's work; it stays under 25 ms.
void BM_WorstTick(benchmark::State& state) {
  Code c;
  const auto room = [&] { return 65536 - 16 - c.bytes.size(); };
  switch (state.range(0)) {
    case 0:  // LETX work[1] with a 64 KiB expression of pushes and drops
      c.b(3).w(1);
      while (room() > 8) c.push(1).b(1);
      c.push(1).end();
      break;
    case 1:  // MUSIC with a 64 KiB name of name codes (each expands a name)
      c.b(32);
      while (room() > 8) c.b(0x10);
      c.b(0);
      break;
    case 2:  // MUSIC with a 64 KiB name of double-byte characters
      c.b(32);
      while (room() > 8) c.b(0x82).b(0xA0);
      c.b(0);
      break;
    default:  // GOTO itself: a 64 KiB file loaded again and again
      c.b(24).s("INIT");
      while (c.bytes.size() < 65536) c.b(0);
      break;
  }
  if (state.range(0) < 3) c.b(16).w(0);
  ScenarioRig rig;
  rig.host.install_waits = false;
  rig.PutScenario("INIT", c.bytes);
  rig.scn.LoadScenario("INIT");
  for (auto _ : state) {
    rig.scn.inx = 0;
    rig.host.calls.clear();
    rig.scn.RunInstructions();
    benchmark::DoNotOptimize(rig.scn.work[1]);
  }
  state.SetLabel(std::array{"expression", "name codes", "double-byte text", "file loads"}
                     [std::min<int64_t>(state.range(0), 3)]);
}
BENCHMARK(BM_WorstTick)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velmor::testing
