// The game's 16-pixel text drawn from a 16-dot bitmap face (a Japanese gothic
// bold with designed strokes, as players of the game remember its text):
// the full-width characters by their JIS X 0208 code, the half-width ones by
// their JIS X 0201 code, which is their Shift-JIS byte. What the bitmaps
// lack (the CP932 extensions such as the circled numbers and the NEC and IBM
// rows), every other size, and everything while the reader asks for the
// outline face, come from the outline face. The cells are the outline
// face's: the same widths and heights, so nothing of the layout moves.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "formats/pcf.h"
#include "platform/font.h"

namespace velmor::text {

// The JIS X 0208 code (row byte * 256 + cell byte, each 0x21 to 0x7E) of a
// two-byte Shift-JIS character; 0 when the bytes are none (a lead byte past
// 0xEF, a trail byte out of range).
uint16_t SjisToJis(uint8_t lead, uint8_t trail);

// The line every front end says when the bitmaps could not be had, in the
// player's language, with why.
std::string OutlineFaceLine(std::string_view why);

class BitmapFace : public platform::Font {
 public:
  // The size the bitmaps are drawn at.
  static constexpr int32_t kCharHeight = 16;

  explicit BitmapFace(platform::Font& outline) : outline_(outline) {}

  // The bitmaps: the full-width face (encoded by JIS X 0208) and the
  // half-width one (by JIS X 0201). False, when a font is not kCharHeight
  // high, with the reason in *why; the face then draws with the outline
  // face alone.
  bool SetBitmaps(formats::PcfFont full_width, formats::PcfFont half_width, std::string* why);
  bool has_bitmaps() const { return full_.has_value(); }

  // The reader's choice: the bitmaps where they have the character (on, the
  // default) or the outline face alone.
  void UseBitmaps(bool on) override { use_bitmaps_ = on; }
  bool using_bitmaps() const { return use_bitmaps_ && has_bitmaps(); }

  int32_t DrawChar(Bitmap& dst, int32_t x, int32_t y, const uint8_t* ch, int length,
                   const platform::TextStyle& style) override;

 private:
  // The glyph the bitmaps have for the character (and its font), or null.
  const formats::PcfGlyph* GlyphOf(const uint8_t* ch, int length,
                                   const formats::PcfFont** font) const;

  platform::Font& outline_;
  std::optional<formats::PcfFont> full_, half_;
  bool use_bitmaps_ = true;
};

}  // namespace velmor::text
