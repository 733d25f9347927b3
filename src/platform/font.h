// The text font of the game's pictures: one Shift-JIS character at a time,
// bold, opaque on a white cell.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/byte_string.h"
#include "graphics/bitmap.h"

namespace velmor::platform {

// A font height as the game gives it: negative is the character height,
// positive the cell height (the same for this face, which has no internal
// leading), 0 the default height of 16.
struct TextStyle {
  int32_t height = -16;
  Color color = kBlack;

  int32_t CharHeight() const {
    if (height == 0) return 16;
    return height < 0 ? -height : height;
  }
};

class Font {
 public:
  virtual ~Font() = default;

  // The width of the cell of a half-width (1 byte) or full-width (2 bytes)
  // character: the glyph's advance plus the one pixel that bold adds.
  static int32_t CellWidth(int length, const TextStyle& style) {
    int32_t h = style.CharHeight();
    return (length == 2 ? h : h / 2) + 1;
  }

  // Draws one character (one byte, or a lead byte and its trail byte) with
  // its cell's top-left corner at (x, y): the cell is filled white, then the
  // glyph is drawn in style.color, clipped to the cell. Returns the cell width.
  // The reader's choice of face for the 16-pixel text: a face with bitmaps
  // draws them where it has them (on), or its outline alone. A face
  // without bitmaps has nothing to choose.
  virtual void UseBitmaps(bool /*on*/) {}

  virtual int32_t DrawChar(Bitmap& dst, int32_t x, int32_t y, const uint8_t* ch, int length,
                           const TextStyle& style) = 0;

  // Draws a run of characters left to right, each in its own cell; a lone
  // lead byte at the end is not drawn. Returns the total width.
  int32_t DrawText(Bitmap& dst, int32_t x, int32_t y, std::string_view sjis,
                   const TextStyle& style) {
    int32_t start = x;
    for (size_t i = 0; i < sjis.size();) {
      const auto* ch = reinterpret_cast<const uint8_t*>(sjis.data() + i);
      int length = IsLeadByte(ch[0]) ? 2 : 1;
      if (i + length > sjis.size()) break;  // a lone lead byte at the end
      x += DrawChar(dst, x, y, ch, length, style);
      i += length;
    }
    return x - start;
  }
};

}  // namespace velmor::platform
