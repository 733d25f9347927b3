// Graphics: raster operations and dissolve ticks on a 640 x 480 picture.
#include <benchmark/benchmark.h>

#include "support/graphics_rig.h"

namespace velmor::testing {
namespace {

void BM_CopyFullScreen(benchmark::State& state) {
  Bitmap src = Pattern(640, 480), dst(640, 480);
  auto rop = static_cast<Rop>(state.range(0));
  for (auto _ : state) {
    BitBlt(dst, 0, 0, 640, 480, src, 0, 0, rop);
    benchmark::DoNotOptimize(dst.row(0)[0]);
  }
}
BENCHMARK(BM_CopyFullScreen)
    ->Arg(static_cast<int64_t>(Rop::SRCCOPY))
    ->Arg(static_cast<int64_t>(Rop::SRCAND))
    ->Arg(static_cast<int64_t>(Rop::MERGEPAINT))
    ->Unit(benchmark::kMicrosecond);

void BM_Stretch(benchmark::State& state) {
  Bitmap src = Pattern(640, 480);
  int32_t w = static_cast<int32_t>(state.range(0) * 640 / 100);
  Bitmap dst(w, w * 3 / 4);
  for (auto _ : state) {
    StretchBlt(dst, dst.bounds(), src);
    benchmark::DoNotOptimize(dst.row(0)[0]);
  }
}
BENCHMARK(BM_Stretch)->Arg(100)->Arg(110)->Arg(125)->Arg(145)->Arg(150)->Arg(200)->Unit(benchmark::kMicrosecond);

// One tick of the dissolve-in: the normal step (one or two passes), or Ctrl
// held from a carried-over accumulator of 15 (the worst case: nine passes).
void BM_DissolveTick(benchmark::State& state) {
  GraphicsRig g;
  g.game.Unchecked();
  g.Put("CG\\", "BG01.BMP", Pattern(640, 480));
  g.layers.TMP = Pattern(640, 480);
  bool fast = state.range(0) != 0;
  g.input.sft = fast ? kSkipKey : 0;
  for (auto _ : state) {
    state.PauseTiming();
    g.scn.MainProc = scenario::WaitHandler::DissolveIn;
    g.picture.MeshPass = 0;
    g.picture.MeshAcc = fast ? 15 : 12;
    state.ResumeTiming();
    g.picture.DissolveIn();
  }
}
BENCHMARK(BM_DissolveTick)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace velmor::testing
