#include "media/bmp.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <unordered_map>

#include "media/bytes.h"

namespace velmor::media {

namespace {

using detail::Le16;
using detail::Le32;
using detail::PutLe16;
using detail::PutLe32;

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;

// Bytes per stored row: rows are padded to a multiple of four bytes.
uint32_t Stride(int32_t width, int bits) {
  return ((static_cast<uint32_t>(width) * bits + 31) / 32) * 4;
}

std::vector<Rgb> PaletteFor(const Image& image, int bits) {
  std::vector<Rgb> palette;
  if (!image.palette.empty()) {
    palette = image.palette;
    for (Rgb& c : palette) c &= 0xFFFFFF;
  } else {
    std::unordered_map<Rgb, bool> seen;
    for (Rgb c : image.pixels) {
      c &= 0xFFFFFF;
      if (seen.emplace(c, true).second) palette.push_back(c);
      if (palette.size() > (1u << bits)) break;
    }
  }
  if (palette.size() > (1u << bits))
    throw std::invalid_argument("WriteBmp: more colours than a " + std::to_string(bits) +
                                "-bit palette holds");
  return palette;
}

}  // namespace

std::vector<uint8_t> WriteBmp(const Image& image, const BmpOptions& options) {
  const int bits = options.bits != 0 ? options.bits : (image.palette.empty() ? 24 : 8);
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24)
    throw std::invalid_argument("WriteBmp: unsupported depth " + std::to_string(bits));
  if (image.width <= 0 || image.height <= 0 ||
      image.pixels.size() != static_cast<std::size_t>(image.width) * image.height)
    throw std::invalid_argument("WriteBmp: empty picture or wrong pixel count");

  std::vector<Rgb> palette;
  std::unordered_map<Rgb, uint32_t> index_of;
  if (bits <= 8) {
    palette = PaletteFor(image, bits);
    for (uint32_t i = 0; i < palette.size(); ++i) index_of.emplace(palette[i], i);
  }
  const uint32_t stored_entries =
      bits <= 8 ? (options.full_palette ? (1u << bits) : static_cast<uint32_t>(palette.size()))
                : 0;

  const uint32_t stride = Stride(image.width, bits);
  const uint32_t image_size = stride * static_cast<uint32_t>(image.height);
  const uint32_t offset = kFileHeaderSize + kInfoHeaderSize + 4 * stored_entries;
  const uint32_t file_size = offset + image_size;

  std::vector<uint8_t> out;
  out.reserve(file_size);
  // BITMAPFILEHEADER
  detail::PutTag(out, "BM");
  PutLe32(out, file_size);
  PutLe32(out, 0);  // two reserved words
  PutLe32(out, offset);
  // BITMAPINFOHEADER
  PutLe32(out, kInfoHeaderSize);
  PutLe32(out, static_cast<uint32_t>(image.width));
  PutLe32(out, static_cast<uint32_t>(options.top_down ? -image.height : image.height));
  PutLe16(out, 1);  // planes
  PutLe16(out, static_cast<uint32_t>(bits));
  PutLe32(out, 0);  // BI_RGB: uncompressed
  PutLe32(out, image_size);
  PutLe32(out, 0);  // horizontal and vertical resolution: none given
  PutLe32(out, 0);
  PutLe32(out, options.full_palette ? 0 : stored_entries);  // colours used
  PutLe32(out, 0);                                          // all important
  // The colour table: blue, green, red, reserved.
  for (uint32_t i = 0; i < stored_entries; ++i) {
    Rgb c = i < palette.size() ? palette[i] : 0;
    out.push_back(static_cast<uint8_t>(BlueOf(c)));
    out.push_back(static_cast<uint8_t>(GreenOf(c)));
    out.push_back(static_cast<uint8_t>(RedOf(c)));
    out.push_back(0);
  }

  std::vector<uint8_t> row(stride);
  for (int32_t n = 0; n < image.height; ++n) {
    const int32_t y = options.top_down ? n : image.height - 1 - n;
    std::fill(row.begin(), row.end(), 0);
    for (int32_t x = 0; x < image.width; ++x) {
      const Rgb c = image.At(x, y) & 0xFFFFFF;
      if (bits == 24) {
        row[3 * x] = static_cast<uint8_t>(BlueOf(c));
        row[3 * x + 1] = static_cast<uint8_t>(GreenOf(c));
        row[3 * x + 2] = static_cast<uint8_t>(RedOf(c));
        continue;
      }
      auto it = index_of.find(c);
      if (it == index_of.end()) {
        char colour[16];
        std::snprintf(colour, sizeof colour, "%06X", static_cast<unsigned>(c));
        throw std::invalid_argument(std::string("WriteBmp: colour ") + colour + " at (" +
                                    std::to_string(x) + "," + std::to_string(y) +
                                    ") is not in the palette");
      }
      const uint32_t index = it->second;
      // Pixels are packed from the most significant bits of each byte.
      const uint32_t bit = static_cast<uint32_t>(x) * bits;
      const uint32_t shift = 8 - bits - bit % 8;
      row[bit / 8] = static_cast<uint8_t>(row[bit / 8] | (index << shift));
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

std::optional<BmpInfo> ReadBmpInfo(std::span<const uint8_t> b, std::string* error) {
  auto fail = [error](const char* why) -> std::optional<BmpInfo> {
    if (error) *error = why;
    return std::nullopt;
  };
  if (b.size() < kFileHeaderSize + kInfoHeaderSize || !detail::HasTag(b, 0, "BM"))
    return fail("not a BMP file");
  BmpInfo info;
  info.file_size = Le32(&b[2]);
  info.pixel_offset = Le32(&b[10]);
  info.header_size = Le32(&b[14]);
  if (info.header_size < kInfoHeaderSize) return fail("unsupported info header");
  info.width = static_cast<int32_t>(Le32(&b[18]));
  const auto height = static_cast<int32_t>(Le32(&b[22]));
  info.top_down = height < 0;
  info.height = height < 0 ? -height : height;
  info.bits = Le16(&b[28]);
  info.compression = Le32(&b[30]);
  info.image_size = Le32(&b[34]);
  info.colors_used = Le32(&b[46]);
  if (info.width <= 0 || info.height <= 0 || info.width > 65536 || info.height > 65536)
    return fail("impossible picture size");
  if (info.bits <= 8) {
    info.palette_entries = info.colors_used != 0 ? info.colors_used : (1u << info.bits);
    const uint64_t table_end = kFileHeaderSize + uint64_t{info.header_size} +
                               4ull * info.palette_entries;
    if (info.palette_entries > 256 || table_end > info.pixel_offset)
      return fail("colour table overlaps the pixels");
  }
  return info;
}

std::optional<Image> ReadBmp(std::span<const uint8_t> b, std::string* error) {
  auto info = ReadBmpInfo(b, error);
  if (!info) return std::nullopt;
  auto fail = [error](const char* why) -> std::optional<Image> {
    if (error) *error = why;
    return std::nullopt;
  };
  const int bits = info->bits;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32)
    return fail("unsupported depth");
  if (info->compression != 0) return fail("compressed pictures are not supported");
  const uint32_t stride = Stride(info->width, bits);
  if (info->pixel_offset + uint64_t{stride} * info->height > b.size())
    return fail("pixel data cut short");

  Image image(info->width, info->height);
  const uint8_t* table = &b[kFileHeaderSize + info->header_size];
  for (uint32_t i = 0; i < info->palette_entries; ++i)
    image.palette.push_back(MakeRgb(table[4 * i + 2], table[4 * i + 1], table[4 * i]));

  for (int32_t n = 0; n < info->height; ++n) {
    const int32_t y = info->top_down ? n : info->height - 1 - n;
    const uint8_t* row = &b[info->pixel_offset + static_cast<std::size_t>(stride) * n];
    for (int32_t x = 0; x < info->width; ++x) {
      Rgb c;
      if (bits >= 24) {
        const uint8_t* p = row + static_cast<std::size_t>(x) * (bits / 8);
        c = MakeRgb(p[2], p[1], p[0]);
      } else {
        const uint32_t bit = static_cast<uint32_t>(x) * bits;
        const uint32_t index = (row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
        if (index >= image.palette.size()) return fail("pixel outside the colour table");
        c = image.palette[index];
      }
      image.At(x, y) = c;
    }
  }
  return image;
}

}  // namespace velmor::media
