// X11 bitmap fonts in the Portable Compiled Format (the files fonts such as
// the 16-dot Japanese gothic come in, once unpacked from gzip): the glyphs'
// ink, their metrics and the encoding's table from character codes to
// glyphs. Only what a text drawer needs is read; properties, names and
// widths are left alone. The glyphs' bits are kept as the file has them
// (brought into one bit and byte order), so reading a face costs little
// more than copying it.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "formats/result.h"

namespace velmor::formats {

struct PcfGlyph {
  int16_t left = 0;     // from the pen to the first column of ink
  int16_t advance = 0;  // the pen moves this far
  int16_t ascent = 0;   // rows above the baseline
  int16_t descent = 0;  // rows below it
  int16_t width = 0;    // columns of ink (right bearing less left)
  // Where its rows begin in the font's bits, and the bytes from one row to
  // the next.
  uint32_t offset = 0;
  uint32_t stride = 0;

  int16_t height() const { return static_cast<int16_t>(ascent + descent); }
};

struct PcfFont {
  int32_t ascent = 0;   // the font's, above the baseline
  int32_t descent = 0;  // below it
  // The encoding's range: codes are byte1 * 256 + byte2 (byte1 0 for a
  // single-byte font).
  uint16_t min_byte1 = 0, max_byte1 = 0, min_byte2 = 0, max_byte2 = 0;
  std::vector<PcfGlyph> glyphs;
  // Every glyph's rows, the leftmost pixel in each byte's highest bit.
  std::vector<uint8_t> bits;
  // For each code in the range, its glyph's index; kNoGlyph for none.
  std::vector<uint16_t> index;
  static constexpr uint16_t kNoGlyph = 0xFFFF;

  // The glyph of `code` (byte1 * 256 + byte2), or null when the font has
  // none.
  const PcfGlyph* Find(uint16_t code) const;
  // Whether pixel (x, y) of one of its glyphs is inked (0 <= x < width,
  // 0 <= y < height).
  bool Inked(const PcfGlyph& g, int x, int y) const {
    return (bits[g.offset + static_cast<uint32_t>(y) * g.stride + static_cast<uint32_t>(x) / 8] >>
            (7 - x % 8)) & 1;
  }
};

// The most glyphs and the largest glyph a font may have: far beyond any
// text font, and small enough that a damaged file cannot ask for much.
constexpr std::size_t kMaxPcfGlyphs = 65535;
constexpr int kMaxPcfGlyphSize = 256;

// The font in `bytes`, or what is wrong with them.
FormatResult<PcfFont> ParsePcf(std::span<const uint8_t> bytes);

}  // namespace velmor::formats
