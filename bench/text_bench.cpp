// The text subsystems' per-tick costs: typing a whole page in one tick, and a
// redraw of the status strip.
#include <benchmark/benchmark.h>

#include "core/controls.h"
#include "core/input_state.h"
#include "core/sjis.h"
#include "graphics/layers.h"
#include "platform/headless/headless_platform.h"
#include "platform/headless/memory_files.h"
#include "platform/shared/ttf_font.h"
#include "scenario/scenario.h"
#include "support/recording_host.h"
#include "text/message_window.h"
#include "text/names.h"
#include "text/status_display.h"

namespace velmor {
namespace {

struct TextBench {
  TextBench() {
    layers.BMP = Bitmap(640, 480, Rgb(30, 60, 90));
    layers.IMG = layers.BMP;
    layers.SP1 = Bitmap(24, 48, kBlack);
    win.SetUp(Bitmap(628, 100, kWhite));
    scn.mcr = text::InitialNames();
  }

  testing::ScenarioRig rig;
  scenario::Scenario& scn = rig.scn;
  graphics::BitmapLoader loader{rig.files, rig.dat_path};
  graphics::Layers layers{loader, rig.window};
  platform::TtfFont font;
  SpinEdit SpeedSpin{"SpeedSpin", 0, 128, -16, 96};
  text::MessageWindow win{layers, font, scn, rig.input, SpeedSpin};
  text::StatusDisplay status{layers, font, scn};
};

// A full page: three rows of 32 different full-width characters.
ByteString PageText() {
  return Sjis(
      "あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみ"
      "むめもやゆよらりるれろわをんアイウエオカキクケコサシスセソタチツ"
      "今日は四月十二日、日曜日。雨の音が静かに窓を打っている。彼女はま");
}

void BM_TypePageAtSpeedZero(benchmark::State& state) {
  TextBench b;
  if (!b.font.ok()) {
    state.SkipWithError(b.font.error().c_str());
    return;
  }
  b.win.msg.spd = 0;
  ByteString text = PageText();
  // Warm the glyph cache.
  b.win.StartMessage(1, &text);
  b.win.TypeText();
  int rasterised = b.font.Rasterised();
  for (auto _ : state) {
    state.PauseTiming();
    b.win.StartMessage(1, &text);
    state.ResumeTiming();
    b.win.TypeText();
    benchmark::DoNotOptimize(b.layers.IMG.pixels().data());
  }
  if (b.font.Rasterised() != rasterised) state.SkipWithError("the glyph cache was not warm");
  if (b.scn.MainProc != scenario::WaitHandler::None) state.SkipWithError("the page did not end");
}
BENCHMARK(BM_TypePageAtSpeedZero)->Unit(benchmark::kMicrosecond);

void BM_DrawStatus(benchmark::State& state) {
  TextBench b;
  b.status.StatusLayout = static_cast<int>(state.range(0));
  for (int i = 0; i < 11; ++i) b.scn.StatusVars[i] = static_cast<uint16_t>(i);
  const int16_t values[11] = {720, -150, 90, 455, 1000, 4, 12, 0, 1234, 300, 999};
  for (int i = 0; i < 11; ++i) b.scn.work[i] = values[i];
  b.status.DrawStatus();  // warm the glyph cache
  for (auto _ : state) {
    b.status.DrawStatus();
    benchmark::DoNotOptimize(b.layers.BMP.pixels().data());
  }
}
BENCHMARK(BM_DrawStatus)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace velmor
