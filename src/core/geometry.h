// Points, sizes and rectangles in pixels (right and bottom edges exclusive).
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>

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

// The rectangle both hold (empty when they do not meet).
constexpr Rect Intersect(const Rect& a, const Rect& b) {
  const Rect r{a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top,
               a.right < b.right ? a.right : b.right, a.bottom < b.bottom ? a.bottom : b.bottom};
  return r.empty() ? Rect{} : r;
}

// Rectangles that together hold what changed. Changes far from each other
// (a typed glyph, the pointer across the picture, the rows a dissolve's pass
// changed, one in four) stay apart, so that looking for them scans their
// own pixels, not everything between them; changes side by side (the rows
// of one glyph) become one rectangle. Past kMost they are merged; kMost
// holds the rows of a dissolve's two passes, as many as a tick makes at
// the usual speed.
class ChangedRects {
 public:
  static constexpr int kMost = 256;
  static constexpr int kRecent = 8;

  ChangedRects() = default;
  explicit ChangedRects(const Rect& r) { Add(r); }

  void Add(const Rect& r) {
    if (r.empty()) return;
    // Into the rectangle it widens least, unless that would take in more
    // unchanged pixels than the two hold (or there is no room for another).
    // Changes come in order (rows, cells of a line): only the last few added
    // are looked at, also when there is no room left (looking at all of them
    // for every row of a dissolve's pass cost ten times comparing the rows
    // a merge takes in). A row right under the last rectangle (the next
    // row of a glyph) joins it at once when that takes in no more than the
    // two hold.
    if (count_ > 0) {
      Rect& last = rects_[count_ - 1];
      if (last.bottom == r.top && Area(Union(last, r)) <= 2 * (Area(last) + Area(r))) {
        last = Union(last, r);
        return;
      }
    }
    int best = -1;
    int64_t best_waste = 0;
    for (int i = std::max(0, count_ - kRecent); i < count_; ++i) {
      const int64_t waste = Area(Union(rects_[i], r)) - Area(rects_[i]) - Area(r);
      if (best < 0 || waste < best_waste) best = i, best_waste = waste;
    }
    if (best >= 0 && (best_waste <= Area(rects_[best]) + Area(r) || count_ == kMost)) {
      rects_[best] = Union(rects_[best], r);
    } else {
      rects_[count_++] = r;
    }
  }
  void Clear() { count_ = 0; }
  // What r covers is taken out where what remains of a rectangle is a
  // rectangle again (r covering it whole, or a whole side of it); a
  // rectangle r only cuts into stays as it is, still holding the change.
  void Remove(const Rect& r) {
    int kept = 0;
    for (int i = 0; i < count_; ++i) {
      Rect t = rects_[i];
      const bool across = r.left <= t.left && r.right >= t.right;
      const bool down = r.top <= t.top && r.bottom >= t.bottom;
      if (across && r.top <= t.top && r.bottom > t.top) t.top = r.bottom;
      else if (across && r.bottom >= t.bottom && r.top < t.bottom) t.bottom = r.top;
      else if (down && r.left <= t.left && r.right > t.left) t.left = r.right;
      else if (down && r.right >= t.right && r.left < t.right) t.right = r.left;
      if (!t.empty()) rects_[kept++] = t;
    }
    count_ = kept;
  }
  std::span<const Rect> rects() const { return {rects_.data(), static_cast<std::size_t>(count_)}; }
  bool contains(int32_t x, int32_t y) const {
    for (const Rect& r : rects())
      if (r.contains(x, y)) return true;
    return false;
  }
  bool Touches(const Rect& area) const {
    for (const Rect& r : rects())
      if (!Intersect(r, area).empty()) return true;
    return false;
  }

 private:
  static int64_t Area(const Rect& r) { return int64_t{r.width()} * r.height(); }

  std::array<Rect, kMost> rects_{};
  int count_ = 0;
};

}  // namespace velmor
