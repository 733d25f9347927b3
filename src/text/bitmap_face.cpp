#include "text/bitmap_face.h"

#include <algorithm>
#include <bit>
#include <string>

#include "core/texts.h"

namespace velmor::text {

std::string OutlineFaceLine(std::string_view why) {
  return Fill(Tr("the 16-dot text is drawn with the outline face: %s"), {why});
}

uint16_t SjisToJis(uint8_t lead, uint8_t trail) {
  if (!((lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xEF))) return 0;
  if (trail < 0x40 || trail > 0xFC || trail == 0x7F) return 0;
  // Each lead byte holds two JIS rows: trail bytes below 0x9F the odd row
  // (0x7F left out), the rest the even one.
  const bool odd = trail < 0x9F;
  const int row = ((lead - (lead <= 0x9F ? 0x70 : 0xB0)) << 1) - (odd ? 1 : 0);
  const int cell = odd ? trail - (trail > 0x7F ? 0x20 : 0x1F) : trail - 0x7E;
  return static_cast<uint16_t>(row << 8 | cell);
}

bool BitmapFace::SetBitmaps(formats::PcfFont full_width, formats::PcfFont half_width,
                            std::string* why) {
  full_.reset();
  half_.reset();
  for (const formats::PcfFont* f : {&full_width, &half_width}) {
    if (f->ascent + f->descent != kCharHeight) {
      if (why)
        *why = Fill(Tr("the bitmap face's characters are %s dots high, not %s"),
                    {std::to_string(f->ascent + f->descent), std::to_string(kCharHeight)});
      return false;
    }
  }
  full_ = std::move(full_width);
  half_ = std::move(half_width);
  return true;
}

const formats::PcfGlyph* BitmapFace::GlyphOf(const uint8_t* ch, int length,
                                             const formats::PcfFont** font) const {
  if (length == 2) {
    const uint16_t jis = SjisToJis(ch[0], ch[1]);
    *font = &*full_;
    return jis == 0 ? nullptr : full_->Find(jis);
  }
  // Control codes stay empty cells, as in the outline face; the bytes
  // Shift-JIS leaves undefined are the outline face's to decide.
  const uint8_t b = ch[0];
  if (b < 0x20 || b == 0x7F || (b >= 0x80 && b <= 0xA0) || b >= 0xE0) return nullptr;
  *font = &*half_;
  return half_->Find(b);
}

int32_t BitmapFace::DrawChar(Bitmap& dst, int32_t x, int32_t y, const uint8_t* ch, int length,
                             const platform::TextStyle& style) {
  const formats::PcfFont* font = nullptr;
  const formats::PcfGlyph* g = using_bitmaps() && style.CharHeight() == kCharHeight
                                   ? GlyphOf(ch, length, &font)
                                   : nullptr;
  if (g == nullptr) return outline_.DrawChar(dst, x, y, ch, length, style);
  const int32_t cell_width = CellWidth(length, style);
  const Rect cell = Intersect(Rect::FromSize(x, y, cell_width, kCharHeight), dst.bounds());
  FillRect(dst, cell, kWhite);
  // The glyph's rows from the font's top, its columns from the pen; ink
  // outside the cell is cut off. Only inked pixels cost anything: a row is
  // read a byte (eight pixels) at a time and empty bytes are passed over.
  const int32_t top = y + font->ascent - g->ascent, left = x + g->left;
  const int32_t first_row = std::max(0, cell.top - top);
  const int32_t end_row = std::min<int32_t>(g->height(), cell.bottom - top);
  const int32_t first_col = std::max(0, cell.left - left);
  const int32_t end_col = std::min<int32_t>(g->width, cell.right - left);
  if (first_col >= end_col) return cell_width;
  for (int32_t gy = first_row; gy < end_row; ++gy) {
    const uint8_t* bits = font->bits.data() + g->offset + static_cast<std::size_t>(gy) * g->stride;
    Color* row = dst.row(top + gy);
    for (int32_t byte = first_col / 8; byte <= (end_col - 1) / 8; ++byte) {
      // The byte's pixels as the high bits of a word, those outside the
      // cell cleared.
      uint32_t ink = static_cast<uint32_t>(bits[byte]) << 24;
      const int32_t x0 = byte * 8;
      if (x0 < first_col) ink &= 0xFFFFFFFFu >> (first_col - x0);
      if (x0 + 8 > end_col) ink &= ~(0xFFFFFFFFu >> (end_col - x0));
      for (; ink != 0; ink &= ink - 1) {
        // The rightmost inked pixel first: bit 31 - n is column x0 + n.
        row[left + x0 + 31 - std::countr_zero(ink)] = style.color;
      }
    }
  }
  return cell_width;
}

}  // namespace velmor::text
