// The BMP writer: exact bytes of small pictures, palettes, packing of 1 and
// 4-bit pixels, row padding and row order; read back by the decoder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "formats/bmp.h"
#include "formats/bmp_writer.h"

namespace velmor::formats {
namespace {

using Bytes = std::vector<uint8_t>;

uint32_t Le32At(const Bytes& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

// A w x h picture of the given pixels, row by row from the top.
Bitmap Picture(int w, int h, const std::vector<Color>& pixels, std::vector<Color> palette = {}) {
  Bitmap img(w, h);
  for (int i = 0; i < w * h; ++i) img.set(i % w, i / w, pixels.at(static_cast<std::size_t>(i)));
  img.palette = std::move(palette);
  return img;
}

TEST(BmpWriter, SmallTrueColourPictureHasExactBytes) {
  const Bitmap img = Picture(3, 2, {0xFF0000, 0x00FF00, 0x0000FF,  // top row
                                   0xFFFFFF, 0x000000, 0x123456});
  const Bytes expected = {
      'B', 'M', 78, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  // file header: size 78, pixels at 54
      40, 0, 0, 0, 3, 0, 0, 0, 2, 0, 0, 0,              // info header, 3 x 2
      1, 0, 24, 0, 0, 0, 0, 0, 24, 0, 0, 0,             // planes, 24 bits, BI_RGB, 24 bytes
      0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,   // resolution, colours
      // Rows from the bottom, blue-green-red, padded from 9 to 12 bytes.
      0xFF, 0xFF, 0xFF, 0, 0, 0, 0x56, 0x34, 0x12, 0, 0, 0,  //
      0, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0, 0, 0, 0, 0};
  EXPECT_EQ(WriteBmp(img), expected);
}

TEST(BmpWriter, PalettisedPictureKeepsTheGivenTableInOrder) {
  // Blue is in the table but unused; the pixels are indices into the table.
  const Bitmap img = Picture(2, 2, {0xFF0000, 0x00FF00, 0x00FF00, 0xFF0000}, {0x0000FF, 0xFF0000, 0x00FF00});
  const Bytes b = WriteBmp(img, {8});
  ASSERT_EQ(b.size(), 54u + 3 * 4 + 2 * 4);
  EXPECT_EQ(Le32At(b, 10), 54u + 12);  // pixels after the table
  EXPECT_EQ(b[28], 8);
  EXPECT_EQ(Le32At(b, 46), 3u);  // colours used
  const Bytes table(b.begin() + 54, b.begin() + 66);
  EXPECT_EQ(table, (Bytes{0xFF, 0, 0, 0, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0}));
  // Bottom row (green, red) first, each row padded from 2 to 4 bytes.
  EXPECT_EQ(Bytes(b.begin() + 66, b.end()), (Bytes{2, 1, 0, 0, 1, 2, 0, 0}));
}

TEST(BmpWriter, WithoutAPaletteColoursAreNumberedInOrderOfAppearanceFromTheTop) {
  const Bitmap img = Picture(2, 2, {0x00AA00, 0x0000AA, 0xAA0000, 0x0000AA});
  const auto back = DecodeBmp(WriteBmp(img, {8}));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->palette, (std::vector<Color>{0x00AA00, 0x0000AA, 0xAA0000}));
}

TEST(BmpWriter, FullPaletteIsPaddedTo256AndCountedAsZero) {
  const Bitmap img = Picture(1, 1, {0x808080}, {0x808080});
  const Bytes b = WriteBmp(img, {8, false, true});
  EXPECT_EQ(Le32At(b, 46), 0u);
  EXPECT_EQ(Le32At(b, 10), 54u + 1024);
  EXPECT_EQ(b.size(), 54u + 1024 + 4);
  EXPECT_EQ(Le32At(b, 2), b.size());
  const auto info = ReadBmpHeader(b);
  ASSERT_TRUE(info);
  EXPECT_EQ(info->PaletteEntries(), 256u);
}

TEST(BmpWriter, PacksOneAndFourBitPixelsFromTheHighBits) {
  std::vector<Color> stripes;
  for (int x = 0; x < 10; ++x) stripes.push_back(x % 3 == 0 ? 0xFFFFFF : 0);
  const Bytes one = WriteBmp(Picture(10, 1, stripes, {0, 0xFFFFFF}), {1});
  // 1001001001 -> 0x92 0x40, padded to four bytes.
  EXPECT_EQ(Bytes(one.begin() + 62, one.end()), (Bytes{0x92, 0x40, 0, 0}));
  EXPECT_EQ(one[28], 1);

  const Bytes four = WriteBmp(Picture(3, 1, {0x111111, 0x222222, 0x333333}, {0, 0x111111, 0x222222, 0x333333}), {4});
  EXPECT_EQ(Bytes(four.begin() + 54 + 16, four.end()), (Bytes{0x12, 0x30, 0, 0}));
}

TEST(BmpWriter, RejectsWhatItCannotStore) {
  EXPECT_THROW(WriteBmp(Picture(2, 1, {0x010101, 0x020202}, {0x010101}), {8}), std::invalid_argument);
  EXPECT_THROW(WriteBmp(Picture(3, 1, {1, 2, 3}), {1}), std::invalid_argument);
  EXPECT_THROW(WriteBmp(Picture(1, 1, {0}), {16}), std::invalid_argument);
  EXPECT_THROW(WriteBmp(Bitmap()), std::invalid_argument);
}

// Random pictures of awkward widths in every depth and row order come back
// the same from the decoder (rows stored in the wrong order would come back
// upside down).
TEST(BmpWriter, RoundTripsThroughTheDecoder) {
  std::mt19937 rng(1234);
  for (int bits : {1, 4, 8, 24}) {
    for (bool top_down : {false, true}) {
      for (int width : {1, 5, 13, 33}) {
        SCOPED_TRACE(::testing::Message() << bits << " bits, width " << width << (top_down ? ", top-down" : ""));
        Bitmap img(width, 7);
        if (bits <= 8)
          for (int i = 0; i < (1 << bits); ++i) img.palette.push_back(rng() & 0xFFFFFF);
        for (int y = 0; y < 7; ++y)
          for (int x = 0; x < width; ++x)
            img.set(x, y, bits <= 8 ? img.palette[rng() % img.palette.size()] : rng() & 0xFFFFFF);
        // Duplicate palette colours would make the stored index ambiguous.
        std::sort(img.palette.begin(), img.palette.end());
        if (std::adjacent_find(img.palette.begin(), img.palette.end()) != img.palette.end()) continue;

        const Bytes b = WriteBmp(img, {bits, top_down});
        const auto info = ReadBmpHeader(b);
        ASSERT_TRUE(info);
        EXPECT_EQ(info->file_size, b.size());
        EXPECT_EQ(info->image_size, ((width * bits + 31) / 32) * 4 * 7u);
        EXPECT_EQ(info->top_down, top_down);

        const auto back = DecodeBmp(b);
        ASSERT_TRUE(back) << back.fault().what;
        EXPECT_EQ(back->width(), width);
        EXPECT_EQ(back->pixels(), img.pixels());
        if (bits <= 8) {
          EXPECT_EQ(back->palette, img.palette);
        }
      }
    }
  }
}

}  // namespace
}  // namespace velmor::formats
