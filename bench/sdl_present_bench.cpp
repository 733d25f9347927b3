// One presented frame of the real front end: the screen image compared with
// the one before, its changed rectangle sent, and the window presented, by
// the presenter the real window chooses (argument 0: as the program chooses
// it, 1: the window surface, 2: the accelerated renderer). Needs an X
// display, as players have: run under xvfb-run -s "-screen 0 1024x768x24".
// Without one the benchmarks are skipped rather than measured on SDL's
// dummy driver, a path no player runs.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "graphics/bitmap.h"
#include "platform/sdl/sdl_platform.h"
#include "platform/sdl/sdl_window.h"
#include "platform/shared/ttf_font.h"

namespace velmor::platform::sdl {
namespace {

// A window to present into, or the reason there is none.
struct PresentRig {
  explicit PresentRig(int64_t renderer) {
    std::string error;
    if (std::getenv("DISPLAY") == nullptr || !system.Init(&error)) {
      why_not = "no X display: run under xvfb-run -s \"-screen 0 1024x768x24\"";
      return;
    }
    WindowOptions options;  // full-screen, as the program starts
    options.title = "bench";
    options.renderer = renderer == 1   ? RendererChoice::Software
                       : renderer == 2 ? RendererChoice::Accelerated
                                       : RendererChoice::Auto;
    if (!window.Open(options, &error)) why_not = error;
  }
  SdlSystem system;
  TtfFont font;
  SdlWindow window{font};
  std::string why_not;
};

// The video driver and the presenter the frames went through, and the
// window pixels each frame sent.
void Label(benchmark::State& state, PresentRig& rig) {
  state.SetLabel(std::string(SDL_GetCurrentVideoDriver()) + ", " + rig.window.PresenterName());
  if (state.iterations() > 0)
    state.counters["pixels_sent"] = static_cast<double>(rig.window.PixelsSent()) /
                                    static_cast<double>(state.iterations());
}

Bitmap Picture() {
  Bitmap img(640, 480);
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x) img.set(x, y, Rgb(x & 255, y & 255, (x ^ y) & 255));
  return img;
}

Rect Display(int percent) {
  int w = percent * 640 / 100, h = w * 75 / 100;
  return Rect::FromSize((1024 - w) / 2, (768 - h) / 2, w, h);
}

// Every pixel changes (a dissolve step): compare, send all, present.
// Arguments: the renderer, the display scale in %.
void BM_PresentChangedFrame(benchmark::State& state) {
  PresentRig rig(state.range(0));
  if (!rig.why_not.empty()) {
    state.SkipWithError(rig.why_not.c_str());
    return;
  }
  rig.window.DrawOnWindow(Bitmap(1024, 768, 0x406080), {0, 0});
  // Two pictures in turn: every pixel differs from the frame before.
  const Bitmap a = Picture();
  Bitmap b = a;
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x) b.set(x, y, a.at(x, y) ^ 0x808080);
  const Rect r = Display(static_cast<int>(state.range(1)));
  bool odd = false;
  for (auto _ : state) {
    odd = !odd;
    rig.window.StretchOnWindow(odd ? b : a, r);
    rig.window.Render(nullptr);
  }
  Label(state, rig);
}
BENCHMARK(BM_PresentChangedFrame)
    ->ArgsProduct({{0, 1, 2}, {100, 150}})
    ->Unit(benchmark::kMillisecond);

// One glyph cell changes (typing): the usual frame. Argument: the renderer.
void BM_PresentTypedGlyph(benchmark::State& state) {
  PresentRig rig(state.range(0));
  if (!rig.why_not.empty()) {
    state.SkipWithError(rig.why_not.c_str());
    return;
  }
  Bitmap img = Picture();
  const Rect r = Display(100);
  uint32_t n = 0;
  for (auto _ : state) {
    ++n;
    const int x = 40 + static_cast<int>(n % 30) * 17;
    for (int y = 400; y < 416; ++y)
      for (int i = 0; i < 16; ++i) img.set(x + i, y, n);
    // As the game reports it: the glyph, and the pointer drawn again where it was.
    ChangedRects changed;
    changed.Add(Rect::FromSize(x, 400, 16, 16));
    changed.Add(Rect::FromSize(600, 40, 32, 32));
    rig.window.StretchOnWindow(img, r, changed);
    rig.window.Render(nullptr);
  }
  Label(state, rig);
}
BENCHMARK(BM_PresentTypedGlyph)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// The same picture again (a click wait): only the comparison, no frame.
void BM_PresentUnchangedFrame(benchmark::State& state) {
  PresentRig rig(0);
  if (!rig.why_not.empty()) {
    state.SkipWithError(rig.why_not.c_str());
    return;
  }
  Bitmap img = Picture();
  const Rect r = Display(100);
  rig.window.StretchOnWindow(img, r);
  rig.window.Render(nullptr);
  for (auto _ : state) {
    rig.window.StretchOnWindow(img, r);
    benchmark::DoNotOptimize(rig.window.NeedsRender());
  }
}
BENCHMARK(BM_PresentUnchangedFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace velmor::platform::sdl
