#include "platform/sdl/sdl_window.h"

#include <SDL.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "core/byte_string.h"
#include "core/texts.h"
#include "platform/font.h"

namespace velmor::platform::sdl {

namespace {

uint64_t MicrosSince(uint64_t start) {
  return (SDL_GetPerformanceCounter() - start) * 1000000 / SDL_GetPerformanceFrequency();
}


bool Intersects(const Rect& a, const Rect& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// The window's icon: a 32 x 32 picture in a few flat colours, a white "V" on
// a dark red tile.
void SetIcon(SDL_Window* window) {
  constexpr int kSize = 32;
  SDL_Surface* icon =
      SDL_CreateRGBSurfaceWithFormat(0, kSize, kSize, 32, SDL_PIXELFORMAT_ARGB8888);
  if (icon == nullptr) return;
  auto* px = static_cast<uint32_t*>(icon->pixels);
  const int pitch = icon->pitch / 4;
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      bool corner = (x < 2 || x > 29) && (y < 2 || y > 29);
      uint32_t c = corner ? 0x00000000 : 0xFF800000;
      if (!corner && (x == 0 || y == 0 || x == 31 || y == 31)) c = 0xFF000000;
      // The two strokes of the V: from the top corners down to the middle.
      int left = 6 + (y - 6) * 9 / 20, right = 25 - (y - 6) * 9 / 20;
      if (y >= 6 && y <= 26 && ((x >= left && x <= left + 3) || (x >= right - 3 && x <= right)))
        c = 0xFFFFFFFF;
      px[y * pitch + x] = c;
    }
  }
  SDL_SetWindowIcon(window, icon);
  SDL_FreeSurface(icon);
}

}  // namespace

SdlWindow::SdlWindow(Font& font) : font_(font) {}

SdlWindow::~SdlWindow() {
  presenter_.reset();
  if (window_ != nullptr) SDL_DestroyWindow(window_);
}

bool SdlWindow::Open(const WindowOptions& options, std::string* error) {
  // The picture is stretched by dropping and repeating pixels, never blended.
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");
  windowed_ = options.windowed;
  sized_by_page_ = options.sized_by_page;
  first_size_ = options.window_size;

  SDL_Rect display{0, 0, 1024, 768};
  SDL_GetDisplayBounds(0, &display);
  int x = display.x, y = display.y, w = display.w, h = display.h;
  Uint32 flags = SDL_WINDOW_SHOWN;
  if (windowed_) {
    SDL_Rect usable = display;
    SDL_GetDisplayUsableBounds(0, &usable);
    if (!options.fit_to_display) usable.w = usable.h = INT32_MAX;
    w = std::min(options.window_size.width, usable.w);
    h = std::min(options.window_size.height, usable.h);
    x = y = static_cast<int>(SDL_WINDOWPOS_CENTERED);
    // SDL's browser backend may size a resizable canvas to its size in the
    // page (CSS pixels) when the browser's window changes: the page sizes
    // this one alone.
    if (!sized_by_page_) flags |= SDL_WINDOW_RESIZABLE;
  } else {
    // A borderless window at the display's corner, as large as the display:
    // what the game asks for, and it lands in the right place with or without
    // a window manager (unlike the desktop full-screen mode).
    flags |= SDL_WINDOW_BORDERLESS;
  }
  window_ = SDL_CreateWindow(options.title.c_str(), x, y, w, h, flags);
  if (window_ == nullptr) {
    if (error) *error = Fill(Tr("cannot open the window: %s"), {SDL_GetError()});
    return false;
  }
  presenter_ = MakePresenter(window_, options.renderer, error);
  if (presenter_ == nullptr) return false;
  SetIcon(window_);

  // Until the first motion event, where SDL last saw the pointer.
  SDL_GetMouseState(&pointer_.x, &pointer_.y);
  TakeClientSize();
  return true;
}

void SdlWindow::SetFullScreen(bool full) {
  // Mended: in a page this made the canvas's own pixels the screen's size
  // (rarely 4:3) under the page's 4:3 box, and the picture was stretched
  // out of shape; the page has its own full screen.
  if (window_ == nullptr || full == FullScreen() || sized_by_page_) return;
  int old_x = 0, old_y = 0;
  SDL_GetWindowPosition(window_, &old_x, &old_y);
  const int index = std::max(SDL_GetWindowDisplayIndex(window_), 0);
  SDL_Rect display{0, 0, 1024, 768};
  SDL_GetDisplayBounds(index, &display);
  if (full) {
    int w = 0, h = 0;
    SDL_GetWindowSize(window_, &w, &h);
    normal_ = Rect::FromSize(old_x, old_y, w, h);
    // As at the start: borderless at the display's corner, as large as it.
    SDL_SetWindowResizable(window_, SDL_FALSE);
    SDL_SetWindowBordered(window_, SDL_FALSE);
    SDL_SetWindowPosition(window_, display.x, display.y);
    SDL_SetWindowSize(window_, display.w, display.h);
    SDL_RaiseWindow(window_);
  } else {
    SDL_Rect usable = display;
    SDL_GetDisplayUsableBounds(index, &usable);
    const Rect r = NormalWindowPlace(normal_, first_size_,
                                     Rect::FromSize(usable.x, usable.y, usable.w, usable.h));
    SDL_SetWindowBordered(window_, SDL_TRUE);
    SDL_SetWindowResizable(window_, SDL_TRUE);
    SDL_SetWindowSize(window_, r.width(), r.height());
    SDL_SetWindowPosition(window_, r.left, r.top);
  }
  windowed_ = !full;
  // The pointer has not moved on the display; the window has.
  int x = 0, y = 0;
  SDL_GetWindowPosition(window_, &x, &y);
  pointer_ = {pointer_.x + old_x - x, pointer_.y + old_y - y};
}

void SdlWindow::SetClientSize(Size size) {
  if (window_ == nullptr || size.width <= 0 || size.height <= 0) return;
  SDL_SetWindowSize(window_, size.width, size.height);
}

std::vector<uint32_t> SdlWindow::TakeCapture(Size& size) {
  std::vector<uint32_t> pixels;
  if (!presenter_) return pixels;
  pixels.swap(presenter_->captured);
  size = presenter_->captured_size;
  presenter_->capture_next = false;
  return pixels;
}

void CopyShownArea(Bitmap& picture, const std::vector<uint32_t>& window, Size window_size,
                   const Rect& picture_rect, const Rect& area) {
  const int32_t w = picture.width(), h = picture.height();
  if (w == 0 || h == 0 || picture_rect.empty() ||
      window.size() < static_cast<std::size_t>(window_size.width) * window_size.height)
    return;
  const Rect inside = Intersect(area, Rect{0, 0, window_size.width, window_size.height});
  for (int32_t y = 0; y < h; ++y) {
    const int64_t wy = picture_rect.top + (int64_t{2} * y + 1) * picture_rect.height() / (2 * h);
    if (wy < inside.top || wy >= inside.bottom) continue;
    for (int32_t x = 0; x < w; ++x) {
      const int64_t wx = picture_rect.left + (int64_t{2} * x + 1) * picture_rect.width() / (2 * w);
      if (wx < inside.left || wx >= inside.right) continue;
      picture.set(x, y, window[static_cast<std::size_t>(wy * window_size.width + wx)] & 0xFFFFFF);
    }
  }
}

Rect NormalWindowPlace(const Rect& last, Size first, const Rect& usable) {
  if (!last.empty() && Intersects(last, usable) && last.width() <= usable.width() &&
      last.height() <= usable.height())
    return last;
  // Its first size, within the usable area, in the middle of it.
  const int32_t w = std::min(first.width, usable.width());
  const int32_t h = std::min(first.height, usable.height());
  return Rect::FromSize(usable.left + (usable.width() - w) / 2,
                        usable.top + (usable.height() - h) / 2, w, h);
}

bool SdlWindow::TakeClientSize() {
  int w = 0, h = 0;
  SDL_GetWindowSize(window_, &w, &h);
  if (Size{w, h} == client_ && layer_.size() == client_) return false;
  client_ = {w, h};
  layer_.Resize({std::max(w, 1), std::max(h, 1)});
  // A new size is a new surface (or new textures): all is drawn again.
  ResetPresenter();
  damage_ = Damage{};
  dirty_ = true;
  return true;
}

void SdlWindow::LayerChanged(const Rect& r) {
  damage_.layer = Union(damage_.layer, Intersect(r, layer_.bounds()));
  dirty_ = true;
}

Point SdlWindow::CursorPos() const { return pointer_; }

void SdlWindow::SetCursorPos(Point p) {
  // The motion event of the move may come late (or, on some servers, not
  // at all): the pointer is where it was put.
  SDL_WarpMouseInWindow(window_, p.x, p.y);
  pointer_ = p;
}

int SdlWindow::ShowCursor(bool show) {
  cursor_count_ += show ? 1 : -1;
  SDL_ShowCursor(cursor_count_ >= 0 ? SDL_ENABLE : SDL_DISABLE);
  return cursor_count_;
}

void SdlWindow::DrawOnWindow(const Bitmap& bmp, Point at) {
  layer_.Draw(bmp, at);
  LayerChanged(Rect::FromSize(at.x, at.y, bmp.width(), bmp.height()));
}

bool SdlWindow::TakePicture(const Bitmap& bmp, const ChangedRects& within) {
  if (bmp.width() != picture_.width() || bmp.height() != picture_.height()) {
    picture_ = bmp;
    damage_.picture = bmp.bounds();
    damage_.bands_hold_all = false;
    return true;
  }
  bool changed = false;
  for (const Rect& area : within.rects()) changed = TakeRows(bmp, area) || changed;
  return changed;
}

bool SdlWindow::TakeRows(const Bitmap& bmp, const Rect& within) {
  // Row by row, and within a changed row the columns that changed: a typed
  // glyph is one small rectangle.
  const Rect area = Intersect(within, bmp.bounds());
  const std::size_t row_bytes = static_cast<std::size_t>(area.width()) * sizeof(Color);
  Rect changed, band;  // band: the changed rows one under another so far
  for (int32_t y = area.top; y < area.bottom; ++y) {
    const Color* now = bmp.row(y);
    Color* kept = picture_.row(y);
    if (std::memcmp(kept + area.left, now + area.left, row_bytes) == 0) continue;
    int32_t left = area.left, right = area.right;
    while (now[left] == kept[left]) ++left;
    while (now[right - 1] == kept[right - 1]) --right;
    CopyPixels(kept + left, now + left, static_cast<std::size_t>(right - left));
    const Rect row{left, y, right, y + 1};
    changed = Union(changed, row);
    if (band.empty() || band.bottom == y) {
      band = Union(band, row);
    } else {
      NoteBand(band);
      band = row;
    }
  }
  if (!band.empty()) NoteBand(band);
  damage_.picture = Union(damage_.picture, changed);
  return !changed.empty();
}

void SdlWindow::NoteBand(const Rect& rows) {
  // Rows next to each other make one band; past a few hundred bands the
  // union serves.
  constexpr std::size_t kMostBands = 256;
  std::vector<Rect>& bands = damage_.picture_bands;
  if (!damage_.bands_hold_all) return;
  if (!bands.empty() && bands.back().bottom == rows.top && bands.back().top < rows.top) {
    bands.back() = Union(bands.back(), rows);
  } else if (bands.size() < kMostBands) {
    bands.push_back(rows);
  } else {
    damage_.bands_hold_all = false;
    bands.clear();
  }
}

void SdlWindow::StretchOnWindow(const Bitmap& bmp, const Rect& r, const ChangedRects& within,
                                const Rect& /*kept: never looked at*/) {
  uint64_t start = SDL_GetPerformanceCounter();
  ++stats_.presentations;
  bool changed = TakePicture(bmp, within);
  if (!has_picture_ || !(r == picture_rect_)) {
    // A new place: the old one shows the layer again, the new one all of
    // the picture.
    if (has_picture_) LayerChanged(picture_rect_);
    damage_.picture = picture_.bounds();
    damage_.bands_hold_all = false;
    changed = true;
  }
  picture_rect_ = r;
  has_picture_ = true;
  // The picture paints over the corner text where they overlap.
  if (corner_over_picture_ && Intersects(r, corner_.bounds())) {
    corner_over_picture_ = false;
    LayerChanged(corner_.bounds());
    changed = true;
  }
  if (changed) {
    ++stats_.changed;
    dirty_ = true;
  }
  stats_.upload_us += MicrosSince(start);
}

void SdlWindow::DrawCornerText(const std::string& text) {
  const TextStyle style{-16, kBlack};
  int32_t width = 0;
  for (std::size_t i = 0; i < text.size();) {
    int n = IsLeadByte(static_cast<uint8_t>(text[i])) && i + 1 < text.size() ? 2 : 1;
    width += Font::CellWidth(n, style);
    i += static_cast<std::size_t>(n);
  }
  if (width == 0) return;
  corner_ = Bitmap(width, style.CharHeight(), kWhite);
  font_.DrawText(corner_, 0, 0, text, style);
  layer_.Draw(corner_, {0, 0});
  LayerChanged(corner_.bounds());
  corner_over_picture_ = has_picture_ && Intersects(picture_rect_, corner_.bounds());
}

void SdlWindow::SetSmoothScaling(bool on) {
  if (smooth_ == on) return;
  smooth_ = on;
  damage_ = Damage{};  // the whole picture looks different
  dirty_ = true;
}

void SdlWindow::SetSharpScaling(bool on) {
  if (sharp_ == on) return;
  sharp_ = on;
  enlarged_ = Bitmap();
  damage_ = Damage{};
  dirty_ = true;
}

void SdlWindow::Enlarge(Damage& damage) {
  const int32_t k = SharpFactor({picture_.width(), picture_.height()}, picture_rect_);
  const bool whole = enlarged_.width() != picture_.width() * k ||
                     enlarged_.height() != picture_.height() * k || damage.all;
  if (whole) {
    EnlargeWhole(picture_, k, enlarged_, picture_.bounds());
    damage.picture = enlarged_.bounds();
    damage.bands_hold_all = false;
    damage.picture_bands.clear();
    return;
  }
  auto times_k = [k](const Rect& r) { return Rect{r.left * k, r.top * k, r.right * k, r.bottom * k}; };
  if (damage.bands_hold_all && !damage.picture_bands.empty()) {
    for (Rect& band : damage.picture_bands) {
      EnlargeWhole(picture_, k, enlarged_, band);
      band = times_k(band);
    }
  } else if (!damage.picture.empty()) {
    EnlargeWhole(picture_, k, enlarged_, damage.picture);
  }
  damage.picture = times_k(damage.picture);
}

void SdlWindow::Render(const Overlay* overlay) {
  uint64_t start = SDL_GetPerformanceCounter();
  Scene scene;
  scene.layer = &layer_;
  scene.picture = has_picture_ && !picture_.empty() ? &picture_ : nullptr;
  scene.picture_rect = picture_rect_;
  scene.smooth = smooth_;
  scene.corner = corner_over_picture_ && !corner_.empty() ? &corner_ : nullptr;
  if (sharp_ && scene.picture != nullptr) {
    Enlarge(damage_);
    scene.picture = &enlarged_;
    scene.smooth = true;
  }
  presenter_->Present(scene, damage_, overlay);
  damage_.all = false;
  damage_.layer = damage_.picture = Rect{};
  damage_.picture_bands.clear();  // keeps its room for the next frame
  damage_.bands_hold_all = true;
  dirty_ = false;
  ++stats_.renders;
  stats_.render_us += MicrosSince(start);
}

void SdlWindow::ResetPresenter() {
  if (!presenter_) return;
  // The panels' drawing lets go of the old renderer before it goes.
  if (on_renderer_change) on_renderer_change(nullptr);
  presenter_->Reset(nullptr);
  if (on_renderer_change) on_renderer_change(renderer());
}

void SdlWindow::RecreateTextures() {
  ResetPresenter();
  damage_ = Damage{};
  dirty_ = true;
}

}  // namespace velmor::platform::sdl
