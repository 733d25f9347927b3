// How the window's contents reach the display. The window keeps what the
// game drew (the wallpaper layer, the last screen image, the corner text);
// a presenter puts it on the screen, costing what changed:
//
// - SurfacePresenter draws into SDL's window surface and sends only the
//   changed rectangles to the display (SDL_UpdateWindowSurfaceRects). No 3D
//   library is loaded. The panels and boxes are drawn by SDL's software
//   renderer into the same surface. This is the path of machines without a
//   graphics driver (virtual X servers, virtual machines, remote desktops),
//   where OpenGL would be a software rasteriser redrawing the whole window.
// - RendererPresenter keeps the layer and the picture in textures of an
//   accelerated renderer, uploads only their changed parts, and draws the
//   frame on the graphics card.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/geometry.h"
#include "graphics/bitmap.h"
#include "platform/sdl/window_layer.h"

struct SDL_Window;
struct SDL_Renderer;

namespace velmor::platform::sdl {

enum class RendererChoice { Auto, Software, Accelerated };

// What the window shows under the panels and boxes.
struct Scene {
  const WindowLayer* layer = nullptr;  // wallpaper tiles, corner text
  const Bitmap* picture = nullptr;  // the screen image, null before the first
  Rect picture_rect;                // where it is stretched to
  const Bitmap* corner = nullptr;   // corner text still over the picture, or null
  bool smooth = false;              // the picture stretched with linear filtering
};

// What changed since the last frame.
struct Damage {
  bool all = true;  // everything (first frame, exposed, resized)
  Rect layer;       // window pixels
  Rect picture;     // pixels of the screen image
  // The same, band by band (a typed glyph is one band; a dissolve's pass
  // one every few rows), when they hold all of `picture`'s change; a
  // surface presenter draws and sends only those.
  std::vector<Rect> picture_bands;
  bool bands_hold_all = true;
};

// The panels and boxes: drawn with the presenter's renderer over the scene.
struct Overlay {
  std::function<void()> draw;
  Rect bounds;  // window pixels they cover
};

class Presenter {
 public:
  virtual ~Presenter() = default;
  // "software (window surface)", "accelerated (opengl)", ...
  virtual std::string Name() const = 0;
  // The renderer the panels and boxes are drawn with.
  virtual SDL_Renderer* UiRenderer() const = 0;
  // The window's size changed, or its drawing was lost: the next frame is
  // drawn whole. False with the reason when drawing became impossible.
  virtual bool Reset(std::string* error) = 0;
  // Draws what changed (and the overlay, when there is one) and shows it.
  virtual void Present(const Scene& scene, const Damage& damage, const Overlay* overlay) = 0;
  // The window's pixels as last presented, 0x00RRGGBB row by row.
  virtual std::vector<uint32_t> ReadPixels(Size& size) = 0;
  // Window pixels sent to the display so far (what presenting has cost).
  uint64_t pixels_sent = 0;
  // Set: the next frame's pixels are kept in `captured` as it is shown
  // (a screenshot), then this is cleared.
  bool capture_next = false;
  std::vector<uint32_t> captured;
  Size captured_size;

 protected:
  void CaptureIfAsked() {
    if (!capture_next) return;
    capture_next = false;
    captured = ReadPixels(captured_size);
  }
};

// Makes the presenter for `choice` (Auto: the window surface unless the
// display has a graphics driver for 3D). Null with the reason when neither
// works.
std::unique_ptr<Presenter> MakePresenter(SDL_Window* window, RendererChoice choice,
                                         std::string* error);

using velmor::Intersect;
using velmor::StretchedArea;

}  // namespace velmor::platform::sdl
