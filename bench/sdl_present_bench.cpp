// One presented frame of the real front end: the screen image compared with
// the one before, its changed rows uploaded, and the window drawn and
// presented. Runs on whatever SDL video driver is available (under xvfb-run:
// X11 with its default renderer; without a display: the dummy driver's
// software renderer).
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "graphics/bitmap.h"
#include "platform/sdl/sdl_platform.h"
#include "platform/sdl/sdl_window.h"
#include "platform/ttf_font.h"

namespace velmor::platform::sdl {
namespace {

// A window to present into, or the reason there is none.
struct PresentRig {
  PresentRig() {
    std::string error;
    if (!system.Init(&error)) {
      setenv("SDL_VIDEODRIVER", "dummy", 1);
      if (!system.Init(&error)) {
        why_not = "no SDL video: " + error;
        return;
      }
    }
    WindowOptions options;
    options.windowed = true;
    options.window_size = {1024, 768};
    options.title = "bench";
    if (!window.Open(options, &error)) why_not = error;
  }
  SdlSystem system;
  TtfFont font;
  SdlWindow window{font};
  std::string why_not;
};

// The video driver and the renderer the frames went through.
std::string Label(PresentRig& rig) {
  SDL_RendererInfo info{};
  SDL_GetRendererInfo(rig.window.renderer(), &info);
  return std::string(SDL_GetCurrentVideoDriver()) + "/" + (info.name ? info.name : "?");
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

// Every row changes (a dissolve step): compare, upload all, draw, present.
void BM_PresentChangedFrame(benchmark::State& state) {
  PresentRig rig;
  if (!rig.why_not.empty()) {
    state.SkipWithError(rig.why_not.c_str());
    return;
  }
  rig.window.DrawOnWindow(Bitmap(1024, 768, 0x406080), {0, 0});
  Bitmap img = Picture();
  const Rect r = Display(static_cast<int>(state.range(0)));
  uint32_t n = 0;
  for (auto _ : state) {
    ++n;
    for (int y = 0; y < 480; ++y) img.set(static_cast<int>(n % 640), y, n);
    rig.window.StretchOnWindow(img, r);
    rig.window.Render(nullptr);
  }
  state.SetLabel(Label(rig));
}
BENCHMARK(BM_PresentChangedFrame)->Arg(100)->Arg(150)->Unit(benchmark::kMillisecond);

// A few rows change (typing a line of text): the usual frame.
void BM_PresentTypedLine(benchmark::State& state) {
  PresentRig rig;
  if (!rig.why_not.empty()) {
    state.SkipWithError(rig.why_not.c_str());
    return;
  }
  Bitmap img = Picture();
  const Rect r = Display(100);
  uint32_t n = 0;
  for (auto _ : state) {
    ++n;
    for (int y = 380; y < 396; ++y) img.set(40 + static_cast<int>(n % 560), y, n);
    rig.window.StretchOnWindow(img, r);
    rig.window.Render(nullptr);
  }
  state.SetLabel(Label(rig));
}
BENCHMARK(BM_PresentTypedLine)->Unit(benchmark::kMillisecond);

// The same picture again (a click wait): only the comparison, no frame.
void BM_PresentUnchangedFrame(benchmark::State& state) {
  PresentRig rig;
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
