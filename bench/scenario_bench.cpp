// Scenario engine: instructions per second on a tight loop.
#include <benchmark/benchmark.h>

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

}  // namespace
}  // namespace velmor::testing
