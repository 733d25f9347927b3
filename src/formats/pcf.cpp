#include "formats/pcf.h"

#include <algorithm>
#include <optional>
#include <string>

#include "core/texts.h"
#include "formats/byte_reader.h"

namespace velmor::formats {

namespace {

// The tables of the file's table of contents.
constexpr uint32_t kAccelerators = 1u << 1;
constexpr uint32_t kMetrics = 1u << 2;
constexpr uint32_t kBitmaps = 1u << 3;
constexpr uint32_t kEncodings = 1u << 5;
constexpr uint32_t kBdfAccelerators = 1u << 8;

// A table's format word.
constexpr uint32_t kCompressedMetrics = 0x100;
constexpr uint32_t kFormatMask = 0xFFFFFF00;
bool BigEndian(uint32_t format) { return (format & 4) != 0; }
bool MostSignificantBitFirst(uint32_t format) { return (format & 8) != 0; }
uint32_t RowPad(uint32_t format) { return 1u << (format & 3); }
uint32_t ScanUnit(uint32_t format) { return 1u << ((format >> 4) & 3); }

struct Entry {
  uint32_t type = 0, format = 0, size = 0, offset = 0;
};

// A table's words in the table's own byte order.
class Table {
 public:
  Table(std::span<const uint8_t> bytes, const Entry& e)
      : in_(bytes.subspan(e.offset, e.size)), format_(in_.Le32()) {}
  uint32_t format() const { return format_; }
  bool ok() const { return in_.ok(); }
  uint32_t U32() { return BigEndian(format_) ? in_.Be32() : in_.Le32(); }
  int16_t S16() { return static_cast<int16_t>(BigEndian(format_) ? in_.Be16() : in_.Le16()); }
  uint16_t U16() { return static_cast<uint16_t>(S16()); }
  uint8_t U8() { return in_.U8(); }
  void Skip(std::size_t n) { in_.Skip(n); }
  std::size_t remaining() const { return in_.remaining(); }
  std::span<const uint8_t> Bytes(std::size_t n) { return in_.Bytes(n); }

 private:
  ByteReader in_;
  uint32_t format_;
};

std::optional<Entry> Find(const std::vector<Entry>& toc, uint32_t type) {
  for (const Entry& e : toc)
    if (e.type == type) return e;
  return std::nullopt;
}

FormatResult<std::vector<PcfGlyph>> ReadMetrics(std::span<const uint8_t> bytes, const Entry& e) {
  Table t(bytes, e);
  const bool compressed = (t.format() & kFormatMask) == kCompressedMetrics;
  const uint32_t count = compressed ? t.U16() : t.U32();
  if (!t.ok() || count == 0 || count > kMaxPcfGlyphs)
    return Fault(Fill(Tr("damaged PCF font: %s glyph metrics"), {std::to_string(count)}));
  if (t.remaining() < count * (compressed ? 5u : 12u))
    return Fault(Tr("damaged PCF font: the metrics table is cut short"));
  std::vector<PcfGlyph> glyphs(count);
  for (PcfGlyph& g : glyphs) {
    int16_t left, right;
    if (compressed) {
      auto next = [&t] { return static_cast<int16_t>(t.U8() - 0x80); };
      left = next(), right = next(), g.advance = next(), g.ascent = next(), g.descent = next();
    } else {
      left = t.S16(), right = t.S16(), g.advance = t.S16(), g.ascent = t.S16(),
      g.descent = t.S16();
      t.Skip(2);  // attributes
    }
    g.left = left;
    g.width = static_cast<int16_t>(right - left);
    if (g.width < 0 || g.width > kMaxPcfGlyphSize || g.height() < 0 ||
        g.height() > kMaxPcfGlyphSize)
      return Fault(Fill(Tr("damaged PCF font: a glyph of %s by %s pixels"),
                        {std::to_string(g.width), std::to_string(g.height())}));
  }
  return glyphs;
}

// The bits of every glyph from the bitmaps table, in one order: bytes as
// they stand left to right, the leftmost pixel in the highest bit.
std::optional<FormatFault> ReadBitmaps(std::span<const uint8_t> bytes, const Entry& e,
                                       PcfFont& font) {
  Table t(bytes, e);
  std::vector<PcfGlyph>& glyphs = font.glyphs;
  const uint32_t count = t.U32();
  if (!t.ok() || count != glyphs.size())
    return Fault(Fill(Tr("damaged PCF font: %s bitmaps for %s glyphs"),
                      {std::to_string(count), std::to_string(glyphs.size())}));
  if (t.remaining() < count * 4u + 16u) return Fault(Tr("damaged PCF font: the bitmaps are cut short"));
  for (PcfGlyph& g : glyphs) g.offset = t.U32();
  uint32_t sizes[4];
  for (uint32_t& s : sizes) s = t.U32();
  const uint32_t format = t.format();
  const std::span<const uint8_t> data = t.Bytes(sizes[format & 3]);
  if (!t.ok()) return Fault(Tr("damaged PCF font: the bitmaps are cut short"));
  const uint32_t pad = RowPad(format), unit = ScanUnit(format);
  for (std::size_t i = 0; i < glyphs.size(); ++i) {
    PcfGlyph& g = glyphs[i];
    g.stride = (static_cast<uint32_t>(g.width) + pad * 8 - 1) / (pad * 8) * pad;
    if (uint64_t{g.offset} + uint64_t{g.stride} * static_cast<uint32_t>(g.height()) > data.size())
      return Fault(Fill(Tr("damaged PCF font: glyph %s's bitmap lies outside the table"),
                        {std::to_string(i)}));
  }
  font.bits.assign(data.begin(), data.end());
  // Bytes whose order differs from the bits' are swapped within each unit,
  // over the whole table as the X server does.
  if (BigEndian(format) != MostSignificantBitFirst(format) && unit > 1)
    for (std::size_t at = 0; at + unit <= font.bits.size(); at += unit)
      std::reverse(font.bits.begin() + static_cast<std::ptrdiff_t>(at),
                   font.bits.begin() + static_cast<std::ptrdiff_t>(at + unit));
  if (!MostSignificantBitFirst(format))
    for (uint8_t& b : font.bits) {
      uint8_t r = 0;
      for (int bit = 0; bit < 8; ++bit)
        r = static_cast<uint8_t>(r | (((b >> bit) & 1) << (7 - bit)));
      b = r;
    }
  return std::nullopt;
}

std::optional<FormatFault> ReadEncodings(std::span<const uint8_t> bytes, const Entry& e,
                                         PcfFont& font) {
  Table t(bytes, e);
  font.min_byte2 = t.U16(), font.max_byte2 = t.U16();
  font.min_byte1 = t.U16(), font.max_byte1 = t.U16();
  t.U16();  // the default character
  if (!t.ok() || font.min_byte2 > font.max_byte2 || font.min_byte1 > font.max_byte1 ||
      font.max_byte2 > 255 || font.max_byte1 > 255)
    return Fault(Tr("damaged PCF font: the encoding's range makes no sense"));
  const std::size_t cells = std::size_t{font.max_byte2 - font.min_byte2 + 1u} *
                            (font.max_byte1 - font.min_byte1 + 1u);
  if (t.remaining() < cells * 2) return Fault(Tr("damaged PCF font: the encoding is cut short"));
  font.index.resize(cells);
  for (uint16_t& i : font.index) {
    i = t.U16();
    if (i != PcfFont::kNoGlyph && i >= font.glyphs.size()) i = PcfFont::kNoGlyph;
  }
  return std::nullopt;
}

}  // namespace

const PcfGlyph* PcfFont::Find(uint16_t code) const {
  const uint16_t b1 = code >> 8, b2 = code & 0xFF;
  if (b1 < min_byte1 || b1 > max_byte1 || b2 < min_byte2 || b2 > max_byte2) return nullptr;
  const std::size_t at = static_cast<std::size_t>(b1 - min_byte1) * (max_byte2 - min_byte2 + 1u) +
                         static_cast<std::size_t>(b2 - min_byte2);
  if (at >= index.size() || index[at] == kNoGlyph) return nullptr;
  return &glyphs[index[at]];
}

FormatResult<PcfFont> ParsePcf(std::span<const uint8_t> bytes) {
  ByteReader in(bytes);
  if (in.Le32() != 0x70636601) return Fault(Tr("not a PCF font"));
  const uint32_t tables = in.Le32();
  if (!in.ok() || tables > 64 || in.remaining() < tables * 16u)
    return Fault(Tr("damaged PCF font: its table of contents is cut short"));
  std::vector<Entry> toc(tables);
  for (Entry& e : toc) {
    e = {in.Le32(), in.Le32(), in.Le32(), in.Le32()};
    // The writer rounds the last table's size up past the file's end: a
    // table is what of it the file holds.
    if (e.offset > bytes.size()) return Fault(Tr("damaged PCF font: a table lies outside the file"));
    e.size = static_cast<uint32_t>(std::min<uint64_t>(e.size, bytes.size() - e.offset));
  }
  std::optional<Entry> metrics = Find(toc, kMetrics), bitmaps = Find(toc, kBitmaps),
                       encodings = Find(toc, kEncodings);
  std::optional<Entry> accelerators = Find(toc, kBdfAccelerators);
  if (!accelerators) accelerators = Find(toc, kAccelerators);
  if (!metrics || !bitmaps || !encodings || !accelerators)
    return Fault(Tr("damaged PCF font: it lacks its metrics, bitmaps, encoding or accelerators"));
  PcfFont font;
  Table acc(bytes, *accelerators);
  acc.Skip(8);  // the flags
  font.ascent = static_cast<int32_t>(acc.U32());
  font.descent = static_cast<int32_t>(acc.U32());
  if (!acc.ok() || font.ascent < -kMaxPcfGlyphSize || font.ascent > kMaxPcfGlyphSize ||
      font.descent < -kMaxPcfGlyphSize || font.descent > kMaxPcfGlyphSize)
    return Fault(Tr("damaged PCF font: its ascent and descent make no sense"));
  FormatResult<std::vector<PcfGlyph>> glyphs = ReadMetrics(bytes, *metrics);
  if (!glyphs) return glyphs.fault();
  font.glyphs = std::move(*glyphs);
  if (std::optional<FormatFault> f = ReadBitmaps(bytes, *bitmaps, font)) return *f;
  if (std::optional<FormatFault> f = ReadEncodings(bytes, *encodings, font)) return *f;
  return font;
}

}  // namespace velmor::formats
