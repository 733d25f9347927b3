// The game's one window on SDL: the screen it covers, the system pointer,
// the wallpaper drawn straight onto it and the presented screen image.
//
// The window keeps what the game drew on it in two layers: a window-sized
// bitmap for the wallpaper tiles and the corner text, and the last presented
// screen image with the rectangle it was stretched into. Both live in
// textures that are uploaded only when they change, so presenting the same
// picture again (every tick at a click wait) costs a comparison and nothing
// else.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "core/geometry.h"
#include "graphics/bitmap.h"
#include "platform/window.h"

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;

namespace velmor::platform {
class Font;
}

namespace velmor::platform::sdl {

struct WindowOptions {
  bool windowed = false;          // a normal window instead of the whole screen
  Size window_size{1024, 768};    // its first client size
  std::string title;              // UTF-8
};

// What presenting has cost, for the measurements of the front end.
struct FrameStats {
  uint64_t renders = 0;        // frames drawn and presented
  uint64_t render_us = 0;      // time spent drawing and presenting them
  uint64_t presentations = 0;  // screen images the game presented
  uint64_t changed = 0;        // ... of which differed from the one before
  uint64_t upload_us = 0;      // time spent comparing and uploading them
};

class SdlWindow : public Window {
 public:
  // `font` draws the corner text.
  explicit SdlWindow(Font& font);
  ~SdlWindow() override;
  SdlWindow(const SdlWindow&) = delete;
  SdlWindow& operator=(const SdlWindow&) = delete;

  // Opens the window and its renderer: borderless at the display's top-left
  // corner and as large as the display, or a normal resizable window. False
  // with the reason when that is not possible.
  bool Open(const WindowOptions& options, std::string* error);

  // --- platform::Window ---
  Size ScreenSize() const override { return client_; }
  Point CursorPos() const override;
  int ShowCursor(bool show) override;
  void DrawOnWindow(const Bitmap& bmp, Point at) override;
  void StretchOnWindow(const Bitmap& bmp, const Rect& r) override;
  void DrawCornerText(const std::string& text) override;

  // --- For the front end ---
  // Something the player should see changed since the last frame.
  bool NeedsRender() const { return dirty_; }
  // The window must be drawn again (it was uncovered).
  void Invalidate() { dirty_ = true; }
  // The pointer moved to p (window pixels), as the window's events say.
  void PointerMoved(Point p) { pointer_ = p; }
  // Takes the window's new client size; true when it changed (the wallpaper
  // layer is then empty until the game draws it again).
  bool TakeClientSize();
  // Draws and presents a frame: the wallpaper layer, the screen image in its
  // rectangle, the corner text still over it, then `overlay` (the panels and
  // message boxes).
  void Render(const std::function<void()>& overlay);
  // The renderer lost its textures: they are made again from the kept
  // copies.
  void RecreateTextures();

  SDL_Window* sdl_window() const { return window_; }
  SDL_Renderer* renderer() const { return renderer_; }
  const FrameStats& stats() const { return stats_; }
  // The system pointer's display counter (visible while 0 or more).
  int CursorCount() const { return cursor_count_; }

 private:
  void DestroyTextures();
  bool UploadLayer();
  bool UploadPicture();
  // Copies the rows of bmp that differ from the kept picture; false when
  // nothing differs.
  bool TakePicture(const Bitmap& bmp);

  Font& font_;
  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  bool windowed_ = false;
  Point pointer_;  // where the window's events last saw the pointer
  Size client_;

  Bitmap layer_;  // wallpaper tiles and corner text, window-sized
  bool layer_dirty_ = true;
  SDL_Texture* layer_tex_ = nullptr;

  Bitmap picture_;     // the screen image last presented
  Rect picture_rect_;  // where it was stretched to
  bool has_picture_ = false;
  int32_t dirty_top_ = 0;     // rows of picture_ not yet uploaded:
  int32_t dirty_bottom_ = 0;  // [dirty_top_, dirty_bottom_)
  SDL_Texture* picture_tex_ = nullptr;

  // The corner text stays over the picture until the next presentation
  // paints over it.
  Bitmap corner_;
  bool corner_over_picture_ = false;
  SDL_Texture* corner_tex_ = nullptr;

  int cursor_count_ = 0;
  bool dirty_ = true;
  FrameStats stats_;
};

}  // namespace velmor::platform::sdl
