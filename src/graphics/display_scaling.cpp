#include "graphics/display_scaling.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "platform/window.h"

namespace velmor::graphics {

void DisplayScaling::SetDisplaySize(int32_t w, int32_t h) {
  Size screen = window_.ScreenSize();
  if (fit_) {
    // Whole steps of 4 by 3, so the sides keep 4 : 3 exactly.
    const int32_t step = std::max(1, std::min(screen.width / 4, screen.height / 3));
    w = step * 4;
    h = step * 3;
  }
  Disp.Width = w;
  Disp.Height = h;
  Disp.Left = (screen.width - w) / 2;
  Disp.Top = (screen.height - h) / 2;
}

void DisplayScaling::SetFitScreen(bool on) {
  fit_ = on;
  const int32_t w = ResoSpin_.value * 640 / 100;
  SetDisplaySize(w, w * 75 / 100);
}

void DisplayScaling::CentreAtOwnSize() { SetDisplaySize(layers_.IMG.width(), layers_.IMG.height()); }

void DisplayScaling::ResoSpinChange() {
  layers_.DrawWallpaper();
  int32_t p = ResoSpin_.value;
  int32_t w = p * 640 / 100;
  int32_t h = w * 75 / 100;
  SetDisplaySize(w, h);
  layers_.Present(Disp.rect());
}

int32_t DisplayScaling::Factor() const {
  // The vertical axis uses the horizontal factor too, which holds because
  // the display always keeps 4 : 3.
  int32_t width = std::max(Disp.Width, 1);
  return layers_.IMG.width() * 256 / width;
}

Point DisplayScaling::MapPointer(Point px) const {
  if (fit_) {
    // Any size: the logical pixel under the window pixel's centre, as the
    // sharp scaling shows it.
    auto map = [](int64_t offset, int64_t shown, int64_t own) {
      shown = std::max<int64_t>(shown, 1), own = std::max<int64_t>(own, 1);
      return static_cast<int32_t>(
          std::clamp<int64_t>(offset < 0 ? 0 : (2 * offset + 1) * own / (2 * shown), 0, own - 1));
    };
    return {map(px.x - Disp.Left, Disp.Width, layers_.IMG.width()),
            map(px.y - Disp.Top, Disp.Height, layers_.IMG.height())};
  }
  int32_t s = Factor();
  int32_t x = ((px.x - Disp.Left) * s + 128) / 256;
  int32_t y = ((px.y - Disp.Top) * s + 128) / 256;
  x = std::clamp(x, 0, 639);
  y = std::clamp(y, 0, 479);
  return {x, y};
}

namespace {

// The offset from the display's edge whose mapping (with factor s) comes
// nearest to v; the first of equals.
int32_t NearestOffset(int32_t v, int32_t s) {
  s = std::max(s, 1);
  // The first offset that maps to v or beyond, and its neighbours.
  const int32_t first = std::max((v * 256 - 128 + s - 1) / s, 0);
  int32_t best = first, best_error = INT32_MAX;
  for (int32_t d = std::max(first - 1, 0); d <= first + 1; ++d) {
    int32_t error = std::abs((d * s + 128) / 256 - v);
    if (error < best_error) {
      best = d;
      best_error = error;
    }
  }
  return best;
}

}  // namespace

Point DisplayScaling::WindowPoint(Point logical) const {
  if (fit_) {
    // The first window pixel whose centre shows the logical one.
    auto first = [](int64_t v, int64_t shown, int64_t own) {
      own = std::max<int64_t>(own, 1);
      const int64_t num = 2 * shown * v - own;
      return static_cast<int32_t>(num <= 0 ? 0 : (num + 2 * own - 1) / (2 * own));
    };
    return {Disp.Left + first(logical.x, Disp.Width, layers_.IMG.width()),
            Disp.Top + first(logical.y, Disp.Height, layers_.IMG.height())};
  }
  int32_t s = Factor();
  return {Disp.Left + NearestOffset(logical.x, s), Disp.Top + NearestOffset(logical.y, s)};
}

}  // namespace velmor::graphics
