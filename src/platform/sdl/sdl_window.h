// The game's one window on SDL: the screen it covers, the system pointer,
// the wallpaper drawn straight onto it and the presented screen image.
//
// The window keeps what the game drew on it: a window-sized layer for the
// wallpaper tiles and the corner text, and the last presented screen image
// with the rectangle it was stretched into. It notes what changed (a
// rectangle of the layer, a rectangle of the picture, found by comparing
// each presented picture with the last), and its presenter sends only that
// to the display: presenting the same picture again (every tick at a click
// wait) costs a comparison, and a typed glyph about one character cell.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/geometry.h"
#include "graphics/bitmap.h"
#include "platform/sdl/presenter.h"
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
  bool fit_to_display = true;     // no larger than the display's usable area
  // A page's canvas: the page chooses its size (SetClientSize) and its full
  // screen, neither the player through the window nor the game.
  bool sized_by_page = false;
  std::string title;              // UTF-8
  RendererChoice renderer = RendererChoice::Auto;
};

// What presenting has cost, for the measurements of the front end.
struct FrameStats {
  uint64_t renders = 0;        // frames drawn and presented
  uint64_t render_us = 0;      // time spent drawing and presenting them
  uint64_t presentations = 0;  // screen images the game presented
  uint64_t changed = 0;        // ... of which differed from the one before
  uint64_t upload_us = 0;      // time spent comparing them
};

class SdlWindow : public Window {
 public:
  // `font` draws the corner text.
  explicit SdlWindow(Font& font);
  ~SdlWindow() override;
  SdlWindow(const SdlWindow&) = delete;
  SdlWindow& operator=(const SdlWindow&) = delete;

  // Opens the window and its presenter: borderless at the display's top-left
  // corner and as large as the display, or a normal resizable window. False
  // with the reason when that is not possible.
  bool Open(const WindowOptions& options, std::string* error);
  // Switches between the borderless window as large as the display and a
  // normal window (the size it last had, or its first size), keeping the
  // pointer where it is on the display. The client size changes: see
  // TakeClientSize.
  void SetFullScreen(bool full);
  // A page's canvas takes the size the page gives it (window pixels); the
  // window's size-changed event follows, as for a window the player resized.
  void SetClientSize(Size size);
  bool FullScreen() const { return !windowed_; }
  // How the window reaches the display ("software (the window surface)").
  std::string PresenterName() const { return presenter_ ? presenter_->Name() : std::string(); }
  // Window pixels sent to the display so far.
  uint64_t PixelsSent() const { return presenter_ ? presenter_->pixels_sent : 0; }

  // --- platform::Window ---
  Size ScreenSize() const override { return client_; }
  Point CursorPos() const override;
  void SetCursorPos(Point p) override;
  int ShowCursor(bool show) override;
  void DrawOnWindow(const Bitmap& bmp, Point at) override;
  using Window::StretchOnWindow;
  void StretchOnWindow(const Bitmap& bmp, const Rect& r, const ChangedRects& changed,
                       const Rect& kept) override;
  // The window draws from its own copy of the picture: only a picture of
  // another size is taken whole.
  bool KeepsShown(const Bitmap& bmp, const Rect&) const override {
    return has_picture_ && bmp.width() == picture_.width() && bmp.height() == picture_.height();
  }
  void DrawCornerText(const std::string& text) override;
  void SetSmoothScaling(bool on) override;
  void SetSharpScaling(bool on) override;

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
  // Draws and presents what changed: the wallpaper layer, the screen image
  // in its rectangle, the corner text still over it, then `overlay` (the
  // panels and message boxes, drawn with renderer()) when there is one.
  void Render(const Overlay* overlay = nullptr);
  // The drawing was lost (the renderer's textures, the window's surface):
  // everything is drawn again from the kept copies.
  void RecreateTextures();
  // The next frame drawn is kept as it is shown; TakeCapture hands it over
  // (empty when no frame was drawn since).
  void CaptureNextFrame() {
    if (presenter_) presenter_->capture_next = true;
  }
  std::vector<uint32_t> TakeCapture(Size& size);
  // Where the screen image was last stretched to.
  const Rect& PictureRect() const { return picture_rect_; }
  // The window's pixels as last presented (0x00RRGGBB, row by row).
  std::vector<uint32_t> ReadPixels(Size& size) { return presenter_->ReadPixels(size); }

  SDL_Window* sdl_window() const { return window_; }
  // The renderer the panels and boxes are drawn with. It may change when
  // the window changes size.
  SDL_Renderer* renderer() const { return presenter_ ? presenter_->UiRenderer() : nullptr; }
  // Told (with null) before the renderer goes and (with the new one) after
  // it came: the panels' drawing follows it.
  std::function<void(SDL_Renderer*)> on_renderer_change;
  const FrameStats& stats() const { return stats_; }
  // The system pointer's display counter (visible while 0 or more).
  int CursorCount() const { return cursor_count_; }

 private:
  bool smooth_ = false;  // linear filtering of the stretched picture
  bool sharp_ = false;   // enlarged by a whole factor, then filtered
  Bitmap enlarged_;      // the sharp scaling's first step, kept up to date
  // The scene's picture and its damage for sharp scaling: the enlarged
  // picture, brought up to date with what changed.
  void Enlarge(Damage& damage);
  // Copies what differs of bmp into the kept picture and notes where; false
  // when nothing differs. TakeRows does it within one rectangle.
  bool TakePicture(const Bitmap& bmp, const ChangedRects& changed);
  bool TakeRows(const Bitmap& bmp, const Rect& changed);
  void NoteBand(const Rect& rows);
  void LayerChanged(const Rect& r);
  void ResetPresenter();

  Font& font_;
  SDL_Window* window_ = nullptr;
  std::unique_ptr<Presenter> presenter_;
  bool windowed_ = false;
  bool sized_by_page_ = false;
  Size first_size_{1024, 768};  // a normal window's size when it had none yet
  Rect normal_;                 // where the normal window was, empty if never
  Point pointer_;  // where the window's events last saw the pointer
  Size client_;

  WindowLayer layer_;  // wallpaper tiles and corner text

  Bitmap picture_;     // the screen image last presented
  Rect picture_rect_;  // where it was stretched to
  bool has_picture_ = false;

  // The corner text stays over the picture until the next presentation
  // paints over it.
  Bitmap corner_;
  bool corner_over_picture_ = false;

  Damage damage_;  // what changed since the last frame

  int cursor_count_ = 0;
  bool dirty_ = true;
  FrameStats stats_;
};

// Puts into `picture` what the window shows over it within `area` (window
// pixels; the panels and boxes): each picture pixel takes the window pixel
// in the middle of the cells it was stretched to in `picture_rect`. Window
// pixels are `window` (0x00RRGGBB, row by row, `window_size`).
void CopyShownArea(Bitmap& picture, const std::vector<uint32_t>& window, Size window_size,
                   const Rect& picture_rect, const Rect& area);

// Where a window going back from full screen goes: where it last was, if
// that still fits the display's usable area (display pixels); otherwise its
// first size, within that area, in the middle of it.
Rect NormalWindowPlace(const Rect& last, Size first, const Rect& usable);

}  // namespace velmor::platform::sdl
