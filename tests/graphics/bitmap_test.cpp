// Bitmaps, raster operations, stretching and the BMP decoder's run-length
// and bit-field pictures (the formats suite has the plain depths and damage;
// the smooth stretch is checked through the window in the sdl suite).
#include <gtest/gtest.h>

#include "graphics/bitmap.h"
#include "formats/bmp.h"
#include "support/pictures.h"

namespace velmor::testing {
namespace {

TEST(RasterOps, EachOperationIsBitwise) {
  const Color dst = 0x0F0F33, src = 0x00FF55;
  for (auto [rop, expected] : {std::pair{Rop::SRCCOPY, 0x00FF55u}, {Rop::SRCAND, 0x000F11u},
                               {Rop::SRCPAINT, 0x0FFF77u}, {Rop::MERGEPAINT, 0xFF0FBBu},
                               {Rop::NOTSRCCOPY, 0xFF00AAu}}) {
    Bitmap d(2, 1, dst), s(2, 1, src);
    BitBlt(d, 0, 0, 2, 1, s, 0, 0, rop);
    EXPECT_EQ(d.at(0, 0), expected) << std::hex << static_cast<uint32_t>(rop);
    EXPECT_EQ(d.at(1, 0), expected);
  }
}

// Copies and fills are clipped to both bitmaps; a copy within one bitmap
// reads each pixel before it is overwritten; a changed copy of a bitmap
// never changes the other.
TEST(RasterOps, ClippedOverlappingAndSharedCopies) {
  const Bitmap src = Pattern(4, 4);
  Bitmap dst(5, 5, kBlack);
  BitBlt(dst, 3, -1, 4, 4, src, 0, 0, Rop::SRCCOPY);  // (3..4, 0..2) gets (0..1, 1..3)
  EXPECT_EQ(dst.at(3, 0), src.at(0, 1));
  EXPECT_EQ(dst.at(4, 2), src.at(1, 3));
  EXPECT_EQ(dst.at(2, 0), kBlack);
  EXPECT_EQ(dst.at(3, 3), kBlack);
  Bitmap dst2(4, 4, kWhite);
  BitBlt(dst2, 0, 0, 4, 4, src, 2, 2, Rop::SRCCOPY);  // the source partly outside
  EXPECT_EQ(dst2.at(1, 1), src.at(3, 3));
  EXPECT_EQ(dst2.at(2, 2), kWhite);
  BitBlt(dst2, 10, 10, 4, 4, src, 0, 0, Rop::SRCCOPY);  // entirely outside
  BitBlt(dst2, -8, 0, 4, 4, src, 0, 0, Rop::SRCCOPY);
  FillRect(dst2, {-2, 1, 1, 9}, 0x00AA00);
  EXPECT_EQ(dst2.at(0, 3), 0x00AA00u);
  EXPECT_EQ(dst2.at(1, 1), src.at(3, 3));
  EXPECT_FALSE(GetPixel(dst2, 4, 0).has_value());
  EXPECT_FALSE(GetPixel(dst2, 0, -1).has_value());

  const Bitmap original = Pattern(6, 6);
  for (int d : {1, -1}) {  // down and right, up and left
    Bitmap b = original;
    Bitmap shared = b;
    BitBlt(b, std::max(d, 0), std::max(d, 0), 5, 5, b, std::max(-d, 0), std::max(-d, 0),
           Rop::SRCCOPY);
    for (int y = std::max(d, 0); y < 5 + std::max(d, 0); ++y)
      for (int x = std::max(d, 0); x < 5 + std::max(d, 0); ++x)
        EXPECT_EQ(b.at(x, y), original.at(x - d, y - d)) << x << "," << y;
    EXPECT_EQ(shared, original);
    const Color kept = b.at(0, 0);
    shared.set(0, 0, 0x010203);
    EXPECT_EQ(b.at(0, 0), kept);
  }
}

// Nearest neighbour at the centres: whole rows and columns repeat or go,
// 150 % repeats the middle of each three, parts outside are cut.
TEST(Stretch, EveryPixelIsTheSourcePixelUnderItsCentre) {
  struct Case {
    Size src, dst;
    Rect r;
    std::vector<int> columns, rows;  // the source's, from the destination's first on
  };
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

// A 40-byte-header file around `pixels` with a grey palette of `colours`
// entries and the given compression.
std::vector<uint8_t> InfoBmp(int32_t width, int32_t height, int bits, uint32_t compression,
                             int colours, std::vector<uint8_t> extra_and_pixels) {
  std::vector<uint8_t> b = {'B', 'M'};
  auto le = [&b](uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  le(0, 4), le(0, 4), le(14 + 40 + 4 * colours + (compression == 3 ? 12 : 0), 4);
  le(40, 4), le(static_cast<uint32_t>(width), 4), le(static_cast<uint32_t>(height), 4);
  le(1, 2), le(static_cast<uint32_t>(bits), 2), le(compression, 4);
  le(0, 4), le(0, 4), le(0, 4);  // image size, pixels per metre across and down
  le(static_cast<uint32_t>(colours), 4), le(0, 4);
  for (int i = 0; i < colours; ++i) b.insert(b.end(), {uint8_t(i * 16), uint8_t(i * 16), uint8_t(i * 16), 0});
  b.insert(b.end(), extra_and_pixels.begin(), extra_and_pixels.end());
  return b;
}

TEST(BmpDecoding, RunLengthPicturesAndBitFieldsDecodeExactly) {
  auto grey = [](int i) { return Rgb(i * 16, i * 16, i * 16); };
  // RLE8, 4 x 3, bottom row first: a run of 3 of colour 2, end of line; a
  // copy of 4 (padded), end of line; a move right 2 and up 0, a run of 1,
  // end of picture. Pixels no run reaches keep colour 0.
  auto rle8 = formats::DecodeBmp(
      InfoBmp(4, 3, 8, 1, 8, {3, 2, 0, 0, 0, 4, 1, 5, 6, 7, 0, 0, 0, 2, 2, 0, 1, 3, 0, 1}));
  ASSERT_TRUE(rle8) << rle8.fault().what;
  const int want8[3][4] = {{0, 0, 3, 0}, {1, 5, 6, 7}, {2, 2, 2, 0}};
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(rle8->at(x, y), grey(want8[y][x])) << x << "," << y;
  EXPECT_EQ(rle8->palette.size(), 8u);

  // RLE4, 6 x 1: a run of 3 alternating 1 and 2, then a copy of 3 (3, 4, 5)
  // in two bytes, already a whole word.
  auto rle4 = formats::DecodeBmp(InfoBmp(6, 1, 4, 2, 16, {3, 0x12, 0, 3, 0x34, 0x50, 0, 1}));
  ASSERT_TRUE(rle4) << rle4.fault().what;
  const int want4[] = {1, 2, 1, 3, 4, 5};
  for (int x = 0; x < 6; ++x) EXPECT_EQ(rle4->at(x, 0), grey(want4[x])) << x;

  // 16 bits with 5-6-5 masks, and the plain 5-5-5 layout: each component
  // widened to 0..255.
  auto b565 = formats::DecodeBmp(
      InfoBmp(2, 1, 16, 3, 0, {0x00, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0,  // masks
                               0x00, 0xF8, 0x1F, 0x00}));
  ASSERT_TRUE(b565) << b565.fault().what;
  EXPECT_EQ(b565->at(0, 0), Rgb(255, 0, 0));
  EXPECT_EQ(b565->at(1, 0), Rgb(0, 0, 255));
  auto b555 = formats::DecodeBmp(InfoBmp(2, 1, 16, 0, 0, {0xE0, 0x03, 0x05, 0x00}));
  ASSERT_TRUE(b555) << b555.fault().what;
  EXPECT_EQ(b555->at(0, 0), Rgb(0, 255, 0));
  EXPECT_EQ(b555->at(1, 0), Rgb(0, 0, 41));  // 5 of 31
}

}  // namespace
}  // namespace velmor::testing
