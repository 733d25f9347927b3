// Off-screen bitmaps and the raster operations the game draws with.
//
// Pixels are 32-bit 0x00RRGGBB; black is 0 and white 0x00FFFFFF, so the
// raster operations work bitwise exactly as on the original's 8-bit and
// true-colour screens. A picture's palette is kept as metadata.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "core/geometry.h"

namespace velmor {

using Color = uint32_t;  // 0x00RRGGBB

constexpr Color Rgb(uint32_t r, uint32_t g, uint32_t b) { return (r << 16) | (g << 8) | b; }
constexpr Color kBlack = 0x000000;
constexpr Color kWhite = 0xFFFFFF;
constexpr Color kColorMask = 0xFFFFFF;

enum class Rop : uint32_t {
  SRCCOPY = 0xCC0020,     // dst = src
  SRCAND = 0x8800C6,      // dst = dst AND src
  SRCPAINT = 0xEE0086,    // dst = dst OR src
  MERGEPAINT = 0xBB0226,  // dst = dst OR (NOT src)
  NOTSRCCOPY = 0x330008,  // dst = NOT src
};

class Bitmap {
 public:
  Bitmap() = default;
  Bitmap(int32_t width, int32_t height, Color fill = kBlack);
  Bitmap(const Bitmap&) = default;
  Bitmap& operator=(const Bitmap&) = default;
  // A bitmap moved from is empty.
  Bitmap(Bitmap&& other) noexcept { *this = std::move(other); }
  Bitmap& operator=(Bitmap&& other) noexcept;

  int32_t width() const { return width_; }
  int32_t height() const { return height_; }
  Rect bounds() const { return {0, 0, width_, height_}; }
  bool empty() const { return width_ == 0 || height_ == 0; }

  // A copied bitmap shares its pixels with the original until either is
  // written: the non-const row() gives this bitmap pixels of its own first.
  // (A pointer from it stays valid until the bitmap is next copied over.)
  Color* row(int32_t y) {
    if (pixels_.use_count() > 1) Unshare();
    return pixels_->data() + static_cast<std::size_t>(y) * width_;
  }
  const Color* row(int32_t y) const {
    return pixels_->data() + static_cast<std::size_t>(y) * width_;
  }
  Color at(int32_t x, int32_t y) const { return row(y)[x]; }
  void set(int32_t x, int32_t y, Color c) { row(y)[x] = c; }
  const std::vector<Color>& pixels() const { return *pixels_; }

  // Keep up to `buffers` pixel buffers of large bitmaps let go, and give
  // them to the next bitmaps of their size (0, the default: none kept). A
  // program that makes the same screen-sized pictures again and again (the
  // fuzz targets' game, reset for every input) then reuses memory it has
  // written before instead of having the system map and clear fresh pages
  // for every one.
  static void KeepFreedPixels(std::size_t buffers);

  // The palette of a palettised picture file (empty for true-colour files).
  std::vector<Color> palette;

  friend bool operator==(const Bitmap& a, const Bitmap& b) {
    return a.width_ == b.width_ && a.height_ == b.height_ &&
           (a.pixels_ == b.pixels_ || a.pixels() == b.pixels());
  }

 private:
  void Unshare();
  static std::shared_ptr<std::vector<Color>> NoPixels();
  // n pixels of `fill`; a copy of `from`: a kept buffer when one fits.
  static std::shared_ptr<std::vector<Color>> NewPixels(std::size_t n, Color fill);
  static std::shared_ptr<std::vector<Color>> CopyPixels(const std::vector<Color>& from);

  int32_t width_ = 0;
  int32_t height_ = 0;
  std::shared_ptr<std::vector<Color>> pixels_ = NoPixels();
};

// FNV-1a of a bitmap's size and pixels: the frame digest two front ends
// compare tick for tick.
uint64_t PictureDigest(const Bitmap& bmp);

// Copies n pixels between rows that do not overlap. A long row goes by the
// compiler's own vector moves: for copies past a couple of kilobytes the C
// library may use the processor's string copy, which on some processors
// runs several times slower when the two rows lie at certain distances
// apart (a 640-pixel row between the screen image and the window's copy of
// it: five to ten times, on the AMD virtual machines these figures come
// from).
inline void CopyPixels(Color* dst, const Color* src, std::size_t n) {
#if defined(__x86_64__)
  constexpr std::size_t kBlock = 16;  // 64 bytes a step
  std::size_t i = 0;
  if (n >= 256) {
    for (; i + kBlock <= n; i += kBlock) {
      std::memcpy(dst + i, src + i, kBlock * sizeof(Color));
      // An empty statement the compiler must keep: the loop is not turned
      // back into one call of the library's copy.
      __asm__ volatile("" : : "r"(dst + i) : "memory");
    }
  }
  std::memcpy(dst + i, src + i, (n - i) * sizeof(Color));
#else
  std::memcpy(dst, src, n * sizeof(Color));
#endif
}

// Copies the w x h rectangle of src at (sx, sy) to dst at (dx, dy), combining
// with rop. Pixels outside either bitmap are left alone. src and dst may be
// the same bitmap.
void BitBlt(Bitmap& dst, int32_t dx, int32_t dy, int32_t w, int32_t h, const Bitmap& src,
            int32_t sx, int32_t sy, Rop rop);

// Copies rectangle r of src onto the same rectangle of dst.
inline void CopyRect(Bitmap& dst, const Rect& r, const Bitmap& src, Rop rop = Rop::SRCCOPY) {
  BitBlt(dst, r.left, r.top, r.width(), r.height(), src, r.left, r.top, rop);
}

// Draws all of src with its top-left corner at (x, y).
inline void DrawBitmap(Bitmap& dst, int32_t x, int32_t y, const Bitmap& src,
                       Rop rop = Rop::SRCCOPY) {
  BitBlt(dst, x, y, src.width(), src.height(), src, 0, 0, rop);
}

// Fills r (clipped to the bitmap) with one colour.
void FillRect(Bitmap& dst, const Rect& r, Color color);

// The colour at (x, y), or nothing for a point outside the bitmap.
std::optional<Color> GetPixel(const Bitmap& bmp, int32_t x, int32_t y);

// Pixels in the bitmaps' format that someone else owns (a window's
// surface): `pitch` counts pixels from one row to the next.
struct PixelView {
  Color* pixels = nullptr;
  int32_t pitch = 0;
  int32_t width = 0;
  int32_t height = 0;
  Color* row(int32_t y) const { return pixels + static_cast<std::ptrdiff_t>(y) * pitch; }
};

// Stretches all of src into rectangle r of dst, nearest neighbour: rows and
// columns are dropped or repeated, never blended. Parts of r outside dst are
// cut off.
void StretchBlt(Bitmap& dst, const Rect& r, const Bitmap& src);
// The same into pixels of another owner, drawing only the part of r inside
// `clip`: every pixel drawn is the one the whole stretch gives there.
void StretchBlt(const PixelView& dst, const Rect& r, const Bitmap& src, const Rect& clip);
// The part of `rect` that shows pixels `src` of a picture of `picture_size`
// stretched into it (nearest neighbour), exactly: the pixels of `rect` that
// sample them and no others.
Rect StretchedArea(const Rect& src, Size picture_size, const Rect& rect);
// The same with linear filtering: each destination pixel blends the four
// source pixels around the point it samples (the edges repeat). At the
// source's own size it is a plain copy.
void StretchBltSmooth(const PixelView& dst, const Rect& r, const Bitmap& src, const Rect& clip);

// Sharp scaling, in two steps so that every stroke stays as even as the
// size allows: the picture enlarged by a whole factor (each pixel k by k,
// nearest neighbour), then that stretched smoothly the rest of the way.
// The factor: the largest whole one that fits `rect`, at least 1.
int32_t SharpFactor(Size picture_size, const Rect& rect);
// Pixels `changed` of src enlarged k times into `enlarged` (made src's size
// times k, and then filled whole, when it is not that size).
void EnlargeWhole(const Bitmap& src, int32_t k, Bitmap& enlarged, const Rect& changed);

}  // namespace velmor
