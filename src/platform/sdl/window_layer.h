// What the game draws straight onto its window beside the picture: the
// wallpaper tiles and the corner text. It is kept as the pictures drawn and
// where, not as a window-sized bitmap: a wallpaper is one small tile drawn
// hundreds of times, and a bitmap of a large screen would cost megabytes.
#pragma once

#include <memory>
#include <vector>

#include "core/geometry.h"
#include "graphics/bitmap.h"

namespace velmor::platform::sdl {

class WindowLayer {
 public:
  // An empty (black) layer of the window's size.
  void Resize(Size size);
  Size size() const { return size_; }
  Rect bounds() const { return {0, 0, size_.width, size_.height}; }

  // Draws all of bmp with its top-left corner at `at`, over what is there.
  void Draw(const Bitmap& bmp, Point at);
  // The layer's pixels of `region` into dst, whose pixel (0, 0) is layer
  // pixel `origin`.
  void Compose(const PixelView& dst, Point origin, const Rect& region) const;

  // How many pictures it keeps, and how many distinct ones (for tests).
  std::size_t items() const { return items_.size(); }
  std::size_t pictures() const;

 private:
  struct Item {
    Rect rect;
    std::shared_ptr<const Bitmap> picture;
  };
  Size size_;
  std::vector<Item> items_;  // in the order drawn: later ones over earlier
};

}  // namespace velmor::platform::sdl
