#include "platform/sdl/sdl_window.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

#include "core/byte_string.h"
#include "platform/font.h"

namespace velmor::platform::sdl {

namespace {

uint64_t MicrosSince(uint64_t start) {
  return (SDL_GetPerformanceCounter() - start) * 1000000 / SDL_GetPerformanceFrequency();
}

SDL_Rect ToSdl(const Rect& r) { return {r.left, r.top, r.width(), r.height()}; }

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
  DestroyTextures();
  if (renderer_ != nullptr) SDL_DestroyRenderer(renderer_);
  if (window_ != nullptr) SDL_DestroyWindow(window_);
}

bool SdlWindow::Open(const WindowOptions& options, std::string* error) {
  // The picture is stretched by dropping and repeating pixels, never blended.
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");
  windowed_ = options.windowed;

  SDL_Rect display{0, 0, 1024, 768};
  SDL_GetDisplayBounds(0, &display);
  int x = display.x, y = display.y, w = display.w, h = display.h;
  Uint32 flags = SDL_WINDOW_SHOWN;
  if (windowed_) {
    SDL_Rect usable = display;
    SDL_GetDisplayUsableBounds(0, &usable);
    w = std::min(options.window_size.width, usable.w);
    h = std::min(options.window_size.height, usable.h);
    x = y = static_cast<int>(SDL_WINDOWPOS_CENTERED);
    flags |= SDL_WINDOW_RESIZABLE;
  } else {
    // A borderless window at the display's corner, as large as the display:
    // what the game asks for, and it lands in the right place with or without
    // a window manager (unlike the desktop full-screen mode).
    flags |= SDL_WINDOW_BORDERLESS;
  }
  window_ = SDL_CreateWindow(options.title.c_str(), x, y, w, h, flags);
  if (window_ == nullptr) {
    if (error) *error = std::string("cannot open the window: ") + SDL_GetError();
    return false;
  }
  renderer_ = SDL_CreateRenderer(window_, -1, 0);
  if (renderer_ == nullptr) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
  if (renderer_ == nullptr) {
    if (error) *error = std::string("cannot draw in the window: ") + SDL_GetError();
    return false;
  }
  SetIcon(window_);

  // Until the first motion event, where SDL last saw the pointer.
  SDL_GetMouseState(&pointer_.x, &pointer_.y);
  TakeClientSize();
  return true;
}

bool SdlWindow::TakeClientSize() {
  int w = 0, h = 0;
  SDL_GetWindowSize(window_, &w, &h);
  if (Size{w, h} == client_ && !layer_.empty()) return false;
  client_ = {w, h};
  layer_ = Bitmap(std::max(w, 1), std::max(h, 1));
  if (layer_tex_ != nullptr) SDL_DestroyTexture(layer_tex_);
  layer_tex_ = nullptr;
  layer_dirty_ = dirty_ = true;
  return true;
}

Point SdlWindow::CursorPos() const { return pointer_; }

int SdlWindow::ShowCursor(bool show) {
  cursor_count_ += show ? 1 : -1;
  SDL_ShowCursor(cursor_count_ >= 0 ? SDL_ENABLE : SDL_DISABLE);
  return cursor_count_;
}

void SdlWindow::DrawOnWindow(const Bitmap& bmp, Point at) {
  DrawBitmap(layer_, at.x, at.y, bmp);
  layer_dirty_ = dirty_ = true;
}

bool SdlWindow::TakePicture(const Bitmap& bmp) {
  if (bmp.width() != picture_.width() || bmp.height() != picture_.height()) {
    picture_ = bmp;
    if (picture_tex_ != nullptr) SDL_DestroyTexture(picture_tex_);
    picture_tex_ = nullptr;
    dirty_top_ = 0;
    dirty_bottom_ = bmp.height();
    return true;
  }
  const std::size_t row_bytes = static_cast<std::size_t>(bmp.width()) * sizeof(Color);
  bool any = false;
  for (int32_t y = 0; y < bmp.height(); ++y) {
    if (std::memcmp(picture_.row(y), bmp.row(y), row_bytes) == 0) continue;
    std::memcpy(picture_.row(y), bmp.row(y), row_bytes);
    if (dirty_top_ == dirty_bottom_) {
      dirty_top_ = y;
      dirty_bottom_ = y + 1;
    } else {
      dirty_top_ = std::min(dirty_top_, y);
      dirty_bottom_ = std::max(dirty_bottom_, y + 1);
    }
    any = true;
  }
  return any;
}

void SdlWindow::StretchOnWindow(const Bitmap& bmp, const Rect& r) {
  uint64_t start = SDL_GetPerformanceCounter();
  ++stats_.presentations;
  bool changed = TakePicture(bmp);
  if (!has_picture_ || !(r == picture_rect_)) changed = true;
  picture_rect_ = r;
  has_picture_ = true;
  // The picture paints over the corner text where they overlap.
  if (corner_over_picture_ && Intersects(r, corner_.bounds())) {
    corner_over_picture_ = false;
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
  font_.DrawText(layer_, 0, 0, text, style);
  layer_dirty_ = dirty_ = true;
  if (width == 0) return;
  corner_ = Bitmap(width, style.CharHeight(), kWhite);
  font_.DrawText(corner_, 0, 0, text, style);
  if (corner_tex_ != nullptr) SDL_DestroyTexture(corner_tex_);
  corner_tex_ = nullptr;
  corner_over_picture_ = has_picture_ && Intersects(picture_rect_, corner_.bounds());
}

bool SdlWindow::UploadLayer() {
  if (layer_tex_ == nullptr) {
    layer_tex_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                   layer_.width(), layer_.height());
    if (layer_tex_ == nullptr) return false;
    layer_dirty_ = true;
  }
  if (layer_dirty_) {
    SDL_UpdateTexture(layer_tex_, nullptr, layer_.row(0),
                      layer_.width() * static_cast<int>(sizeof(Color)));
    layer_dirty_ = false;
  }
  return true;
}

bool SdlWindow::UploadPicture() {
  if (!has_picture_ || picture_.empty()) return false;
  if (picture_tex_ == nullptr) {
    picture_tex_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888,
                                     SDL_TEXTUREACCESS_STREAMING, picture_.width(),
                                     picture_.height());
    if (picture_tex_ == nullptr) return false;
    dirty_top_ = 0;
    dirty_bottom_ = picture_.height();
  }
  if (dirty_bottom_ > dirty_top_) {
    SDL_Rect band{0, dirty_top_, picture_.width(), dirty_bottom_ - dirty_top_};
    SDL_UpdateTexture(picture_tex_, &band, picture_.row(dirty_top_),
                      picture_.width() * static_cast<int>(sizeof(Color)));
    dirty_top_ = dirty_bottom_ = 0;
  }
  return true;
}

void SdlWindow::Render(const std::function<void()>& overlay) {
  uint64_t start = SDL_GetPerformanceCounter();
  SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
  SDL_RenderClear(renderer_);
  if (UploadLayer()) {
    SDL_Rect all{0, 0, layer_.width(), layer_.height()};
    SDL_RenderCopy(renderer_, layer_tex_, nullptr, &all);
  }
  if (UploadPicture()) {
    SDL_Rect dst = ToSdl(picture_rect_);
    SDL_RenderCopy(renderer_, picture_tex_, nullptr, &dst);
  }
  if (corner_over_picture_ && !corner_.empty()) {
    if (corner_tex_ == nullptr) {
      corner_tex_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888,
                                      SDL_TEXTUREACCESS_STATIC, corner_.width(),
                                      corner_.height());
      if (corner_tex_ != nullptr)
        SDL_UpdateTexture(corner_tex_, nullptr, corner_.row(0),
                          corner_.width() * static_cast<int>(sizeof(Color)));
    }
    if (corner_tex_ != nullptr) {
      SDL_Rect dst{0, 0, corner_.width(), corner_.height()};
      SDL_RenderCopy(renderer_, corner_tex_, nullptr, &dst);
    }
  }
  if (overlay) overlay();
  SDL_RenderPresent(renderer_);
  dirty_ = false;
  ++stats_.renders;
  stats_.render_us += MicrosSince(start);
}

void SdlWindow::DestroyTextures() {
  for (SDL_Texture** t : {&layer_tex_, &picture_tex_, &corner_tex_}) {
    if (*t != nullptr) SDL_DestroyTexture(*t);
    *t = nullptr;
  }
}

void SdlWindow::RecreateTextures() {
  DestroyTextures();
  layer_dirty_ = dirty_ = true;
}

}  // namespace velmor::platform::sdl
