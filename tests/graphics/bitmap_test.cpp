// Bitmaps, raster operations, stretching and the BMP decoder's run-length
// and bit-field pictures (the formats suite has the plain depths and damage;
// the smooth stretch is checked through the window in the sdl suite).
#include <gtest/gtest.h>

#include <vector>

#include "graphics/bitmap.h"
#include "formats/bmp.h"
#include "support/pictures.h"

namespace velmor::testing {
namespace {

TEST(RasterOps, EachOperationIsBitwise) {
  for (auto [rop, expected] : {std::pair{Rop::SRCCOPY, 0x00FF55u}, {Rop::SRCAND, 0x000F11u},
                               {Rop::SRCPAINT, 0x0FFF77u}, {Rop::MERGEPAINT, 0xFF0FBBu},
                               {Rop::NOTSRCCOPY, 0xFF00AAu}}) {
    Bitmap d(2, 1, 0x0F0F33);
    BitBlt(d, 0, 0, 2, 1, Bitmap(2, 1, 0x00FF55), 0, 0, rop);
    EXPECT_EQ(d, Bitmap(2, 1, expected)) << std::hex << static_cast<uint32_t>(rop);
  }
}

// Clipped to both bitmaps; within one bitmap each pixel is read before it is
// overwritten; a changed copy of a bitmap never changes the other.
TEST(RasterOps, ClippedOverlappingAndSharedCopies) {
  const Bitmap src = Pattern(4, 4);
  Bitmap dst(5, 5, kBlack);
  BitBlt(dst, 3, -1, 4, 4, src, 0, 0, Rop::SRCCOPY);  // (3..4, 0..2) gets (0..1, 1..3)
  EXPECT_EQ(std::vector({dst.at(3, 0), dst.at(4, 2), dst.at(2, 0), dst.at(3, 3)}),
            std::vector({src.at(0, 1), src.at(1, 3), kBlack, kBlack}));
  Bitmap dst2(4, 4, kWhite);
  BitBlt(dst2, 0, 0, 4, 4, src, 2, 2, Rop::SRCCOPY);  // the source partly outside
  EXPECT_EQ(std::pair(dst2.at(1, 1), dst2.at(2, 2)), std::pair(src.at(3, 3), kWhite));
  BitBlt(dst2, 10, 10, 4, 4, src, 0, 0, Rop::SRCCOPY);  // entirely outside
  BitBlt(dst2, -8, 0, 4, 4, src, 0, 0, Rop::SRCCOPY);
  FillRect(dst2, {-2, 1, 1, 9}, 0x00AA00);
  EXPECT_EQ(std::pair(dst2.at(0, 3), dst2.at(1, 1)), std::pair(0x00AA00u, src.at(3, 3)));
  EXPECT_FALSE(GetPixel(dst2, 4, 0) || GetPixel(dst2, 0, -1));

  const Bitmap original = Pattern(6, 6);
  for (int d : {1, -1}) {  // down and right, up and left
    Bitmap b = original, shared = b;
    const int to = std::max(d, 0), from = std::max(-d, 0);
    BitBlt(b, to, to, 5, 5, b, from, from, Rop::SRCCOPY);
    for (int y = to; y < 5 + to; ++y)
      for (int x = to; x < 5 + to; ++x)
        EXPECT_EQ(b.at(x, y), original.at(x - d, y - d)) << x << "," << y;
    EXPECT_EQ(shared, original);
    const Color kept = b.at(0, 0);
    shared.set(0, 0, 0x010203);
    EXPECT_EQ(b.at(0, 0), kept);
  }
}

// A row copy gives exactly the source's pixels at every length (short rows,
// the long rows that go by blocks, and the tail after the last block), at
// every alignment, and writes nothing past the row.
TEST(RasterOps, ARowCopyIsExactAtEveryLengthAndAlignment) {
  const Bitmap source = Pattern(700, 1, 3);
  for (std::size_t n : {0u, 1u, 15u, 16u, 17u, 255u, 256u, 257u, 271u, 640u, 655u, 699u}) {
    for (std::size_t shift : {0u, 1u, 3u}) {
      std::vector<Color> row(n + shift + 8, 0xABCDEFu);
      CopyPixels(row.data() + shift, source.row(0) + 1, n);
      for (std::size_t x = 0; x < row.size(); ++x) {
        const bool inside = x >= shift && x < shift + n;
        ASSERT_EQ(row[x], inside ? source.at(static_cast<int32_t>(x - shift + 1), 0) : 0xABCDEFu)
            << n << " pixels shifted by " << shift << ", at " << x;
      }
    }
  }
}

// Pixels let go are kept only when asked for, only for large bitmaps, and
// a bitmap given them is exactly a new one: filled, or the copy it was
// written to, never the pixels of the one before.
TEST(FreedPixels, ALargeBitmapTakesThePixelsOneBeforeLetGoAndIsStillNew) {
  const Color* freed = nullptr;
  Bitmap::KeepFreedPixels(2);
  {
    Bitmap before(640, 480, kWhite);
    freed = before.pixels().data();
  }
  const Bitmap filled(640, 480, 0x123456);
  EXPECT_EQ(filled.pixels().data(), freed);
  EXPECT_EQ(filled, Bitmap(640, 480, 0x123456));
  {
    const Bitmap small(8, 8, kWhite);  // too small to keep
  }
  EXPECT_NE(Bitmap(8, 8, kBlack).pixels().data(), freed);
  // Pixels copied on first write: a kept buffer of the size, holding the copy.
  const Bitmap pattern = Pattern(300, 200);
  const Color* kept = nullptr;
  {
    Bitmap other(300, 200, kBlack);
    kept = other.pixels().data();
  }
  Bitmap copy = pattern;
  copy.set(0, 0, kBlack);
  EXPECT_EQ(copy.pixels().data(), kept);
  Bitmap expected = Pattern(300, 200);
  expected.set(0, 0, kBlack);
  EXPECT_EQ(copy, expected);
  EXPECT_EQ(pattern, Pattern(300, 200));  // the original unchanged
  Bitmap::KeepFreedPixels(0);  // the rest of the suite as programs run
}

// Nearest neighbour at the centres (150 % repeats the middle of each three);
// parts outside are cut. The cases list the source columns and rows sampled.
// What changed since the last presentation: the rows of one glyph become one rectangle, the
// pointer far from it stays apart, and however many come, every changed pixel stays inside.
TEST(ChangedRects, NeighboursJoinDistantChangesStayApart) {
  ChangedRects c;
  for (int y = 400; y < 416; ++y) c.Add({40 + y % 3, y, 54 + y % 2, y + 1});  // a glyph's rows
  c.Add({}), c.Add({5, 5, 5, 9});  // empty: nothing
  EXPECT_EQ(std::vector(c.rects().begin(), c.rects().end()), (std::vector{Rect{40, 400, 55, 416}}));
  c.Add({600, 40, 632, 72});  // the pointer
  c.Add({57, 400, 73, 416});  // the next glyph beside the first
  EXPECT_EQ(std::vector(c.rects().begin(), c.rects().end()),
            (std::vector{Rect{40, 400, 73, 416}, Rect{600, 40, 632, 72}}));
  std::vector<Rect> added;
  for (int i = 0; i < 12; ++i) added.push_back(Rect::FromSize(i * 97 % 600, i * 53 % 440, 8, 8));
  for (const Rect& r : added) c.Add(r);
  EXPECT_LE(c.rects().size(), std::size_t{ChangedRects::kMost});
  for (const Rect& r : added)
    EXPECT_TRUE(c.contains(r.left, r.top) && c.contains(r.right - 1, r.bottom - 1)) << r.left;
  c.Clear();
  EXPECT_TRUE(c.rects().empty());
  // A row right under the last rectangle but far beside it stays apart; the
  // glyph's next row after it still finds the glyph.
  c.Add({40, 400, 55, 416});
  c.Add({600, 416, 602, 417});
  c.Add({41, 416, 54, 417});
  EXPECT_EQ(std::vector(c.rects().begin(), c.rects().end()),
            (std::vector{Rect{40, 400, 55, 417}, Rect{600, 416, 602, 417}}));
}

TEST(Stretch, EveryPixelIsTheSourcePixelUnderItsCentre) {
  struct Case { Size src, dst; Rect r; std::vector<int> columns, rows; };
  const Case cases[] = {
      {{4, 2}, {8, 4}, {0, 0, 8, 4}, {0, 0, 1, 1, 2, 2, 3, 3}, {0, 0, 1, 1}},
      {{4, 2}, {2, 1}, {0, 0, 2, 1}, {1, 3}, {1}},
      {{640, 480}, {960, 720}, {0, 0, 960, 720}, {0, 1, 1, 2, 3, 3}, {0, 1, 1, 2, 3, 3}},
      {{4, 4}, {4, 4}, {-4, -4, 4, 4}, {2, 2, 3, 3}, {2, 2, 3, 3}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.r.width());
    const Bitmap src = Pattern(c.src.width, c.src.height);
    Bitmap dst(c.dst.width, c.dst.height, kBlack);
    StretchBlt(dst, c.r, src);
    for (std::size_t y = 0; y < c.rows.size(); ++y)
      for (std::size_t x = 0; x < c.columns.size(); ++x)
        EXPECT_EQ(dst.at(int32_t(x), int32_t(y)), src.at(c.columns[x], c.rows[y])) << x << "," << y;
  }
}

// Rows are made by ratio (the scales of the settings, pictures fitted to
// screens, ratios with small terms, any other), each with its own code:
// every one must give every pixel the source pixel under its centre,
// wherever the stretch begins and however it is clipped.
TEST(Stretch, EveryRatioAndClipGivesTheSourcePixelUnderTheCentre) {
  const Bitmap src = Pattern(80, 6);
  auto under_centre = [](int64_t d, int64_t dst_len, int64_t src_len) {
    return static_cast<int32_t>(((2 * d + 1) * src_len) / (2 * dst_len));
  };
  // Widths for 80 source pixels. Code of their own: 110 %, 120 %, 125 %,
  // 130 %, 140 %, 150 %, 160 %, 200 %, 225 %, 300 %. By groups: 7 : 4,
  // 3 : 4, 5 : 8, 7 : 8. By the table: 105 %, 115 %, 135 %, 145 %, 50 %,
  // 61 pixels.
  for (int32_t width : {88, 96, 100, 104, 112, 120, 128, 160, 180, 240, 140, 60, 50, 70, 84, 92,
                        108, 116, 40, 61}) {
    for (const Rect& clip : {Rect{0, 0, 260, 8}, Rect{1, 0, 260, 8}, Rect{5, 1, 200, 8},
                             Rect{0, 0, 11, 8}}) {
      for (int32_t left : {0, -7, 3}) {
        SCOPED_TRACE(::testing::Message() << width << " wide from " << left << ", clip from "
                                          << clip.left << " to " << clip.right);
        Bitmap dst(260, 8, 0xABCDEF);
        const Rect r = Rect::FromSize(left, 0, width, 8);
        StretchBlt(PixelView{dst.row(0), dst.width(), dst.width(), dst.height()}, r, src, clip);
        for (int32_t y = 0; y < 8; ++y)
          for (int32_t x = 0; x < 260; ++x) {
            const bool inside = r.contains(x, y) && clip.contains(x, y);
            const Color want =
                inside ? src.at(under_centre(x - left, width, 80), under_centre(y, 8, 6)) : 0xABCDEF;
            ASSERT_EQ(dst.at(x, y), want) << x << "," << y;
          }
      }
    }
  }
}

// A 40-byte-header file around `pixels` with a grey palette of `colours`
// entries (grey i is i * 16) and the given compression.
formats::FormatResult<Bitmap> DecodeInfoBmp(int32_t width, int32_t height, int bits,
                                            uint32_t compression, int colours,
                                            std::vector<uint8_t> extra_and_pixels) {
  std::vector<uint8_t> b = {'B', 'M'};
  auto le = [&b](uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  le(0, 4), le(0, 4), le(14 + 40 + 4 * colours + (compression == 3 ? 12 : 0), 4);
  le(40, 4), le(static_cast<uint32_t>(width), 4), le(static_cast<uint32_t>(height), 4);
  le(1, 2), le(static_cast<uint32_t>(bits), 2), le(compression, 4);
  le(0, 4), le(0, 4), le(0, 4);  // image size, pixels per metre across and down
  le(static_cast<uint32_t>(colours), 4), le(0, 4);
  for (int i = 0; i < colours; ++i) le(0x101010u * i, 4);
  b.insert(b.end(), extra_and_pixels.begin(), extra_and_pixels.end());
  return formats::DecodeBmp(b);
}

std::vector<Color> Greys(std::initializer_list<int> levels) {
  std::vector<Color> out;
  for (int i : levels) out.push_back(Rgb(i * 16, i * 16, i * 16));
  return out;
}

TEST(BmpDecoding, RunLengthPicturesAndBitFieldsDecodeExactly) {
  // RLE8, bottom row first: a run, a copy, a move; pixels no run reaches keep colour 0.
  auto rle8 =
      DecodeInfoBmp(4, 3, 8, 1, 8, {3, 2, 0, 0, 0, 4, 1, 5, 6, 7, 0, 0, 0, 2, 2, 0, 1, 3, 0, 1});
  ASSERT_TRUE(rle8) << rle8.fault().what;
  EXPECT_EQ(rle8->pixels(), Greys({0, 0, 3, 0, 1, 5, 6, 7, 2, 2, 2, 0}));
  EXPECT_EQ(rle8->palette.size(), 8u);
  // RLE4: a run alternates its two colours; a copy of 3 in a whole word.
  auto rle4 = DecodeInfoBmp(6, 1, 4, 2, 16, {3, 0x12, 0, 3, 0x34, 0x50, 0, 1});
  ASSERT_TRUE(rle4) << rle4.fault().what;
  EXPECT_EQ(rle4->pixels(), Greys({1, 2, 1, 3, 4, 5}));
  // 16 bits, 5-6-5 masks and the plain 5-5-5: each component widened to 0..255.
  auto b565 = DecodeInfoBmp(2, 1, 16, 3, 0, {0x00, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0,
                                             0x00, 0xF8, 0x1F, 0x00});  // masks, pixels
  ASSERT_TRUE(b565) << b565.fault().what;
  EXPECT_EQ(b565->pixels(), std::vector<Color>({Rgb(255, 0, 0), Rgb(0, 0, 255)}));
  auto b555 = DecodeInfoBmp(2, 1, 16, 0, 0, {0xE0, 0x03, 0x05, 0x00});
  ASSERT_TRUE(b555) << b555.fault().what;
  EXPECT_EQ(b555->pixels(), std::vector<Color>({Rgb(0, 255, 0), Rgb(0, 0, 41)}));  // 5 of 31
}

}  // namespace
}  // namespace velmor::testing
