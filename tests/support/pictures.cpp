#include "support/pictures.h"

#include "formats/bmp_writer.h"

namespace velmor::testing {

std::vector<uint8_t> BmpBytes(const Bitmap& bmp, int bits, bool top_down) {
  // The colours as they are, numbered anew for a palettised file.
  Bitmap picture = bmp;
  picture.palette.clear();
  formats::BmpOptions options;
  options.bits = bits;
  options.top_down = top_down;
  return formats::WriteBmp(picture, options);
}

Bitmap Pattern(int32_t width, int32_t height, uint32_t seed) {
  Bitmap bmp(width, height);
  uint32_t v = seed * 2654435761u;
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) {
      v = v * 1664525u + 1013904223u;
      bmp.set(x, y, (v >> 8) & kColorMask);
    }
  return bmp;
}

Bitmap Mesh(int32_t width, int32_t height) {
  Bitmap bmp(width, height, kWhite);
  for (int32_t y = 0; y < height; y += 4)
    for (int32_t x = 0; x < width; x += 4) bmp.set(x, y, kBlack);
  return bmp;
}

uint64_t Hash(const Bitmap& bmp) {
  uint64_t h = 0xcbf29ce484222325ull;  // the FNV-1a offset basis
  auto mix = [&h](uint32_t v) {
    for (int i = 0; i < 4; ++i) {
      h ^= (v >> (8 * i)) & 0xFF;
      h *= 0x100000001b3ull;  // the FNV prime
    }
  };
  mix(static_cast<uint32_t>(bmp.width()));
  mix(static_cast<uint32_t>(bmp.height()));
  for (Color c : bmp.pixels()) mix(c);
  return h;
}

}  // namespace velmor::testing
