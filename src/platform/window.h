// The one window the game draws on, seen from the engine: the screen it
// covers, the system pointer and what is drawn straight onto it.
#pragma once

#include <string>

#include "core/geometry.h"
#include "graphics/bitmap.h"

namespace velmor::platform {

class Window {
 public:
  virtual ~Window() = default;

  // The size of the screen the window covers (the client area of a normal
  // window when the player asked for one).
  virtual Size ScreenSize() const = 0;
  // The system pointer in window pixels.
  virtual Point CursorPos() const = 0;
  // Moves the system pointer to window pixel p.
  virtual void SetCursorPos(Point p) = 0;
  // Raises (show) or lowers (hide) the pointer's display counter and returns
  // it; the system pointer is visible while the counter is 0 or more.
  virtual int ShowCursor(bool show) = 0;

  // Draws a whole bitmap onto the window at (x, y) (wallpaper tiles).
  virtual void DrawOnWindow(const Bitmap& bmp, Point at) = 0;
  // Stretches a whole bitmap into rectangle r of the window, nearest
  // neighbour (the presentation of the screen image). Since the last
  // presentation the bitmap changed at most within `changed` (its own
  // pixels): the window need look for changes only there. Within `kept`
  // the window goes on showing what it shows, though the bitmap differs
  // there: the drawn pointer, standing still, which the screen image holds
  // only while it is presented (given only where KeepsShown said so).
  virtual void StretchOnWindow(const Bitmap& bmp, const Rect& r, const ChangedRects& changed,
                               const Rect& kept) = 0;
  void StretchOnWindow(const Bitmap& bmp, const Rect& r, const ChangedRects& changed) {
    StretchOnWindow(bmp, r, changed, Rect{});
  }
  void StretchOnWindow(const Bitmap& bmp, const Rect& r, const Rect& changed) {
    StretchOnWindow(bmp, r, ChangedRects(changed));
  }
  void StretchOnWindow(const Bitmap& bmp, const Rect& r) { StretchOnWindow(bmp, r, bmp.bounds()); }
  // Whether presenting a bitmap of this size into r now would leave what
  // the window shows outside `changed` as it is (false when it would take
  // the whole bitmap again: a new size, something drawn over the picture).
  virtual bool KeepsShown(const Bitmap& bmp, const Rect& r) const = 0;
  // Writes Shift-JIS text at the window's top-left corner in the window's
  // font (the scenario's expression errors).
  virtual void DrawCornerText(const std::string& text) = 0;
  // Linear filtering (on) or nearest neighbour (off, the start) when the
  // screen image is stretched onto the window.
  virtual void SetSmoothScaling(bool on) = 0;
  // Sharp scaling (on) of the screen image, for a picture that fills the
  // screen: enlarged by the largest whole factor that fits (nearest
  // neighbour), then smoothly the rest of the way, so that every stroke
  // keeps one width. It goes before smooth scaling while it is on.
  virtual void SetSharpScaling(bool on) = 0;
};

// The display counter loops: hide until negative, show until 0 or more.
inline void HideSystemPointer(Window& w) {
  while (w.ShowCursor(false) >= 0) {
  }
}
inline void ShowSystemPointer(Window& w) {
  while (w.ShowCursor(true) < 0) {
  }
}

}  // namespace velmor::platform
