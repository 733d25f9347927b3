// Points, sizes and rectangles in pixels (right and bottom edges exclusive).
#pragma once

#include <cstdint>

namespace velmor {

struct Point {
  int32_t x = 0;
  int32_t y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
  int32_t width = 0;
  int32_t height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;

  static constexpr Rect FromSize(int32_t x, int32_t y, int32_t w, int32_t h) {
    return {x, y, x + w, y + h};
  }
  constexpr int32_t width() const { return right - left; }
  constexpr int32_t height() const { return bottom - top; }
  constexpr bool empty() const { return right <= left || bottom <= top; }
  constexpr bool contains(int32_t x, int32_t y) const {
    return x >= left && x < right && y >= top && y < bottom;
  }
  friend bool operator==(const Rect&, const Rect&) = default;
};

// The smallest rectangle holding both (an empty one adds nothing).
constexpr Rect Union(const Rect& a, const Rect& b) {
  if (a.empty()) return b;
  if (b.empty()) return a;
  return {a.left < b.left ? a.left : b.left, a.top < b.top ? a.top : b.top,
          a.right > b.right ? a.right : b.right, a.bottom > b.bottom ? a.bottom : b.bottom};
}

}  // namespace velmor
