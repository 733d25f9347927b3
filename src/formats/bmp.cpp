#include "formats/bmp.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdlib>
#include <vector>

#include "core/texts.h"
#include "formats/byte_reader.h"

namespace velmor::formats {

namespace {

// Pictures larger than this are not the game's; refusing them keeps a damaged
// header from asking for gigabytes.
constexpr int64_t kMaxPixels = 16 * 1024 * 1024;
constexpr int64_t kMaxSide = 16384;
// The most pixels one byte of run-length data may stand for on average: a
// run of 255 pixels is two bytes, a row's end two more.
constexpr int64_t kMostPixelsPerRleByte = 2048;

constexpr uint32_t kPlain = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3;
constexpr std::size_t kFileHeaderSize = 14;

using Header = BmpHeader;

// What went wrong, as the message names it.
struct Refusal {
  const char* why;
};

Header ReadOldHeader(ByteReader& r) {
  Header h;
  h.width = r.Le16();  // unsigned 16-bit sizes, never upside down
  h.height = r.Le16();
  r.Skip(2);  // planes
  h.bits = r.Le16();
  h.palette_at = kFileHeaderSize + 12;
  h.palette_entry = 3;
  return h;
}

Header ReadInfoHeader(ByteReader& r, std::span<const uint8_t> bytes, uint32_t info_size) {
  Header h;
  h.width = r.LeS32();
  const int64_t height = r.LeS32();
  h.top_down = height < 0;
  h.height = static_cast<int32_t>(std::min<int64_t>(std::abs(height), INT32_MAX));
  r.Skip(2);  // planes
  h.bits = r.Le16();
  h.compression = r.Le32();
  h.image_size = r.Le32();
  r.Skip(8);  // resolution
  h.colours = r.Le32();
  r.Skip(4);  // important colours
  h.palette_at = kFileHeaderSize + info_size;
  // The masks follow the 40-byte header, or are part of a longer one.
  if (h.compression == kBitFields) {
    ByteReader masks(bytes, kFileHeaderSize + 40);
    for (uint32_t& m : h.masks) m = masks.Le32();
    if (info_size < 52) h.palette_at += 12;
  } else if (h.bits == 16) {
    h.masks = {0x7C00, 0x03E0, 0x001F};
  } else {
    h.masks = {0xFF0000, 0x00FF00, 0x0000FF};
  }
  return h;
}

Header ReadHeader(std::span<const uint8_t> bytes) {
  ByteReader r(bytes);
  if (bytes.size() < 18 || r.U8() != 'B' || r.U8() != 'M') throw Refusal{Tr("not a BMP file")};
  const uint32_t file_size = r.Le32();
  r.Skip(4);  // two reserved words
  const uint32_t offset = r.Le32();
  const uint32_t info_size = r.Le32();
  Header h;
  if (info_size == 12)
    h = ReadOldHeader(r);
  else if (info_size >= 40)
    h = ReadInfoHeader(r, bytes, info_size);
  else
    throw Refusal{Tr("damaged BMP file: unknown header")};
  if (!r.ok()) throw Refusal{Tr("damaged BMP file: the header is cut short")};
  h.file_size = file_size;
  h.offset = offset;
  h.info_size = info_size;
  return h;
}

// Bytes of one stored row: rows are padded to a multiple of four bytes.
int64_t Stride(const Header& h) { return (int64_t{h.width} * h.bits + 31) / 32 * 4; }

void CheckHeader(const Header& h, std::size_t file_size) {
  if (h.width <= 0 || h.height <= 0 || h.width > kMaxSide || h.height > kMaxSide ||
      int64_t{h.width} * h.height > kMaxPixels)
    throw Refusal{Tr("damaged BMP file: impossible picture size")};
  if (h.bits != 1 && h.bits != 4 && h.bits != 8 && h.bits != 16 && h.bits != 24 && h.bits != 32)
    throw Refusal{Tr("damaged BMP file: unknown pixel depth")};
  const bool known = h.compression == kPlain || (h.compression == kRle8 && h.bits == 8) ||
                     (h.compression == kRle4 && h.bits == 4) ||
                     (h.compression == kBitFields && (h.bits == 16 || h.bits == 32));
  if (!known) throw Refusal{Tr("damaged BMP file: unknown compression")};
  if (h.top_down && (h.compression == kRle8 || h.compression == kRle4))
    throw Refusal{Tr("damaged BMP file: run-length data in a top-down picture")};
  if (h.offset >= file_size) throw Refusal{Tr("damaged BMP file: no pixel data")};
  // Mended: the picture was made at the size its header claimed before the
  // pixels were looked at, so a few bytes claiming 4096 x 4096 took 64 MiB.
  // Pixels stored as they are must all be in the file; run-length data
  // must be at least as large as any sensible encoder makes it (a byte per
  // kMostPixelsPerRleByte pixels; a one-colour picture needs far fewer).
  const int64_t data = static_cast<int64_t>(file_size - h.offset);
  const bool rle = h.compression == kRle8 || h.compression == kRle4;
  if (!rle && data < Stride(h) * h.height)
    throw Refusal{Tr("damaged BMP file: the pixels run past the end of the file")};
  if (rle && data * kMostPixelsPerRleByte < int64_t{h.width} * h.height)
    throw Refusal{Tr("damaged BMP file: too little run-length data for the picture's size")};
}


// The palette entries a picture of its depth can use (none above 8 bits).
std::vector<Color> ReadPalette(std::span<const uint8_t> bytes, const Header& h) {
  std::vector<Color> palette(h.PaletteEntries());
  ByteReader r(bytes, h.palette_at);
  for (Color& c : palette) {
    const uint8_t b = r.U8(), g = r.U8(), red = r.U8();
    if (h.palette_entry == 4) r.Skip(1);
    c = Rgb(red, g, b);
  }
  if (!r.ok()) throw Refusal{Tr("damaged BMP file: the palette is cut short")};
  return palette;
}

// A colour component under a bit mask, widened to eight bits.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  uint64_t most = 1;

  explicit Channel(uint32_t m)
      : mask(m), shift(m ? std::countr_zero(m) : 0), most(m ? m >> shift : 1) {}
  uint32_t Of(uint32_t pixel) const {
    return static_cast<uint32_t>(((pixel & mask) >> shift) * 255 / most);
  }
};

// One stored row into `dst`: the depth is decided once a row, not once a
// pixel, as pictures are decoded on the way to the first frame.
void DecodeRow(const uint8_t* src, const Header& h, const std::array<Color, 256>& colours,
               Color* dst) {
  const int32_t w = h.width;
  const Channel red(h.masks[0]), green(h.masks[1]), blue(h.masks[2]);
  switch (h.bits) {
    case 1:
      for (int32_t x = 0; x < w; ++x) dst[x] = colours[(src[x >> 3] >> (7 - (x & 7))) & 1];
      break;
    case 4:
      for (int32_t x = 0; x < w; ++x) dst[x] = colours[(src[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF];
      break;
    case 8:
      for (int32_t x = 0; x < w; ++x) dst[x] = colours[src[x]];
      break;
    case 16:
      for (int32_t x = 0; x < w; ++x, src += 2) {
        const uint32_t p = src[0] | (src[1] << 8);
        dst[x] = Rgb(red.Of(p), green.Of(p), blue.Of(p));
      }
      break;
    case 24:
      for (int32_t x = 0; x < w; ++x, src += 3) dst[x] = Rgb(src[2], src[1], src[0]);
      break;
    default:
      for (int32_t x = 0; x < w; ++x, src += 4) {
        const uint32_t p = src[0] | (src[1] << 8) | (src[2] << 16) | (uint32_t(src[3]) << 24);
        dst[x] = Rgb(red.Of(p), green.Of(p), blue.Of(p));
      }
  }
}

void DecodePlain(std::span<const uint8_t> bytes, const Header& h,
                 const std::array<Color, 256>& colours, Bitmap& bitmap) {
  // Every row is in the file: CheckHeader made sure before anything was made.
  const int64_t stride = Stride(h);
  for (int32_t y = 0; y < h.height; ++y) {
    const uint8_t* row = bytes.data() + h.offset + static_cast<std::size_t>(y * stride);
    DecodeRow(row, h, colours, bitmap.row(h.top_down ? y : h.height - 1 - y));
  }
}

// Run-length coded pixels, bottom row first. Runs and copies must stay in
// the picture and the data must reach its end mark.
class RleDecoder {
 public:
  RleDecoder(const Header& h, const std::array<Color, 256>& colours, Bitmap& bitmap)
      : h_(h), colours_(colours), bitmap_(bitmap), y_(h.height - 1) {}

  void Decode(ByteReader& r) {
    for (;;) {
      const uint8_t count = r.U8(), value = r.U8();
      if (!r.ok()) throw Refusal{Tr("damaged BMP file: the run-length data ends before its end mark")};
      if (count > 0) {
        for (int i = 0; i < count; ++i)
          Put(h_.bits == 8 ? value : (i % 2 ? value & 0xF : value >> 4));
      } else if (value == 0) {  // end of the line
        x_ = 0;
        --y_;
      } else if (value == 1) {  // end of the picture
        return;
      } else if (value == 2) {  // move right and up
        x_ += r.U8();
        y_ -= r.U8();
      } else {
        Copy(r, value);
      }
    }
  }

 private:
  // `n` pixels stored as they are, padded to a whole number of words.
  void Copy(ByteReader& r, int n) {
    const int stored = h_.bits == 8 ? n : (n + 1) / 2;
    const auto data = r.Bytes(static_cast<std::size_t>(stored + stored % 2));
    if (!r.ok()) throw Refusal{Tr("damaged BMP file: the run-length data ends before its end mark")};
    for (int i = 0; i < n; ++i)
      Put(h_.bits == 8 ? data[i] : (i % 2 ? data[i / 2] & 0xF : data[i / 2] >> 4));
  }

  void Put(uint8_t index) {
    if (x_ >= h_.width || y_ < 0) throw Refusal{Tr("damaged BMP file: a run goes past the picture")};
    bitmap_.row(y_)[x_++] = colours_[index];
  }

  const Header& h_;
  const std::array<Color, 256>& colours_;
  Bitmap& bitmap_;
  int32_t x_ = 0;
  int32_t y_;
};

}  // namespace

uint32_t BmpHeader::PaletteEntries() const {
  if (bits > 8) return 0;
  const uint32_t most = 1u << bits;
  return colours == 0 ? most : std::min(colours, most);
}

FormatResult<BmpHeader> ReadBmpHeader(std::span<const uint8_t> bytes) {
  try {
    const Header h = ReadHeader(bytes);
    CheckHeader(h, bytes.size());
    return h;
  } catch (const Refusal& fault) {
    return FormatFault{{}, fault.why};
  }
}

FormatResult<Bitmap> DecodeBmp(std::span<const uint8_t> bytes) {
  auto header = ReadBmpHeader(bytes);
  if (!header) return header.fault();
  try {
    const Header& h = *header;
    std::vector<Color> palette = ReadPalette(bytes, h);
    // Indices past the palette are black.
    std::array<Color, 256> colours{};
    std::copy(palette.begin(), palette.end(), colours.begin());
    const bool rle = h.compression == kRle8 || h.compression == kRle4;
    // Pixels no run reaches keep the first palette colour.
    Bitmap bitmap(h.width, h.height, rle ? colours[0] : kBlack);
    bitmap.palette = std::move(palette);
    if (rle) {
      ByteReader r(bytes, h.offset);
      RleDecoder(h, colours, bitmap).Decode(r);
    } else {
      DecodePlain(bytes, h, colours, bitmap);
    }
    return bitmap;
  } catch (const Refusal& fault) {
    return FormatFault{{}, fault.why};
  }
}

}  // namespace velmor::formats
