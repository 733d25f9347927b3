// Scenario engine: instructions per second over loops that never wait, each
// run tick after tick until the tick's work budget is spent.
//
// Each benchmark reports the instructions it ran as a rate (instructions/s,
// on the benchmark's processor time) and the work units of the budget they
// were charged (units/s); bench/check_figures.sh holds the rates to their
// targets.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "language/assembler.h"
#include "support/bytecode.h"
#include "support/recording_host.h"

namespace velmor::testing {
namespace {

// Counts the instructions run while it watches.
class InstructionCounter : public scenario::InstructionGate {
 public:
  bool HoldBefore() override {
    ++count;
    return false;
  }
  uint64_t count = 0;
};

// The bytes of a loop written as assembly; a source that does not assemble
// stops the benchmark program.
std::vector<uint8_t> Assembled(std::string_view source) {
  language::AssemblyResult result = language::Assemble(source, "bench.s");
  for (const language::Diagnostic& d : result.errors) std::fprintf(stderr, "%s\n", d.ToString().c_str());
  if (!result.ok()) std::abort();
  return result.bytes;
}

// The ticks of the sustained loops: a thousand, or VELMOR_BENCH_TICKS (fewer
// make a run under callgrind practical).
int SustainedTicks() {
  const char* given = std::getenv("VELMOR_BENCH_TICKS");
  const int ticks = given ? std::atoi(given) : 0;
  return ticks > 0 ? ticks : 1000;
}

// One timed tick; a function of its own, so that callgrind can count the
// instructions of the timed ticks alone (--toggle-collect='*TimedTick*').
[[gnu::noinline]] void TimedTick(scenario::Scenario& scn) { scn.RunInstructions(); }

// Runs `program` one tick an iteration; each tick ends at the work budget.
// The instructions a tick runs are counted first over a few ticks with a
// counting gate (the loops do the same work every time round), so that the
// timed ticks run with nothing watching.
void RunLoop(benchmark::State& state, const std::vector<uint8_t>& program) {
  ScenarioRig rig;
  rig.Load(program);
  InstructionCounter counter;
  constexpr int kCountedTicks = 4;
  rig.scn.SetGate(&counter);
  uint32_t units = 0;
  for (int i = 0; i < kCountedTicks; ++i) {
    rig.scn.RunInstructions();
    units += rig.scn.WorkThisTick();
  }
  rig.scn.SetGate(nullptr);
  const double per_tick = static_cast<double>(counter.count) / kCountedTicks;
  const double units_per_tick = static_cast<double>(units) / kCountedTicks;
  for (auto _ : state) {
    TimedTick(rig.scn);
    benchmark::DoNotOptimize(rig.scn.work[2]);
  }
  const double ticks = static_cast<double>(state.iterations());
  state.counters["instructions/s"] = benchmark::Counter(per_tick * ticks, benchmark::Counter::kIsRate);
  state.counters["units/s"] = benchmark::Counter(units_per_tick * ticks, benchmark::Counter::kIsRate);
  state.counters["instructions"] = per_tick * ticks;
}

// ADD / LETX / JUMPZ: a short loop with two expressions.
void BM_TightLoop(benchmark::State& state) {
  Code c;
  c.b(8).w(1).w(1);
  c.b(3).w(2).pushw(1).push(1).b(8).end();
  c.b(17).push(0).end().w(0);
  RunLoop(state, c.bytes);
}
BENCHMARK(BM_TightLoop)->Unit(benchmark::kMillisecond);

// ADD / LET / ADDW / JUMP: a short loop of plain instructions.
void BM_SimpleArithmetic(benchmark::State& state) {
  Code c;
  c.b(8).w(1).w(1);
  c.b(0).w(2).w(5);
  c.b(9).w(2).w(1);
  c.b(16).w(0);
  RunLoop(state, c.bytes);
}
BENCHMARK(BM_SimpleArithmetic)->Unit(benchmark::kMillisecond);

// A long loop of plain instructions, one of each kind a story's bookkeeping
// uses, run for a billion instructions (a thousand ticks of a million).
void BM_SustainedSimple(benchmark::State& state) {
  RunLoop(state, Assembled(R"(
loop:
    LET work[1], 5
    ADD work[1], 3
    ADDW work[2], work[1]
    SUB work[3], 1
    SUBW work[4], work[1]
    LETW work[5], work[2]
    FLAG flag[1], 1
    SETF flag[2]
    CLRF flag[3]
    NOTF flag[4]
    LETF work[6], flag[4]
    ADDF work[7], flag[1]
    FLAGW flag[5], work[6]
    JUMPNF flag[1], loop
    JUMPF flag[3], loop
    JUMP loop
)"));
}
BENCHMARK(BM_SustainedSimple)->Unit(benchmark::kMillisecond)->Iterations(SustainedTicks());

// A loop whose every instruction computes an expression, as a story's tests
// and counters do: a thousand ticks.
void BM_SustainedExpressions(benchmark::State& state) {
  RunLoop(state, Assembled(R"(
loop:
    LETX work[1], work[1] + 1
    ADDX work[2], work[1] & 7
    FLAGX flag[1], work[2] > 100
    SUBX work[3], work[1] * 3
    LETX work[4], 7
    JUMPZ work[5] == 9, loop
)"));
}
BENCHMARK(BM_SustainedExpressions)->Unit(benchmark::kMillisecond)->Iterations(SustainedTicks());

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
