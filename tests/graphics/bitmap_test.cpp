// Bitmaps, raster operations, stretching and the BMP decoder's run-length
// and bit-field pictures (the formats suite has the plain depths and damage).
#include <gtest/gtest.h>

#include "graphics/bitmap.h"
#include "formats/bmp.h"
#include "support/pictures.h"

namespace velmor::testing {
namespace {

TEST(RasterOps, EachOperationIsBitwise) {
  struct Case {
    Rop rop;
    Color expected;
  };
  const Color dst = 0x0F0F33, src = 0x00FF55;
  for (Case c : {Case{Rop::SRCCOPY, 0x00FF55}, Case{Rop::SRCAND, 0x000F11},
                 Case{Rop::SRCPAINT, 0x0FFF77}, Case{Rop::MERGEPAINT, 0xFF0FBB},
                 Case{Rop::NOTSRCCOPY, 0xFF00AA}}) {
    Bitmap d(2, 1, dst), s(2, 1, src);
    BitBlt(d, 0, 0, 2, 1, s, 0, 0, c.rop);
    EXPECT_EQ(d.at(0, 0), c.expected) << std::hex << static_cast<uint32_t>(c.rop);
    EXPECT_EQ(d.at(1, 0), c.expected);
  }
}

TEST(RasterOps, BlackAndWhiteAreAllZeroAndAllOnes) {
  Bitmap white(1, 1, kWhite), black(1, 1, kBlack), p(1, 1, 0x123456);
  Bitmap d = p;
  BitBlt(d, 0, 0, 1, 1, white, 0, 0, Rop::SRCAND);  // white AND p = p
  EXPECT_EQ(d.at(0, 0), 0x123456u);
  BitBlt(d, 0, 0, 1, 1, black, 0, 0, Rop::SRCPAINT);  // black OR p = p
  EXPECT_EQ(d.at(0, 0), 0x123456u);
  BitBlt(d, 0, 0, 1, 1, black, 0, 0, Rop::MERGEPAINT);  // p OR NOT black = white
  EXPECT_EQ(d.at(0, 0), kWhite);
}

TEST(RasterOps, CopiesAreClippedToBothBitmaps) {
  Bitmap src = Pattern(4, 4);
  Bitmap dst(5, 5, kBlack);
  BitBlt(dst, 3, -1, 4, 4, src, 0, 0, Rop::SRCCOPY);
  // Destination (3..4, 0..2) gets source (0..1, 1..3).
  EXPECT_EQ(dst.at(3, 0), src.at(0, 1));
  EXPECT_EQ(dst.at(4, 2), src.at(1, 3));
  EXPECT_EQ(dst.at(2, 0), kBlack);
  EXPECT_EQ(dst.at(3, 3), kBlack);
  // A source rectangle partly outside its bitmap copies only what exists.
  Bitmap dst2(4, 4, kWhite);
  BitBlt(dst2, 0, 0, 4, 4, src, 2, 2, Rop::SRCCOPY);
  EXPECT_EQ(dst2.at(0, 0), src.at(2, 2));
  EXPECT_EQ(dst2.at(1, 1), src.at(3, 3));
  EXPECT_EQ(dst2.at(2, 2), kWhite);
  // Entirely outside: nothing happens.
  BitBlt(dst2, 10, 10, 4, 4, src, 0, 0, Rop::SRCCOPY);
  BitBlt(dst2, -8, 0, 4, 4, src, 0, 0, Rop::SRCCOPY);
}

TEST(RasterOps, OverlappingCopyWithinOneBitmap) {
  Bitmap b = Pattern(6, 6);
  Bitmap original = b;
  BitBlt(b, 1, 1, 5, 5, b, 0, 0, Rop::SRCCOPY);  // down and right by one
  for (int y = 1; y < 6; ++y)
    for (int x = 1; x < 6; ++x) EXPECT_EQ(b.at(x, y), original.at(x - 1, y - 1));
  Bitmap c = original;
  BitBlt(c, 0, 0, 5, 5, c, 1, 1, Rop::SRCCOPY);  // up and left
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(c.at(x, y), original.at(x + 1, y + 1));
}

TEST(Copies, AWrittenCopyNeverChangesTheOther) {
  const Bitmap original = Pattern(6, 4);
  Bitmap a = original, b = original;
  a.set(0, 0, 0x010203);
  FillRect(b, Rect{1, 1, 3, 3}, kWhite);
  Bitmap c = b;
  BitBlt(c, 0, 0, 6, 4, c, 1, 0, Rop::SRCCOPY);  // itself, shared with b
  EXPECT_EQ(original, Pattern(6, 4));
  EXPECT_EQ(a.at(1, 0), original.at(1, 0));
  EXPECT_EQ(b.at(0, 0), original.at(0, 0));
  EXPECT_EQ(c.at(0, 1), kWhite);  // b's (1, 1)
  EXPECT_EQ(b.at(0, 1), original.at(0, 1));
  a = b;
  a.set(1, 1, kBlack);
  EXPECT_EQ(b.at(1, 1), kWhite);
}

TEST(FillAndPixels, FillIsClippedAndGetPixelKnowsTheEdges) {
  Bitmap b(4, 3, kBlack);
  FillRect(b, {-2, 1, 2, 9}, 0x00AA00);
  EXPECT_EQ(b.at(0, 1), 0x00AA00u);
  EXPECT_EQ(b.at(1, 2), 0x00AA00u);
  EXPECT_EQ(b.at(2, 1), kBlack);
  EXPECT_EQ(b.at(0, 0), kBlack);
  EXPECT_EQ(GetPixel(b, 3, 2), kBlack);
  EXPECT_FALSE(GetPixel(b, 4, 0).has_value());
  EXPECT_FALSE(GetPixel(b, 0, -1).has_value());
}

TEST(Stretch, NearestNeighbourRepeatsAndDropsWholeRowsAndColumns) {
  Bitmap src = Pattern(4, 2);
  Bitmap up(8, 4);
  StretchBlt(up, {0, 0, 8, 4}, src);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(up.at(x, y), src.at(x / 2, y / 2));

  Bitmap down(2, 1);
  StretchBlt(down, {0, 0, 2, 1}, src);
  EXPECT_EQ(down.at(0, 0), src.at(1, 1));  // samples at the centres: columns 1 and 3, row 1
  EXPECT_EQ(down.at(1, 0), src.at(3, 1));
}

TEST(Stretch, OneAndAHalfTimesUsesOnlySourceColours) {
  Bitmap src = Pattern(640, 480);
  Bitmap dst(960, 720);
  StretchBlt(dst, {0, 0, 960, 720}, src);
  // Every output pixel is the source pixel under its centre (no blending):
  // of each three columns the middle one repeats.
  for (int y : {0, 1, 2, 719})
    for (int x : {0, 1, 2, 3, 4, 5, 958, 959})
      EXPECT_EQ(dst.at(x, y), src.at((2 * x + 1) * 2 / 6, (2 * y + 1) * 2 / 6)) << x << "," << y;
  EXPECT_EQ(dst.at(1, 0), dst.at(2, 0));
  EXPECT_NE(dst.at(0, 0), dst.at(1, 0));
}

TEST(Stretch, PartsOutsideTheDestinationAreCut) {
  Bitmap src = Pattern(4, 4);
  Bitmap dst(4, 4, kBlack);
  StretchBlt(dst, {-4, -4, 4, 4}, src);  // twice the size, top-left cut off
  EXPECT_EQ(dst.at(0, 0), src.at(2, 2));
  EXPECT_EQ(dst.at(3, 3), src.at(3, 3));
}

// A 40-byte-header file around `pixels` with a grey palette of `colours`
// entries (none above 8 bits) and the given compression.
std::vector<uint8_t> InfoBmp(int32_t width, int32_t height, int bits, uint32_t compression,
                             int colours, std::vector<uint8_t> extra_and_pixels) {
  std::vector<uint8_t> b = {'B', 'M'};
  auto le32 = [&b](uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  auto le16 = [&b](uint16_t v) { b.push_back(v & 0xFF), b.push_back(static_cast<uint8_t>(v >> 8)); };
  le32(0), le32(0), le32(14 + 40 + 4 * colours + (compression == 3 ? 12 : 0));
  le32(40), le32(static_cast<uint32_t>(width)), le32(static_cast<uint32_t>(height));
  le16(1), le16(static_cast<uint16_t>(bits)), le32(compression), le32(0), le32(0), le32(0);
  le32(static_cast<uint32_t>(colours)), le32(0);
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
  const std::vector<std::vector<int>> want8 = {{0, 0, 3, 0}, {1, 5, 6, 7}, {2, 2, 2, 0}};
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

namespace velmor {
namespace {

PixelView ViewOf(Bitmap& b) { return PixelView{b.row(0), b.width(), b.width(), b.height()}; }

TEST(SmoothStretch, AtItsOwnSizeItIsACopy) {
  Bitmap src = testing::Pattern(64, 48);
  Bitmap dst(64, 48, kBlack);
  StretchBltSmooth(ViewOf(dst), {0, 0, 64, 48}, src, dst.bounds());
  EXPECT_EQ(dst, src);
}

TEST(SmoothStretch, EdgesBlendAndFlatAreasStay) {
  // Black on the left half, white on the right, doubled in width.
  Bitmap src(4, 2, kBlack);
  FillRect(src, {2, 0, 4, 2}, kWhite);
  Bitmap dst(8, 4, 0x123456);
  StretchBltSmooth(ViewOf(dst), {0, 0, 8, 4}, src, dst.bounds());
  for (int y = 0; y < 4; ++y) {
    EXPECT_EQ(dst.at(0, y), kBlack);  // the picture's edge repeats
    EXPECT_EQ(dst.at(7, y), kWhite);
    // Either side of the boundary: a grey between, darker on the dark side.
    const uint32_t left = dst.at(3, y) & 0xFF, right = dst.at(4, y) & 0xFF;
    EXPECT_GT(left, 0u);
    EXPECT_LT(left, right);
    EXPECT_LT(right, 255u);
    EXPECT_EQ(dst.at(3, y), (left << 16) | (left << 8) | left);  // grey
  }
}

TEST(SmoothStretch, OnlyTheClipIsDrawnAndNothingOutsideIsRead) {
  Bitmap src = testing::Pattern(640, 480);
  for (Rect r : {Rect{0, 0, 960, 720}, Rect{-100, -50, 860, 670}, Rect{0, 0, 320, 240},
                 Rect{5, 5, 6, 6}}) {
    Bitmap whole(960, 720, kBlack);
    StretchBltSmooth(ViewOf(whole), r, src, whole.bounds());
    Bitmap part(960, 720, kBlack);
    const Rect clip{100, 100, 300, 200};
    StretchBltSmooth(ViewOf(part), r, src, clip);
    for (int y = 0; y < 720; y += 7)
      for (int x = 0; x < 960; x += 5) {
        const Color want = clip.contains(x, y) ? whole.at(x, y) : kBlack;
        ASSERT_EQ(part.at(x, y), want) << x << "," << y;
      }
  }
}

}  // namespace
}  // namespace velmor
