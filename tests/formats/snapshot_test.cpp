// The snapshot and the save file of our own on bytes: pictures packed and
// unpacked exactly (against a reference or an anchor, or alone), pictures
// that stay cost no pixels in memory, and every damaged input is refused
// with a reason, never read past its end.
#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>
#include <unordered_set>

#include "formats/byte_reader.h"
#include "formats/snapshot_file.h"
#include "platform/shared/deflate_compressor.h"

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

// A compressor that cannot pack (the save keeps its state as it is).
class CannotPack final : public Compressor {
 public:
  std::vector<uint8_t> Pack(std::span<const uint8_t>) const override { return {}; }
  bool Unpack(std::span<const uint8_t>, std::span<uint8_t>) const override { return false; }
};

// A state worth packing: a picture of drawn art's kinds of runs, a text.
Snapshot SampleState() {
  StateWriter w;
  w.Picture(Sample(320, 240, 9));
  w.Text("the state");
  return w.Take();
}

// The file's flags (after the magic and the version).
uint16_t Flags(const std::vector<uint8_t>& file) {
  return static_cast<uint16_t>(file.at(10) | file.at(11) << 8);
}

// The file with its body changed and its check sum made to match again.
std::vector<uint8_t> Resealed(std::vector<uint8_t> file) {
  file.resize(file.size() - 4);
  const uint32_t crc = Crc32(file);
  for (int shift = 0; shift < 32; shift += 8) file.push_back(static_cast<uint8_t>(crc >> shift));
  return file;
}

TEST(SaveFiles, HeaderAndStateComeBackPackedOrNotAndEveryCutIsRefused) {
  const SaveHeader h{"2000-01-01 12:00", "last line", "INIT", Sample(160, 120, 5)};
  const Snapshot state = SampleState();
  const CannotPack cannot;
  struct Case { const char* name; const Compressor* packer; bool packed; };
  std::size_t packed_size = 0, stored_size = 0;
  for (Case c : {Case{"deflate", &platform::Deflate(), true}, Case{"none", nullptr, false},
                 Case{"cannot pack", &cannot, false}}) {
    SCOPED_TRACE(c.name);
    const std::vector<uint8_t> bytes = EncodeSaveFile(h, state, c.packer);
    EXPECT_EQ(Flags(bytes), c.packed ? kSavePacked : 0);
    (c.packed ? packed_size : stored_size) = bytes.size();
    FormatResult<SaveFile> file = DecodeSaveFile(bytes, platform::Deflate());
    ASSERT_TRUE(file) << file.fault().what;
    EXPECT_EQ(file->header.date, h.date);
    EXPECT_EQ(file->header.last_line, h.last_line);
    EXPECT_EQ(file->header.thumbnail, h.thumbnail);
    EXPECT_EQ(file->snapshot.bytes, state.bytes);
    EXPECT_EQ(file->snapshot.version, kSaveVersion);
    // The header alone needs no unpacking.
    FormatResult<SaveFile> head = DecodeSaveFile(bytes, cannot, true);
    ASSERT_TRUE(head);
    EXPECT_TRUE(head->snapshot.bytes.empty());
    EXPECT_EQ(head->header.thumbnail, h.thumbnail);
    for (std::size_t n = 0; n < bytes.size(); n += 1 + bytes.size() / 300)
      EXPECT_FALSE(DecodeSaveFile(std::span(bytes).first(n), platform::Deflate())) << n;
  }
  EXPECT_LT(packed_size, stored_size);
}

// A packed state whose stream or stated length is wrong, or unknown flags:
// refused with a reason even when the check sum matches. A stated length
// past any save's is refused before anything is made that large.
TEST(SaveFiles, APackedStateThatDoesNotUnpackExactlyIsRefused) {
  const SaveHeader h{"2000-01-01 12:00", "", "INIT", Bitmap(8, 6, kBlack)};
  const std::vector<uint8_t> good = EncodeSaveFile(h, SampleState(), &platform::Deflate());
  // Past the magic, the version, the flags and the header: the body's
  // length (32 bits), the state's length unpacked, the stream.
  ByteReader in(good);
  in.Skip(12);
  in.Skip(in.Le32());
  const std::size_t unpacked_at = in.offset() + 4;
  auto with_length = [&](uint32_t length) {
    std::vector<uint8_t> f = good;
    for (int i = 0; i < 4; ++i) f[unpacked_at + i] = static_cast<uint8_t>(length >> (8 * i));
    return Resealed(f);
  };
  const uint32_t length = ByteReader(good, unpacked_at).Le32();
  ASSERT_EQ(length, SampleState().bytes.size());
  std::vector<uint8_t> flipped = good, unknown = good;
  flipped[(unpacked_at + good.size()) / 2] ^= 0x10;
  unknown[10] |= 4;
  struct Case { const char* name; std::vector<uint8_t> bytes; const char* told; };
  for (const Case& c : {Case{"longer", with_length(length + 1), "does not unpack"},
                        Case{"shorter", with_length(length - 1), "does not unpack"},
                        Case{"none", with_length(0), "does not unpack"},
                        Case{"huge", with_length(0xFFFFFFFFu), "more than any save holds"},
                        Case{"flipped", Resealed(flipped), "does not unpack"},
                        Case{"flags", Resealed(unknown), "flags 5 unknown"}}) {
    SCOPED_TRACE(c.name);
    FormatResult<SaveFile> file = DecodeSaveFile(c.bytes, platform::Deflate());
    ASSERT_FALSE(file);
    EXPECT_NE(file.fault().what.find(c.told), std::string::npos) << file.fault().what;
    // The save screen still shows what the header says.
    EXPECT_EQ(static_cast<bool>(DecodeSaveFile(c.bytes, platform::Deflate(), true)),
              std::string(c.name) != "flags");
  }
}

// A save written before states were packed (version 2, its flags 0 and
// never read) reads as it always did; it keeps its version for the reader.
TEST(SaveFiles, ASaveOfTheFormerFormatStillReads) {
  const SaveHeader h{"1999-12-31 23:59", "old", "INIT", Bitmap(8, 6, kWhite)};
  const Snapshot state = SampleState();
  std::vector<uint8_t> old = EncodeSaveFile(h, state, nullptr);
  old[8] = 2;
  FormatResult<SaveFile> file = DecodeSaveFile(Resealed(old), platform::Deflate());
  ASSERT_TRUE(file) << file.fault().what;
  EXPECT_EQ(file->snapshot.bytes, state.bytes);
  EXPECT_EQ(file->snapshot.version, 2);
}

}  // namespace
}  // namespace velmor::formats
