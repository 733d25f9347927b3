// A picture in memory: 0x00RRGGBB pixels, rows top to bottom, and the
// palette to store it with when it is written palettised.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace velmor::media {

using Rgb = uint32_t;  // 0x00RRGGBB; black is 0, white 0xFFFFFF

constexpr Rgb MakeRgb(uint32_t r, uint32_t g, uint32_t b) {
  return ((r & 0xFF) << 16) | ((g & 0xFF) << 8) | (b & 0xFF);
}
constexpr uint32_t RedOf(Rgb c) { return (c >> 16) & 0xFF; }
constexpr uint32_t GreenOf(Rgb c) { return (c >> 8) & 0xFF; }
constexpr uint32_t BlueOf(Rgb c) { return c & 0xFF; }

struct Image {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<Rgb> pixels;  // width * height, row-major from the top row
  // The palette, in file order, for a palettised file. When it is empty a
  // palettised writer builds one from the colours in order of appearance.
  std::vector<Rgb> palette;

  Image() = default;
  Image(int32_t w, int32_t h, Rgb fill = 0)
      : width(w), height(h), pixels(static_cast<std::size_t>(w) * h, fill) {}

  bool Contains(int32_t x, int32_t y) const {
    return x >= 0 && y >= 0 && x < width && y < height;
  }
  Rgb At(int32_t x, int32_t y) const { return pixels[Index(x, y)]; }
  Rgb& At(int32_t x, int32_t y) { return pixels[Index(x, y)]; }
  // Writes one pixel; outside the picture nothing happens.
  void Set(int32_t x, int32_t y, Rgb c) {
    if (Contains(x, y)) pixels[Index(x, y)] = c & 0xFFFFFF;
  }

  friend bool operator==(const Image&, const Image&) = default;

 private:
  std::size_t Index(int32_t x, int32_t y) const {
    return static_cast<std::size_t>(y) * width + x;
  }
};

}  // namespace velmor::media
