// The 16-dot bitmap face: its files (PCF, in either byte and bit order, packed
// with gzip), the arithmetic from Shift-JIS to JIS, and the 16-pixel text drawn
// from it in the outline face's cells, with the outline face for the rest.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/sjis.h"
#include "core/texts.h"
#include "formats/pcf.h"
#include "platform/headless/memory_files.h"
#include "platform/shared/bitmap_font_files.h"
#include "platform/shared/os_files.h"
#include "platform/shared/png.h"
#include "platform/shared/ttf_font.h"
#include "support/built_texts.h"
#include "text/bitmap_face.h"

namespace velmor::testing {
namespace {

using ::testing::HasSubstr;
using formats::ParsePcf;
using formats::PcfFont;

// A glyph to write: its pen offset, size above and below the baseline, and rows
// of '#' and '.'.
struct GlyphSpec {
  int left, ascent, descent, advance;
  std::vector<std::string> rows;
};

// A PCF font as the X tools write one: accelerators, metrics (compressed or
// not), bitmaps with rows padded to `pad` bytes in the given byte and bit order,
// and the encoding of codes [first, first + glyphs) (byte1 `row`).
class PcfWriter {
 public:
  bool big_endian = false, msb_bits = true, compressed = true;
  int pad_shift = 2, unit_shift = 0;
  int ascent = 14, descent = 2;
  uint8_t row = 0, first = 0x41;

  std::vector<uint8_t> Write(const std::vector<GlyphSpec>& glyphs) const {
    const uint32_t format = (big_endian ? 4u : 0u) | (msb_bits ? 8u : 0u) |
                            static_cast<uint32_t>(pad_shift) | (static_cast<uint32_t>(unit_shift) << 4);
    std::vector<std::vector<uint8_t>> tables;
    tables.push_back(Accelerators(format));
    tables.push_back(Metrics(format, glyphs));
    tables.push_back(Bitmaps(format, glyphs));
    tables.push_back(Encodings(format, glyphs.size()));
    const uint32_t types[] = {1u << 1, 1u << 2, 1u << 3, 1u << 5};
    std::vector<uint8_t> out;
    Le(out, 0x70636601);
    Le(out, static_cast<uint32_t>(tables.size()));
    uint32_t offset = 8 + 16 * static_cast<uint32_t>(tables.size());
    for (std::size_t i = 0; i < tables.size(); ++i) {
      for (uint32_t v : {types[i], format, static_cast<uint32_t>(tables[i].size()), offset}) Le(out, v);
      offset += static_cast<uint32_t>(tables[i].size());
    }
    for (const auto& t : tables) out.insert(out.end(), t.begin(), t.end());
    return out;
  }

 private:
  static void Le(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
  }
  void Word(std::vector<uint8_t>& out, uint32_t v, int bytes) const {
    for (int i = 0; i < bytes; ++i)
      out.push_back(static_cast<uint8_t>(v >> (8 * (big_endian ? bytes - 1 - i : i))));
  }
  std::vector<uint8_t> Accelerators(uint32_t format) const {
    std::vector<uint8_t> t;
    Le(t, format);
    t.insert(t.end(), 8, 0);
    Word(t, static_cast<uint32_t>(ascent), 4);
    Word(t, static_cast<uint32_t>(descent), 4);
    Word(t, 0, 4);
    return t;
  }
  std::vector<uint8_t> Metrics(uint32_t format, const std::vector<GlyphSpec>& glyphs) const {
    std::vector<uint8_t> t;
    Le(t, format | (compressed ? 0x100u : 0u));
    Word(t, static_cast<uint32_t>(glyphs.size()), compressed ? 2 : 4);
    for (const GlyphSpec& g : glyphs) {
      const int right = g.left + static_cast<int>(g.rows.empty() ? 0 : g.rows[0].size());
      for (int v : {g.left, right, g.advance, g.ascent, g.descent}) {
        if (compressed) t.push_back(static_cast<uint8_t>(v + 0x80));
        else Word(t, static_cast<uint32_t>(v), 2);
      }
      if (!compressed) Word(t, 0, 2);
    }
    return t;
  }
  std::vector<uint8_t> Bitmaps(uint32_t format, const std::vector<GlyphSpec>& glyphs) const {
    const std::size_t pad = std::size_t{1} << pad_shift, unit = std::size_t{1} << unit_shift;
    std::vector<uint8_t> data;
    std::vector<uint32_t> offsets;
    for (const GlyphSpec& g : glyphs) {
      offsets.push_back(static_cast<uint32_t>(data.size()));
      for (const std::string& r : g.rows) {
        const std::size_t stride = (r.size() + pad * 8 - 1) / (pad * 8) * pad;
        std::vector<uint8_t> bytes(stride, 0);
        for (std::size_t x = 0; x < r.size(); ++x)
          if (r[x] == '#') bytes[x / 8] |= static_cast<uint8_t>(1 << (msb_bits ? 7 - x % 8 : x % 8));
        if (big_endian != msb_bits)
          for (std::size_t u = 0; u + unit <= stride; u += unit)
            std::reverse(bytes.begin() + static_cast<long>(u), bytes.begin() + static_cast<long>(u + unit));
        data.insert(data.end(), bytes.begin(), bytes.end());
      }
    }
    std::vector<uint8_t> t;
    Le(t, format);
    Word(t, static_cast<uint32_t>(glyphs.size()), 4);
    for (uint32_t o : offsets) Word(t, o, 4);
    for (int i = 0; i < 4; ++i) Word(t, static_cast<uint32_t>(i == pad_shift ? data.size() : 0), 4);
    t.insert(t.end(), data.begin(), data.end());
    return t;
  }
  std::vector<uint8_t> Encodings(uint32_t format, std::size_t count) const {
    std::vector<uint8_t> t;
    Le(t, format);
    for (uint32_t v : {uint32_t{first}, uint32_t{first} + 3u, uint32_t{row}, uint32_t{row}, 0u})
      Word(t, v, 2);
    for (std::size_t i = 0; i < 4; ++i) Word(t, i < count ? static_cast<uint32_t>(i) : 0xFFFF, 2);
    return t;
  }
};

// Two glyphs wider than a byte, so that the bytes' order shows.
const std::vector<GlyphSpec> kGlyphs = {
    {0, 2, 1, 12, {"#..........#", ".##########.", "#.#.#.#.#.#."}},
    {1, 1, 0, 4, {"##."}},
};

std::vector<std::string> Rows(const PcfFont& font, const formats::PcfGlyph& g) {
  std::vector<std::string> rows;
  for (int y = 0; y < g.height(); ++y) {
    std::string r;
    for (int x = 0; x < g.width; ++x) r += font.Inked(g, x, y) ? '#' : '.';
    rows.push_back(r);
  }
  return rows;
}

TEST(Pcf, ReadsTheGlyphsInEveryByteAndBitOrderPaddingAndMetricsForm) {
  for (bool big : {false, true})
    for (bool msb : {false, true})
      for (int pad : {0, 1, 2, 3})
        for (int unit : {0, 1, 2})
          for (bool compressed : {false, true}) {
            if ((1 << unit) > (1 << pad)) continue;  // a scan unit is never wider than the padding
            SCOPED_TRACE(::testing::Message() << big << msb << pad << unit << compressed);
            PcfWriter w;
            w.big_endian = big, w.msb_bits = msb, w.pad_shift = pad, w.unit_shift = unit;
            w.compressed = compressed;
            formats::FormatResult<PcfFont> font = ParsePcf(w.Write(kGlyphs));
            ASSERT_TRUE(font.ok()) << font.fault().Text();
            EXPECT_EQ(std::tuple(font->ascent, font->descent, font->glyphs.size()),
                      std::tuple(14, 2, 2u));
            const formats::PcfGlyph* a = font->Find(0x41);
            ASSERT_NE(a, nullptr);
            EXPECT_EQ(Rows(*font, *a), kGlyphs[0].rows);
            EXPECT_EQ(std::tuple(a->left, a->advance, a->ascent, a->descent), std::tuple(0, 12, 2, 1));
            ASSERT_NE(font->Find(0x42), nullptr);
            EXPECT_EQ(Rows(*font, *font->Find(0x42)), kGlyphs[1].rows);
            EXPECT_EQ(font->Find(0x42)->left, 1);
            // Outside the range, and a code in it without a glyph.
            for (uint16_t none : {0x40, 0x43, 0x45, 0x141}) EXPECT_EQ(font->Find(none), nullptr) << none;
          }
}

// Every cut of a file, and fields that ask for too much, are faults, never a crash or a huge
// allocation.
TEST(Pcf, ADamagedFileIsAFaultThatSaysWhat) {
  const std::vector<uint8_t> good = PcfWriter().Write(kGlyphs);
  for (std::size_t n = 0; n < good.size(); ++n) {
    formats::FormatResult<PcfFont> cut = ParsePcf(std::span(good).first(n));
    if (cut.ok()) continue;  // the end of the last table may go unread
    EXPECT_THAT(cut.fault().what, ::testing::AnyOf(HasSubstr("PCF")));
  }
  EXPECT_EQ(ParsePcf(std::span(good).first(good.size() - 30)).ok(), false);
  EXPECT_EQ(ParsePcf(std::vector<uint8_t>{'B', 'M', 0, 0}).fault().what, "not a PCF font");
  auto damaged = [&](std::size_t at, uint8_t value) {
    std::vector<uint8_t> bytes = good;
    bytes[at] = value;
    return ParsePcf(bytes);
  };
  EXPECT_THAT(damaged(4, 200).fault().what, HasSubstr("table of contents"));
  // The first table's offset far past the end.
  EXPECT_THAT(damaged(8 + 12 + 3, 0x7F).fault().what, HasSubstr("outside the file"));
  // A table missing: the metrics' type changed to one nobody reads.
  EXPECT_THAT(damaged(8 + 16, 0x80).fault().what, HasSubstr("lacks"));
  // The glyph width: a compressed metric's right bearing far to the left of its left one.
  const std::size_t metrics = 8 + 16 * 4 + 24 + 4 + 2;
  EXPECT_THAT(damaged(metrics + 1, 0x00).fault().what, HasSubstr("a glyph of"));
  // The font's name in the fault once the caller names the file.
  EXPECT_EQ(damaged(4, 200).Named("shnmk16b.pcf").fault().Text().rfind("shnmk16b.pcf: ", 0), 0u);
}

TEST(BitmapFace, ShiftJisBecomesJisByArithmetic) {
  struct Case { uint8_t lead, trail; uint16_t jis; };
  for (Case c : {Case{0x81, 0x40, 0x2121}, {0x81, 0x7E, 0x215F}, {0x81, 0x80, 0x2160},
                 {0x81, 0x9E, 0x217E}, {0x81, 0x9F, 0x2221}, {0x81, 0xFC, 0x227E},
                 {0x82, 0xA0, 0x2422},   // あ
                 {0x88, 0x9F, 0x3021},   // 亜
                 {0x92, 0xAA, 0x442C}, {0x95, 0xE9, 0x4A6B}, {0x95, 0x97, 0x4977},  // 潮暮風
                 {0x9F, 0xFC, 0x5E7E}, {0xE0, 0x40, 0x5F21}, {0xEA, 0xA4, 0x7426},
                 {0xEF, 0xFC, 0x7E7E},
                 {0x87, 0x40, 0x2D21},   // ①: row 13, which the bitmaps lack
                 {0x80, 0x40, 0}, {0xA0, 0x40, 0}, {0xF0, 0x40, 0}, {0x81, 0x3F, 0},
                 {0x81, 0x7F, 0}, {0x81, 0xFD, 0}})
    EXPECT_EQ(text::SjisToJis(c.lead, c.trail), c.jis) << std::hex << int{c.lead} << int{c.trail};
}

// Draws a cell of its own kind: filled with the colour, so its cells show where it drew.
class OutlineStandIn : public platform::Font {
 public:
  int32_t DrawChar(Bitmap& dst, int32_t x, int32_t y, const uint8_t*, int length,
                   const platform::TextStyle& style) override {
    ++drawn;
    const int32_t w = CellWidth(length, style);
    FillRect(dst, Rect::FromSize(x, y, w, style.CharHeight()), 0x123456);
    return w;
  }
  int drawn = 0;
};

// A full-width face with あ (JIS 0x2422) and a half-width one with 'A' (0x41).
struct Faces {
  Faces() {
    PcfWriter full;
    full.row = 0x24;
    full.first = 0x22;
    std::vector<std::string> rows(16, std::string(16, '.'));
    rows[0] = "################";  // the top row, and the right column
    for (std::string& r : rows) r[15] = '#';
    PcfWriter half;
    std::vector<std::string> a(16, "........");
    a[13] = "########";  // the last row above the baseline
    std::string why;
    EXPECT_TRUE(face.SetBitmaps(*ParsePcf(full.Write({{0, 14, 2, 16, rows}})),
                                *ParsePcf(half.Write({{0, 14, 2, 8, a}})), &why)) << why;
  }
  OutlineStandIn outline;
  text::BitmapFace face{outline};
};

TEST(BitmapFace, Draws16PixelTextFromTheBitmapsInTheOutlineFacesCells) {
  Faces f;
  Bitmap page(64, 20, kBlack);
  const platform::TextStyle style{-16, 0xFF0000};
  // "あA①": the bitmaps' two, then the outline face for ①.
  const std::string text = Utf8ToSjis("あ") + "A" + Utf8ToSjis("①");
  EXPECT_EQ(f.face.DrawText(page, 1, 2, text, style), 17 + 9 + 17);
  EXPECT_EQ(f.outline.drawn, 1);
  EXPECT_EQ(std::tuple(page.row(2)[1], page.row(2)[16], page.row(2)[17], page.row(3)[2]),
            std::tuple(0xFF0000u, 0xFF0000u, kWhite, kWhite)) << "あ's top row, then its cell's 17th column";
  EXPECT_EQ(std::tuple(page.row(17)[16], page.row(18)[16], page.row(2)[0], page.row(1)[1]),
            std::tuple(0xFF0000u, kBlack, kBlack, kBlack)) << "nothing outside the cell";
  EXPECT_EQ(std::tuple(page.row(15)[18], page.row(14)[18], page.row(15)[26]),
            std::tuple(0xFF0000u, kWhite, kWhite)) << "'A' on the baseline, its cell 9 wide";
  EXPECT_EQ(page.row(10)[30], 0x123456u) << "① from the outline face";
  // Another size, a control code, the reader's choice of the outline face: all the outline's.
  f.outline.drawn = 0;
  f.face.DrawText(page, 0, 0, Utf8ToSjis("あ"), {-24, kBlack});
  f.face.DrawText(page, 0, 0, "\x01", style);
  f.face.UseBitmaps(false);
  f.face.DrawText(page, 0, 0, Utf8ToSjis("あ") + "A", style);
  EXPECT_EQ(f.outline.drawn, 4);
  f.face.UseBitmaps(true);
  EXPECT_TRUE(f.face.using_bitmaps());
  // Drawn at the page's edges, the glyph is cut, never written outside.
  Bitmap small(10, 10, kBlack);
  f.face.DrawText(small, -8, -4, Utf8ToSjis("あ"), style);
  f.face.DrawText(small, 5, 5, Utf8ToSjis("あ"), style);
  EXPECT_EQ(std::tuple(small.row(2)[7], small.row(5)[7], small.row(9)[9]),
            std::tuple(0xFF0000u, 0xFF0000u, kWhite));
}

// Each inked pixel of the glyph lands where its bearing puts it, wherever
// the cell is cut by the page's edges: compared, at every place around a
// small page, with the glyph read pixel by pixel from the font.
TEST(BitmapFace, ABitmapGlyphLandsPixelForPixelWhereverThePageCutsIt) {
  PcfWriter full;
  full.row = 0x24;
  full.first = 0x22;
  // 13 columns (two bytes a row, the second part-filled) from 2 right of
  // the pen, 12 rows above the baseline and one below; its ink a pattern no
  // shift of it repeats.
  std::vector<std::string> rows(13, std::string(13, '.'));
  for (int y = 0; y < 13; ++y)
    for (int x = 0; x < 13; ++x)
      if ((x * 7 + y * 3 + x * y) % 5 < 2 || x == 12 || y == 0) rows[y][x] = '#';
  PcfWriter half;
  OutlineStandIn outline;
  text::BitmapFace face{outline};
  std::string why;
  const auto font = ParsePcf(full.Write({{2, 12, 1, 16, rows}}));
  ASSERT_TRUE(font);
  ASSERT_TRUE(face.SetBitmaps(*font, *ParsePcf(half.Write(kGlyphs)), &why)) << why;
  const formats::PcfGlyph& g = *font->Find(0x2422);
  const platform::TextStyle style{-16, 0xFF0000};
  const std::string a = Utf8ToSjis("あ");
  for (int32_t at_y = -17; at_y <= 11; ++at_y) {
    for (int32_t at_x = -18; at_x <= 13; ++at_x) {
      Bitmap page(12, 10, kBlack);
      face.DrawText(page, at_x, at_y, a, style);
      for (int32_t y = 0; y < page.height(); ++y) {
        for (int32_t x = 0; x < page.width(); ++x) {
          const int32_t cx = x - at_x, cy = y - at_y;  // in the 17 x 16 cell
          const int32_t gx = cx - 2, gy = cy - 2;      // in the glyph
          Color want = kBlack;
          if (cx >= 0 && cx < 17 && cy >= 0 && cy < 16)
            want = gx >= 0 && gx < 13 && gy >= 0 && gy < 13 && font->Inked(g, gx, gy) ? 0xFF0000u : kWhite;
          ASSERT_EQ(page.at(x, y), want) << "drawn at (" << at_x << ", " << at_y << "), pixel (" << x
                                         << ", " << y << ")";
        }
      }
    }
  }
}

TEST(BitmapFace, AFaceOfAnotherHeightIsRefused) {
  OutlineStandIn outline;
  text::BitmapFace face(outline);
  PcfWriter twelve;
  twelve.ascent = 10;
  std::string why;
  EXPECT_FALSE(face.SetBitmaps(*ParsePcf(twelve.Write(kGlyphs)), *ParsePcf(twelve.Write(kGlyphs)), &why));
  EXPECT_THAT(why, HasSubstr("12 dots high, not 16"));
  EXPECT_FALSE(face.using_bitmaps());
}

TEST(BitmapFontFiles, FoldersComeFromTheEnvironmentAndGzipIsUnpackedWithinBounds) {
  using platform::BitmapFontFolders;
  EXPECT_EQ(BitmapFontFolders(nullptr, "/home/p", nullptr),
            (std::vector<std::string>{"/home/p/.local/share/fonts/", "/home/p/.fonts/",
                                      "/usr/local/share/fonts/X11/misc/", "/usr/share/fonts/X11/misc/"}));
  EXPECT_EQ(BitmapFontFolders("/x/", nullptr, "/a:rel:/b/:"),
            (std::vector<std::string>{"/x/fonts/", "/a/fonts/X11/misc/", "/b/fonts/X11/misc/"}));
  // A gzip stream of "hello" (gzip -n), cut, changed, and bytes never packed.
  const std::vector<uint8_t> packed = {0x1f, 0x8b, 8, 0, 0, 0, 0, 0, 0, 3, 0xcb, 0x48, 0xcd, 0xc9,
                                       0xc9, 0x07, 0, 0x86, 0xa6, 0x10, 0x36, 5, 0, 0, 0};
  std::string error;
  EXPECT_EQ(platform::Gunzip(packed, &error), (std::vector<uint8_t>{'h', 'e', 'l', 'l', 'o'}));
  EXPECT_EQ(platform::Gunzip(std::span(packed).first(12), &error), std::nullopt);
  EXPECT_THAT(error, HasSubstr("damaged or cut short"));
  std::vector<uint8_t> changed = packed;
  changed[12] ^= 0xFF;
  EXPECT_EQ(platform::Gunzip(changed, &error), std::nullopt);
  EXPECT_EQ(platform::Gunzip(std::vector<uint8_t>{1, 2}, &error), (std::vector<uint8_t>{1, 2}));
}

TEST(BitmapFontFiles, MissingOrDamagedFilesSayWhichAndWhy) {
  platform::MemoryFiles files;
  std::string why;
  EXPECT_EQ(platform::LoadBitmapFonts(files, {"/f/"}, &why), std::nullopt);
  EXPECT_THAT(why, HasSubstr("xfonts-shinonome"));
  const std::vector<uint8_t> good = PcfWriter().Write(kGlyphs);
  files.Put("/f/shnmk16b.pcf.gz", good);
  files.Put("/f/shnm8x16rb.pcf.gz", std::vector<uint8_t>(good.begin(), good.begin() + 40));
  EXPECT_EQ(platform::LoadBitmapFonts(files, {"/e/", "/f/"}, &why), std::nullopt);
  EXPECT_THAT(why, HasSubstr("/f/shnm8x16rb.pcf.gz: damaged PCF font"));
  files.Put("/g/shnmk16b.pcf.gz", good);
  files.Put("/g/shnm8x16rb.pcf.gz", good);
  std::optional<platform::BitmapFonts> fonts = platform::LoadBitmapFonts(files, {"/g/", "/f/"}, &why);
  ASSERT_TRUE(fonts.has_value());
  EXPECT_NE(fonts->half_width.Find(0x41), nullptr);
}

// The line that says the outline face stands in, with the reason inside it,
// in the player's language: the reader's and the font files' reasons are
// translated as well, their values in place.
TEST(BitmapFontFiles, TheOutlineFaceLineAndItsReasonsInThePlayersLanguage) {
  ScopedTexts restore;
  platform::MemoryFiles files;
  files.Put("/f/shnmk16b.pcf.gz", std::vector<uint8_t>(40, 'x'));
  files.Put("/f/shnm8x16rb.pcf.gz", PcfWriter().Write(kGlyphs));
  OutlineStandIn outline;
  text::BitmapFace face(outline);
  PcfWriter twelve;
  twelve.ascent = 10;
  auto lines = [&] {
    std::string missing, damaged, height;
    platform::LoadBitmapFonts(files, {"/e/"}, &missing);
    platform::LoadBitmapFonts(files, {"/f/"}, &damaged);
    face.SetBitmaps(*ParsePcf(twelve.Write(kGlyphs)), *ParsePcf(twelve.Write(kGlyphs)), &height);
    return std::vector<std::string>{text::OutlineFaceLine(missing), text::OutlineFaceLine(damaged),
                                    text::OutlineFaceLine(height)};
  };
  EXPECT_EQ(lines(), (std::vector<std::string>{
                         "the 16-dot text is drawn with the outline face: no folder of fonts holds "
                         "shnmk16b.pcf.gz and shnm8x16rb.pcf.gz (Debian's xfonts-shinonome)",
                         "the 16-dot text is drawn with the outline face: /f/shnmk16b.pcf.gz: not a "
                         "PCF font",
                         "the 16-dot text is drawn with the outline face: the bitmap face's "
                         "characters are 12 dots high, not 16"}));
  std::string why;
  ASSERT_TRUE(ShowBuiltJapanese(&why)) << why;
  EXPECT_EQ(lines(), (std::vector<std::string>{
                         "16 ドットの文字はアウトラインフォントで描きます: shnmk16b.pcf.gz と "
                         "shnm8x16rb.pcf.gz のあるフォントフォルダーがありません (Debian の "
                         "xfonts-shinonome)",
                         "16 ドットの文字はアウトラインフォントで描きます: /f/shnmk16b.pcf.gz: PCF "
                         "フォントではありません",
                         "16 ドットの文字はアウトラインフォントで描きます: ビットマップフォントの文字の"
                         "高さが 12 ドットです（16 ドットではありません）"}));
}

// The system's own face, when it is installed (scripts/install-deps): 潮, 暮 and 風 are there
// with open counters, ① is not, and the half-width face has the ASCII and kana bytes.
TEST(BitmapFontFiles, TheSystemsFaceHasTheGamesCharacters) {
  platform::OsFiles files;
  std::string why;
  std::optional<platform::BitmapFonts> fonts = platform::LoadBitmapFonts(
      files, platform::BitmapFontFolders(nullptr, nullptr, nullptr), &why);
  if (!fonts) GTEST_SKIP() << why;
  for (const char* ch : {"潮", "暮", "風", "あ", "ア"}) {
    const std::string s = Utf8ToSjis(ch);
    const formats::PcfGlyph* g = fonts->full_width.Find(
        text::SjisToJis(static_cast<uint8_t>(s[0]), static_cast<uint8_t>(s[1])));
    ASSERT_NE(g, nullptr) << ch;
    EXPECT_EQ(std::tuple(g->advance, g->height()), std::tuple(16, 16)) << ch;
  }
  EXPECT_EQ(fonts->full_width.Find(0x2D21), nullptr) << "① is the outline face's";
  for (uint16_t b : {0x41, 0x7A, 0xB1}) EXPECT_NE(fonts->half_width.Find(b), nullptr) << b;
}

// The two faces side by side, as docs/text-rendering.md shows them (the picture is written to
// build/<preset>/docs/text-faces.png): the same line in the same cells, the bitmap face's own
// strokes where it has the character, the outline face's where it has not.
TEST(BitmapFontFiles, BothFacesSideBySide) {
  platform::OsFiles files;
  std::string why;
  std::optional<platform::BitmapFonts> fonts = platform::LoadBitmapFonts(
      files, platform::BitmapFontFolders(nullptr, nullptr, nullptr), &why);
  platform::TtfFont outline;
  if (!fonts || !outline.ok()) GTEST_SKIP() << why << outline.error();
  text::BitmapFace face(outline);
  ASSERT_TRUE(face.SetBitmaps(std::move(fonts->full_width), std::move(fonts->half_width), &why));
  const std::string line = Utf8ToSjis("潮風の暮れる街 ABCｱｲｳ ①Ⅰ㈱");
  const std::string lacking = Utf8ToSjis("①Ⅰ㈱");
  const platform::TextStyle style{-16, kBlack};
  Bitmap rows[2];
  int32_t widths[2];
  for (int i = 0; i < 2; ++i) {
    face.UseBitmaps(i == 0);
    rows[i] = Bitmap(400, 16, kWhite);
    widths[i] = face.DrawText(rows[i], 0, 0, line, style);
  }
  EXPECT_EQ(widths[0], widths[1]) << "the same cells";
  const int32_t lacking_at = widths[0] - 3 * 17;
  auto region = [&](int i, int32_t from, int32_t to) {
    std::vector<Color> out;
    for (int32_t y = 0; y < 16; ++y) out.insert(out.end(), rows[i].row(y) + from, rows[i].row(y) + to);
    return out;
  };
  EXPECT_NE(region(0, 0, 17), region(1, 0, 17)) << "潮 from the bitmaps";
  EXPECT_EQ(region(0, lacking_at, widths[0]), region(1, lacking_at, widths[0]))
      << "①Ⅰ㈱ from the outline face in both";
  // Three times as large, one face over the other, a grey rule between.
  constexpr int kScale = 3;
  Bitmap picture(widths[0] * kScale + 16, (16 * 2 + 4) * kScale + 16, 0xE0E0E0);
  for (int i = 0; i < 2; ++i)
    for (int32_t y = 0; y < 16 * kScale; ++y)
      for (int32_t x = 0; x < widths[0] * kScale; ++x)
        picture.row(8 + i * 20 * kScale + y)[8 + x] = rows[i].at(x / kScale, y / kScale);
  const std::filesystem::path dir = std::filesystem::path(VELMOR_BUILD_DIR) / "docs";
  std::filesystem::create_directories(dir);
  ASSERT_TRUE(platform::WritePng(picture, (dir / "text-faces.png").string(), &why)) << why;
}

}  // namespace
}  // namespace velmor::testing
