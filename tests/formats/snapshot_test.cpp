// The snapshot and the save file of our own on bytes: pictures packed and
// unpacked exactly (against a reference or an anchor, or alone), pictures
// that stay cost no pixels in memory, and every damaged input is refused
// with a reason, never read past its end.
#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>
#include <unordered_set>

#include "formats/snapshot_file.h"

namespace velmor::formats {
namespace {

// A picture with flat areas, noise and a gradient: every kind of run.
Bitmap Sample(int32_t w, int32_t h, uint32_t seed) {
  Bitmap b(w, h, Rgb(10, 20, 30));
  std::mt19937 rng(seed);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x)
      if (x > w / 2) b.set(x, y, y < h / 2 ? rng() & 0xFFFFFF : static_cast<Color>(x * 3 + y));
  return b;
}

TEST(PackedPixels, UnpackToTheSamePictureAloneOrAgainstAReference) {
  const Bitmap a = Sample(97, 61, 1);
  Bitmap b = a;
  FillRect(b, {3, 4, 20, 9}, kWhite);  // a small change
  b.set(96, 60, 0xFF000000);           // a bit outside the colour mask survives too
  for (const Bitmap* reference : {static_cast<const Bitmap*>(nullptr), &a}) {
    const std::vector<uint8_t> packed = PackPixels(b, reference);
    FormatResult<Bitmap> back = UnpackPixels(packed, reference);
    ASSERT_TRUE(back) << back.fault().what;
    EXPECT_EQ(*back, b);
  }
  EXPECT_LT(PackPixels(b, &a).size(), 200u);  // only the change costs
  const Bitmap other_size = Sample(10, 10, 2);
  EXPECT_EQ(*UnpackPixels(PackPixels(other_size, &a), &a), other_size);  // the reference unused
  EXPECT_TRUE(UnpackPixels(PackPixels(Bitmap()))->empty());
}

// Long runs are compared a block at a time: a run that ends anywhere in
// or at the edge of a block, or at the picture's end, packs to its length.
TEST(PackedPixels, RunsEndingAtEveryPlaceAroundABlockComeBackExactly) {
  const Bitmap reference(700, 3, kBlack);
  for (int32_t at : {0, 1, 254, 255, 256, 257, 511, 512, 513, 1023, 2099}) {
    SCOPED_TRACE(at);
    Bitmap b = reference;
    b.set(at % 700, at / 700, kWhite);  // one pixel unlike the reference and its run
    for (const Bitmap* r : {static_cast<const Bitmap*>(nullptr), &reference}) {
      const std::vector<uint8_t> packed = PackPixels(b, r);
      FormatResult<Bitmap> back = UnpackPixels(packed, r);
      ASSERT_TRUE(back) << back.fault().what;
      EXPECT_EQ(*back, b);
      EXPECT_LT(packed.size(), 40u);  // three runs at most
    }
  }
}

TEST(PackedPixels, DamageIsRefusedAtEveryCutAndNeverAsksForHugePictures) {
  const Bitmap a = Sample(40, 30, 3);
  const std::vector<uint8_t> packed = PackPixels(a);
  for (std::size_t n = 0; n < packed.size(); ++n)
    EXPECT_FALSE(UnpackPixels(std::span(packed).first(n))) << n;
  std::vector<uint8_t> longer = packed;
  longer.push_back(0);
  EXPECT_FALSE(UnpackPixels(longer));
  // 100,000 x 100,000: refused before any memory is taken.
  const std::vector<uint8_t> huge{0xA0, 0x8D, 0x06, 0xA0, 0x8D, 0x06, 0x05, 0x00};
  EXPECT_NE(UnpackPixels(huge).fault().what.find("larger than"), std::string::npos);
  // A run against a reference the reader does not have.
  EXPECT_FALSE(UnpackPixels(PackPixels(a, &a)));
}

TEST(Snapshots, KeptInMemoryAPictureThatStaysSharesItsPixels) {
  PictureAnchors anchors;
  Bitmap screen = Sample(640, 480, 4);
  auto take = [&] {
    StateWriter w(&anchors);
    w.U32(7);
    w.Picture(screen);
    w.Text("INIT");
    return w.Take();
  };
  const Snapshot first = take();
  FillRect(screen, {40, 380, 90, 400}, kBlack);  // a line of text typed
  const Snapshot second = take();
  std::unordered_set<const void*> seen;
  const std::size_t whole = first.MemoryBytes(&seen);
  const std::size_t more = second.MemoryBytes(&seen);
  EXPECT_GT(whole, 640u * 480 * 4);
  EXPECT_LT(more, 8000u);  // the second costs its difference only
  for (const Snapshot* s : {&first, &second}) {
    StateReader r(*s);
    EXPECT_EQ(r.U32(), 7u);
    const Bitmap back = r.Picture();
    EXPECT_EQ(r.Text(16), "INIT");
    EXPECT_TRUE(r.ok() && r.done()) << r.fault();
    if (s == &second) {
      EXPECT_EQ(back, screen);
    }
  }
}

TEST(Snapshots, AReaderPastTheEndFailsAndGivesZeros) {
  StateWriter w;
  w.U32(5);
  std::array<uint8_t, 300> image{};
  image[3] = 9;
  image[299] = 1;
  image[150] = 7;  // zero runs of every length past a word
  w.Sparse(image);
  Snapshot s = w.Take();
  EXPECT_LT(s.bytes.size(), 60u);
  StateReader r(s);
  EXPECT_EQ(r.U32(), 5u);
  std::array<uint8_t, 300> back{};
  r.Sparse(back);
  EXPECT_EQ(back, image);
  EXPECT_EQ(r.U32(), 0u);
  EXPECT_FALSE(r.ok());
  std::array<uint8_t, 200> wrong{};
  StateReader again(s);
  again.U32();
  again.Sparse(wrong);
  EXPECT_FALSE(again.ok());
}

TEST(SaveFiles, HeaderAndStateComeBackAndEveryCutIsRefused) {
  SaveHeader h{"2000-01-01 12:00", "last line", "INIT", Sample(160, 120, 5)};
  StateWriter w;
  w.Text("the state");
  const std::vector<uint8_t> bytes = EncodeSaveFile(h, w.Take());
  FormatResult<SaveFile> file = DecodeSaveFile(bytes);
  ASSERT_TRUE(file) << file.fault().what;
  EXPECT_EQ(file->header.date, h.date);
  EXPECT_EQ(file->header.last_line, h.last_line);
  EXPECT_EQ(file->header.thumbnail, h.thumbnail);
  StateReader r(file->snapshot);
  EXPECT_EQ(r.Text(64), "the state");
  EXPECT_TRUE(DecodeSaveFile(bytes, true)->snapshot.bytes.empty());
  for (std::size_t n = 0; n < bytes.size(); n += 7)
    EXPECT_FALSE(DecodeSaveFile(std::span(bytes).first(n))) << n;
}

}  // namespace
}  // namespace velmor::formats
